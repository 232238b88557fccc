#pragma once
// JPEG through libjpeg-turbo: baseline, progressive and greyscale, with its default decoding (islow
// DCT, fancy upsampling), turned upright by the EXIF orientation as image viewers do. A file the
// library had to patch up (cut short, corrupt data) is refused, never reported as a success.

#include "capture/picture.h"

#include <cstdint>
#include <span>
#include <variant>

namespace quorvane::capture {

bool isJpeg(std::span<const std::uint8_t> file);

// The size as shown, after the EXIF orientation (a quarter turn swaps width and height).
std::variant<DeclaredSize, DecodeError> readJpegSize(std::span<const std::uint8_t> file);

std::variant<Picture, DecodeError> decodeJpeg(std::span<const std::uint8_t> file, std::uint64_t maxPixels);

} // namespace quorvane::capture
