#pragma once
// A font file opened by FreeType at one pixel size, with HarfBuzz's view of the same face: the glyphs'
// coverage as FreeType renders them, their advances as HarfBuzz positions them, and what the font says
// of itself (its name table, its embedding rights, its bitmap strikes).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

struct hb_font_t;

namespace quorvane::fonts {

enum class Hinting { None, Light, Full };

// A glyph's coverage as FreeType renders it: 0 to 255 a pixel (0 or 255 for a monochrome rendering),
// the box's top-left from the pen on the baseline, y down.
struct Coverage {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<std::uint8_t> values; // width * height, row by row
};

struct FaceError {
    std::string message;
};

class Face {
public:
    // The file at sizePx pixels: FT_Set_Pixel_Sizes(face, 0, sizePx), or for a font of bitmaps the strike
    // of that size.
    static std::variant<Face, FaceError> open(const std::string& path, int sizePx, Hinting hinting, bool mono);

    Face(Face&&) noexcept;
    Face& operator=(Face&&) noexcept;
    ~Face();

    unsigned glyphIndex(char32_t code) const; // 0 when the font lacks it
    std::variant<Coverage, FaceError> render(unsigned glyph) const;
    int advance(unsigned glyph) const;        // 1/64 pixel, as HarfBuzz's hb-ft gives it
    std::string glyphName(unsigned glyph) const; // empty when the font keeps no names
    int ascent() const;  // whole pixels above the baseline
    int descent() const; // whole pixels below it
    bool hasKernTable() const; // a TrueType 'kern' table; GPOS kerning is HarfBuzz's to find
    bool embeddingRestricted() const;
    // The copyright and licence the font carries, one notice a line.
    std::vector<std::string> notices() const;
    std::string familyName() const;

    hb_font_t* harfbuzz() const;

private:
    struct State;
    explicit Face(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace quorvane::fonts
