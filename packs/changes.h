#pragma once
// Where one frame differs from the one before, as the few rectangles that are cheapest to send.

#include "packs/pack.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::packs {

// What a rectangle costs to send: its pixels' bytes, and the commands that set the panel's window.
struct SendCost {
    double bytesPerPixel = 2;
    double perRect = 12;
    int rowAlign = 1;   // 8 for a mono panel in pages: rectangles start and end on whole pages
    int maxRects = 8;
};

// The rectangles that hold every pixel whose value differs between before and after (one value per
// pixel, rows from the top-left, both of width x height), none overlapping: bands of changed rows,
// each as wide as its changes, merged while that sends fewer bytes or while there are more than
// maxRects. Empty when nothing changed.
std::vector<Rect> changedRects(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after, int width,
                               int height, const SendCost& cost);

} // namespace quorvane::packs
