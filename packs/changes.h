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
    double perRect = 12; // the commands that set the panel's window
    int rowAlign = 1;    // 8 for a mono panel in pages: rectangles start and end on whole pages
    int maxRects = 8;
    // Rows: every changed row (or page) starts as a band of its own, so that a change on a slant (a needle
    // turning) is covered by a staircase; Runs: rows that change one after the other start as one band.
    enum class Start { Rows, Runs } start = Start::Rows;
};

// The rectangles that hold every pixel whose value differs between before and after (one value per
// pixel, rows from the top-left, both of width x height), none overlapping: bands of changed rows (or
// pages) as wide as their changes, neighbours merged while that sends no more or while there are more
// than maxRects. Empty when nothing changed.
std::vector<Rect> changedRects(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after, int width,
                               int height, const SendCost& cost);

} // namespace quorvane::packs
