#pragma once
// Animations, frame after frame: GIF, APNG and WebP, each frame composed on a canvas exactly as a browser
// shows it (disposal, blending, transparency), and handed over before the next is decoded, so that an
// animation is never held whole: only the canvas, and for "restore to previous" one copy of it.

#include "capture/picture.h"
#include "capture/source.h"

#include <cstdint>
#include <optional>

namespace quorvane::capture {

struct AnimationInfo {
    int width = 0;  // the canvas
    int height = 0;
    int loops = 0;  // plays of the whole animation, 0 for ever
};

class FrameReceiver {
  public:
    virtual ~FrameReceiver() = default;
    // The canvas's size and the loop count, before the first frame is decoded; a refusal stops there.
    virtual std::optional<DecodeError> begin(const AnimationInfo& info) = 0;
    // Each frame as composed, with alpha per pixel (0 where nothing has been drawn), and how long it
    // stays, in milliseconds as the file says it. A refusal stops the reading.
    virtual std::optional<DecodeError> frame(const Picture& canvas, int delayMs) = 0;
};

// True for a file whose frames readFrames composes: any GIF or WebP, and a PNG with an acTL chunk.
bool isAnimationFile(ByteSource& file);

// Composes every frame of a GIF, APNG or WebP and hands it to the receiver. Nothing larger than
// maxPixels, canvas or frame, is decoded. A damaged frame's error names it ("frame 3: ..."), counting
// from 0 as the frames are numbered everywhere else.
std::optional<DecodeError> readFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels);

} // namespace quorvane::capture
