#include "app/frame.h"

#include "capture/fit.h"

#include <algorithm>

namespace quorvane::app {
namespace {

// The picture's index under the centre of shown index i, of `shown` along a side of `whole`.
int sourceIndex(int i, int shown, int whole) {
    const std::int64_t centre = 2 * std::int64_t{i} + 1; // twice the centre, to stay in whole numbers
    return static_cast<int>(std::clamp<std::int64_t>(centre * whole / (2 * std::int64_t{shown}), 0, whole - 1));
}

} // namespace

capture::Picture framedPicture(const capture::Picture& picture, int frame) {
    const capture::DeclaredSize shown = capture::fittedSize(picture.width, picture.height, frame);
    if (shown.width == picture.width && shown.height == picture.height) return picture;
    capture::Picture framed{.width = shown.width, .height = shown.height, .pixels = {}, .alpha = {}};
    framed.pixels.reserve(static_cast<std::size_t>(shown.width) * static_cast<std::size_t>(shown.height));
    for (int y = 0; y < shown.height; ++y) {
        const int sy = sourceIndex(y, shown.height, picture.height);
        for (int x = 0; x < shown.width; ++x) framed.pixels.push_back(picture.pixel(sourceIndex(x, shown.width, picture.width), sy));
    }
    return framed;
}

std::pair<int, int> pictureAt(int x, int y, int width, int height, int frame) {
    const capture::DeclaredSize shown = capture::fittedSize(width, height, frame);
    if (shown.width == width && shown.height == height) return {x, y};
    return {sourceIndex(x, shown.width, width), sourceIndex(y, shown.height, height)};
}

} // namespace quorvane::app
