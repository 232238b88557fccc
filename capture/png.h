#pragma once
// PNG through libpng: every colour type and bit depth, interlaced or not. Sample values are taken as
// they stand (gAMA, cHRM, sRGB and iCCP are not applied), so a colour picked in an editor keeps the
// code the editor shows; 16-bit samples become round(v * 255 / 65535).

#include "capture/picture.h"

#include <cstdint>
#include <span>
#include <variant>

namespace quorvane::capture {

bool isPng(std::span<const std::uint8_t> file);

std::variant<DeclaredSize, DecodeError> readPngSize(std::span<const std::uint8_t> file);

// Refuses a picture of more than maxPixels before allocating anything for it.
std::variant<Picture, DecodeError> decodePng(std::span<const std::uint8_t> file, std::uint64_t maxPixels);

} // namespace quorvane::capture
