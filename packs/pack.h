#pragma once
// A pack: many pictures and animations in one array of bytes, with an index that firmware reads in
// place. Each frame is stored as the rectangles of the panel that changed since the frame before, each
// rectangle's data as a still picture of that size would have it after its size bytes.
//
//   header   20 bytes: 'Q' 'V' 'P' 'K', version 1, format (1 mono, 8, 12, 16, 18, 24), flags (bit 0:
//            16-bit pixels low byte first; bits 1-2: mono layout), 0, u16 assets, u16 frames, u16 parts,
//            u16 palettes, u32 the pack's length
//   assets   16 bytes each: u32 name offset, u16 width, u16 height, u16 first frame, u16 frames,
//            u16 palette (0xFFFF none), u16 loops
//   frames   8 bytes each: u16 delay in ms, u16 first part, u16 parts, u16 0
//   parts    16 bytes each: u16 x, u16 y, u16 w, u16 h, u32 data offset, u32 data length
//   palettes u32 offset each, of: u16 entries, then the entries
//   then the names (NUL-terminated), the palettes and the parts' data. All numbers little-endian.

#include "codegen/panel.h"
#include "codegen/reduce.h"
#include "codegen/storage.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvane::packs {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Rect&) const = default;
    std::size_t pixels() const { return static_cast<std::size_t>(w) * static_cast<std::size_t>(h); }
};

struct Part {
    Rect rect;
    std::vector<std::uint8_t> data; // the method byte, then the rectangle's pixels, indices or mono bytes
};

struct Frame {
    int delayMs = 0;
    std::vector<Part> parts; // none when nothing changed
};

struct Asset {
    std::string name; // a C identifier
    int width = 0, height = 0;
    int loops = 0;    // 0 for ever
    int palette = -1; // an index into Pack::palettes, or none
    std::vector<Frame> frames;
};

struct Pack {
    codegen::Depth depth = codegen::Depth::Bits8;
    codegen::ByteOrder byteOrder = codegen::ByteOrder::Big;
    codegen::Storage storage;
    std::vector<Asset> assets;
    std::vector<std::vector<std::uint8_t>> palettes; // each palette's entries' bytes, unused ones zero
};

inline constexpr std::size_t kHeaderBytes = 20, kAssetBytes = 16, kFrameBytes = 8, kPartBytes = 16, kPaletteBytes = 4;

// A pack that one of the index's fields cannot describe (more than 65,535 frames, say); says which.
class PackTooLarge : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The pack's format byte: 1 for mono, else the depth's bits.
std::uint8_t formatByte(const Pack& pack);

// The pack's bytes. Throws PackTooLarge.
std::vector<std::uint8_t> packBytes(const Pack& pack);

// The bytes the panel is sent for a w x h rectangle: its pixels' bits rounded up to whole bytes.
double panelBytesPerPixel(codegen::Depth depth, const codegen::Storage& storage);

} // namespace quorvane::packs
