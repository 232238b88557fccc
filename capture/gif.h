#pragma once
// GIF through giflib: the first frame only, placed on the GIF's logical screen. The frame's transparent
// index and the part of the screen the frame does not cover are transparent.

#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvane::capture {

bool isGif(std::span<const std::uint8_t> file);

// The declared size is the logical screen's. An interlaced frame's rows go to the sink in the order
// they are stored.
std::optional<DecodeError> decodeGif(ByteSource& file, RowSink& sink);

} // namespace quorvane::capture
