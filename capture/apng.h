#pragma once
// Animated PNG: libpng reads none of its chunks, so they are read here (acTL, fcTL, fdAT) and each
// frame's data is handed to libpng as a plain PNG stream of its own.

#include "capture/animation.h"

#include <cstdint>
#include <optional>

namespace quorvane::capture {

// A PNG with an acTL chunk before its image data.
bool isApng(ByteSource& file);

// dispose_op 0 none, 1 background (transparent), 2 previous; blend_op 0 source, 1 over. A default image
// with no fcTL before it is not part of the animation. Every chunk's CRC is checked.
std::optional<DecodeError> readApngFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels);

} // namespace quorvane::capture
