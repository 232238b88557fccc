#pragma once
// One frame as the panel shows it, and a rectangle of it as the pack stores it.

#include "capture/picture.h"
#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/storage.h"
#include "packs/pack.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::packs {

// How every frame of a pack becomes the panel's pixels.
struct FrameStyle {
    codegen::Depth depth = codegen::Depth::Bits8;
    codegen::ByteOrder byteOrder = codegen::ByteOrder::Big;
    codegen::Storage storage;
    codegen::Dither dither = codegen::Dither::None;
    codegen::PanelOptions panel;
    bool operator==(const FrameStyle&) const = default;
};

// One value per pixel of the picture as the panel receives it: the reduced parts (red << 16 | green << 8
// | blue), the palette index, or the mono bit. Two frames differ where the panel would show a change.
struct PanelFrame {
    codegen::PictureSize size;
    std::vector<std::uint32_t> values;
};

// An opaque picture's components (red, green, blue per pixel) turned as the panel is mounted (invert,
// swap, rotate, mirror).
std::vector<std::int32_t> panelComponents(const capture::Picture& opaque, const FrameStyle& style);

// Components already turned to the panel, reduced (dithered) to its values; with a palette, mapped onto
// its entries (parts at the depth, three each).
PanelFrame panelFrame(std::span<const std::int32_t> received, codegen::PictureSize size, const FrameStyle& style,
                      std::span<const std::int32_t> paletteEntries);

// A rectangle of the frame as the pack stores it: the method byte, then its pixels, indices or mono
// bytes as a still picture of that size has them, compressed as the style says.
std::vector<std::uint8_t> partData(const PanelFrame& frame, const Rect& rect, const FrameStyle& style);

} // namespace quorvane::packs
