#pragma once
// GIF through giflib: the first frame only, placed on the GIF's logical screen. The frame's transparent
// index and the part of the screen the frame does not cover are transparent.

#include "capture/animation.h"
#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>

namespace quorvane::capture {

bool isGif(std::span<const std::uint8_t> file);

// The declared size is the logical screen's. An interlaced frame's rows go to the sink in the order
// they are stored.
std::optional<DecodeError> decodeGif(ByteSource& file, RowSink& sink);

// Every frame, composed: disposal 0 and 1 leave the frame, 2 clears its rectangle to transparent, 3
// restores what was there before it; the canvas starts transparent. The loop count is the NETSCAPE2.0
// block's (0 for ever), 1 without one.
std::optional<DecodeError> readGifFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels);

} // namespace quorvane::capture
