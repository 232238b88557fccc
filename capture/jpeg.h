#pragma once
// JPEG through libjpeg-turbo: baseline, progressive and greyscale, with its default decoding (islow
// DCT, fancy upsampling), turned upright by the EXIF orientation as image viewers do. A file the
// library had to patch up (cut short, corrupt data) is refused, never reported as a success.

#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvane::capture {

bool isJpeg(std::span<const std::uint8_t> file);

// The declared size is the size as shown, after the EXIF orientation (a quarter turn swaps width and
// height). When the sink can use fewer samples, the picture is decoded at the smallest of
// libjpeg-turbo's scales (1/8 to 8/8) that still gives it that many.
std::optional<DecodeError> decodeJpeg(ByteSource& file, RowSink& sink);

} // namespace quorvane::capture
