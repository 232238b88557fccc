#pragma once
// A font as one array of bytes, the same in the C source and the raw file, read in place by the
// decoder. Numbers in bytes are little-endian; bit fields start at their most significant bit.
//
//   0  "QVFT", 1                 magic and version
//   5  bpp, flags, k, step       level bits; pixel flags; the run code's order; the alpha of one level
//   9  bits[3], slots[3]         the pixel's fields in the order they are sent, and the bits each takes
//  15  ascent, descent           whole pixels
//  17  fw[10]                    the bits of a glyph's offset, w, h, x, y, advance and first pair; of a
//                                pair's right glyph and its kerning value's index; of a kerning value
//  27  rec, pw, 0, 0, 0          the bits of a glyph and of a pair
//  32  u32 ranges, glyphs, pairs, values
//  48  s32 bias[4]               added to the stored x, y, advance and kerning: the smallest of each
//  64  u32 where the tables, glyphs, pairs, values and levels start, in bits from the first byte
//  84  ranges: u24 first code point, u8 count - 1, u16 first glyph; sorted, at most 256 code points each
//      then bit fields, one after the other:
//      tables: the runs' code lengths (16, 4 bits each); with flags bit 7, for each predicted level
//      the table its misses take (4 bits, at most 4 tables), then the tables: each other level's code
//      length (4 bits) and a 0, so that every table starts on a byte
//      glyphs, by code point: offset of its levels from the levels' first bit, w, h, x, y, advance, its
//      first pair as the left glyph (its pairs end where the next glyph's start); then one more, all 0
//      but its first pair: the number of pairs
//      pairs, by left then right glyph: right glyph, index of its kerning value
//      values: the distinct kerning values, 1/64 pixel
//      levels: each glyph's, row by row
//
// A level is predicted from its neighbours left (a), above (b) and above-left (c) as a + b - c, held
// to the levels there are (0 outside the box). The code alternates a run of levels as predicted with
// one that is not, and ends with a run. A run of 0 to 14 is a canonical prefix code of the runs'
// table; its 16th code says 15 more, and the rest follows in an exponential-Golomb code of order k. A
// level that is not as predicted is, with tables, a code of the table its predicted level takes; without, its
// value in bpp bits (none at 1 bit). Either way the predicted level is left out of the count.
//
// flags: bit 0 little byte order, 1 bgr, 2 invert, 3 mono, bits 4-5 the mono layout (rows, rows-lsb,
// pages), 7 tables.

#include "codegen/format.h"
#include "codegen/reduce.h"
#include "codegen/storage.h"
#include "fonts/kerning.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane::fonts {

// How the text's pixels reach the panel, as a picture's would.
struct PixelFormat {
    codegen::Depth depth = codegen::Depth::Bits16;
    codegen::ByteOrder byteOrder = codegen::ByteOrder::Big;
    bool bgr = false, invert = false, mono = false;
    codegen::MonoLayout monoLayout = codegen::MonoLayout::Rows;
    bool operator==(const PixelFormat&) const = default;
};

struct FontGlyph {
    char32_t code = 0;
    int x = 0, y = 0, width = 0, height = 0; // the box's top-left from the pen on the baseline, y down
    int advance = 0;                         // 1/64 pixel
    std::vector<std::uint8_t> levels;        // width * height, from 0 to 2^bpp - 1
};

struct FontData {
    int bpp = 4;
    int ascent = 0, descent = 0;
    PixelFormat pixel;
    std::vector<FontGlyph> glyphs; // each code point once
    std::vector<KernPair> pairs;   // each code point one of the glyphs'
};

// A value that the field holding it cannot hold; what names the glyph (or the font) and the field.
class FieldOverflow : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws FieldOverflow naming the glyph and the field that cannot hold its value.
std::vector<std::uint8_t> encodeFont(const FontData& font);


} // namespace quorvane::fonts
