#pragma once
// PNG through libpng: every colour type and bit depth, interlaced or not. Sample values are taken as
// they stand (gAMA, cHRM, sRGB and iCCP are not applied), so a colour picked in an editor keeps the
// code the editor shows; 16-bit samples become round(v * 255 / 65535).

#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvane::capture {

bool isPng(std::span<const std::uint8_t> file);

// Rows go to the sink as libpng hands them over; an interlaced picture's passes go where they land.
std::optional<DecodeError> decodePng(ByteSource& file, RowSink& sink);

} // namespace quorvane::capture
