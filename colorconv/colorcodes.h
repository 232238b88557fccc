#pragma once
// One colour's parts and codes at every depth: what the colour converter shows and what
// `quorvane-cli color` prints, computed once.

#include "codegen/format.h"

#include <array>
#include <cstdint>
#include <string>

namespace quorvane::colorconv {

struct DepthCode {
    std::array<std::int32_t, 3> parts{}; // red, green, blue reduced to the depth
    std::string code;                    // as the converter shows it: "0xFC", "0xF800", "0xF800"
};

struct ColorCodes {
    DepthCode bits8;  // RRRGGGBB
    DepthCode bits12; // RRRRGGGG BBBB0000: one pixel as the first of a 12-bit pair, both bytes shown
    DepthCode bits16; // RRRRRGGGGGGBBBBB
    std::uint32_t colorValue = 0; // 0x00BBGGRR
    std::string colorValueText;   // "0x" and six digits: "0x0080FF"
};

// Components in 0..255. A fractional one (the converter's boxes accept "12.5") is reduced as it
// stands; the colour value takes each component rounded half to even.
ColorCodes colorCodes(double red, double green, double blue);

// One colour at any depth, for the depths the converter does not show: its parts, and the bytes of its
// pixel as one hex number, every byte with both digits ("0xFC0000" at 18 Bit, "0xFF8000" at 24 Bit).
DepthCode depthCode(double red, double green, double blue, codegen::Depth depth);

} // namespace quorvane::colorconv
