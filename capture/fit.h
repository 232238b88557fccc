#pragma once
// Making any picture one the panel can take: transparency laid over a background colour, and a picture
// larger than the panel scaled down to fit it.

#include "capture/picture.h"

#include <cstdint>

namespace quorvane::capture {

// Every pixel over `background` (0x00BBGGRR): round((c * a + bg * (255 - a)) / 255) per channel. The
// result is opaque; an opaque picture is returned as it is.
Picture composite(Picture picture, std::uint32_t background);

// The size a picture is scaled to so that it fits within side x side with its aspect ratio:
// s = min(side / w, side / h), max(1, round(w * s)) x max(1, round(h * s)); a picture that fits keeps its
// size.
DeclaredSize fittedSize(int width, int height, int side);

// Scales an opaque picture down to `size` by area averaging: each output pixel is the mean of the exact
// part of the picture it covers, in linear light (sRGB decoded, averaged, encoded again).
Picture scaleDown(const Picture& picture, DeclaredSize size);

} // namespace quorvane::capture
