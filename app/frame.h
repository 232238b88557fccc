#pragma once
// Picture1 sits in a 132 x 132 frame. A larger picture (a display of 240 x 320 takes one) is shown in
// it scaled down, sharp: every shown pixel is the picture's own pixel under its centre, so a picture
// that shrinks by a whole factor shows whole pixels, never a blend.

#include "capture/picture.h"

#include <utility>

namespace quorvane::app {

inline constexpr int kFrameSide = 132;

// The picture as the frame shows it: itself when it fits.
capture::Picture framedPicture(const capture::Picture& picture, int frame = kFrameSide);

// The picture's own pixel shown at (x, y) of the frame, for a picture of width x height.
std::pair<int, int> pictureAt(int x, int y, int width, int height, int frame = kFrameSide);

} // namespace quorvane::app
