#pragma once
// The colour converter: one colour, picked or typed, shown as its full components, its parts and codes
// at 8 Bit (3-3-2), 12 Bit (4-4-4) and 16 Bit (5-6-5), and its 24-bit colour value. The boxes are its
// only store: the full-value boxes are read back as numbers, and colorCodes turns them into the rest.

#include "colorconv/colorcodes.h"
#include "colorconv/colorview.h"

#include <array>
#include <cstdint>

namespace quorvane::colorconv {

class Cform {
public:
    explicit Cform(ColorView& view) : view_(view) {}

    // Every opening starts from the design: "0" in the entry boxes, every other box empty, the swatch
    // in the window-background colour, and the colour dialog on black.
    void loadDesignState();

    void Picture1_Click(); // the swatch: colour dialog, then convertswab(false)
    void Custombtn_Click(); // "Custom": convertswab(true)

    // custom: nonzero (-1 from the handlers) takes the colour from the entry boxes, 0 from the swatch.
    void convertswab(std::int16_t custom);

private:
    double valueOf(Box box) const;
    void writeDepth(const DepthCode& depth, const std::array<Box, 4>& boxes); // three parts, then the code

    ColorView& view_;
    std::uint32_t dialogColor_ = 0; // the colour dialog keeps the last colour it returned
};

} // namespace quorvane::colorconv
