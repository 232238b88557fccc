#pragma once
// What the colour converter needs from its window: nineteen named text boxes, a swatch and a colour dialog.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::colorconv {

// The boxes by their names in the window: full values, 8/12/16-bit parts and codes, entries, colour value.
enum class Box { rr, gg, bb, er, eg, eb, ec, tr, tg, tb, tc, sr, sg, sb, sc, cr, cg, cb, cc };
inline constexpr std::size_t kBoxCount = 19;

std::string_view boxName(Box box);

class ColorView {
public:
    virtual ~ColorView() = default;

    virtual std::string text(Box box) const = 0;
    virtual void setText(Box box, const std::string& text) = 0;

    // Colour values are 0x00BBGGRR.
    virtual void setSwatchColor(std::uint32_t color) = 0;
    virtual void resetSwatch() = 0;                   // back to the window-background colour
    virtual std::uint32_t swatchPixel() const = 0;    // the swatch's pixel at (20, 20), as shown

    // The modal colour dialog, opened on `current`; nullopt when the user cancels.
    virtual std::optional<std::uint32_t> chooseColor(std::uint32_t current) = 0;
};

} // namespace quorvane::colorconv
