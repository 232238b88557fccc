#pragma once
// Where a pack's frames come from: a picture or an animation, a folder of frames, or a sprite sheet, each
// frame laid over the background and fitted into the frame the panel allows (or refused without --fit),
// handed over one after the other.

#include "packs/build.h"

#include <functional>
#include <optional>
#include <variant>

namespace quorvane::packs {

// Takes each frame, opaque and in the frame, in order; an error it gives stops the reading.
using FrameCallback = std::function<std::optional<BuildError>(const capture::Picture& frame, int delayMs)>;

// Reads the source's frames one after the other into the callback. Returns the loop count: the
// animation's, or 0 for a still, a folder of frames or a sheet.
std::variant<int, BuildError> readSource(const AssetSource& source, const BuildOptions& options, const FrameCallback& callback);

} // namespace quorvane::packs
