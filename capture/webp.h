#pragma once
// WebP through libwebp, lossy or lossless, still or animated; libwebpdemux's animation decoder composes
// the frames (disposal and blending) on its own canvas.

#include "capture/animation.h"
#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvane::capture {

bool isWebp(std::span<const std::uint8_t> file);

// A still, or an animation's first frame as composed.
std::optional<DecodeError> decodeWebp(ByteSource& file, RowSink& sink);

std::optional<DecodeError> readWebpFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels);

} // namespace quorvane::capture
