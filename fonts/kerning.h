#pragma once
// The kerning between every two characters of a font, as HarfBuzz applies it: its 'kern' feature on,
// ligatures off, whether the font keeps its kerning in GPOS or in a 'kern' table.

#include "fonts/face.h"

#include <span>
#include <vector>

namespace quorvane::fonts {

struct KernPair {
    char32_t left = 0, right = 0;
    int value = 0; // 1/64 pixel, added to the pen after left when right follows
};

// Every pair of chars whose kerning is not 0, sorted by left, then right. Each char must have a glyph.
std::vector<KernPair> kerningPairs(const Face& face, std::span<const char32_t> chars);

} // namespace quorvane::fonts
