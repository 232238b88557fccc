#pragma once
// GIF through giflib: the first frame only, placed on the GIF's logical screen. The frame's transparent
// index and the part of the screen the frame does not cover are transparent.

#include "capture/picture.h"

#include <cstdint>
#include <span>
#include <variant>

namespace quorvane::capture {

bool isGif(std::span<const std::uint8_t> file);

// The logical screen's size.
std::variant<DeclaredSize, DecodeError> readGifSize(std::span<const std::uint8_t> file);

std::variant<Picture, DecodeError> decodeGif(std::span<const std::uint8_t> file, std::uint64_t maxPixels);

} // namespace quorvane::capture
