#include "packs/changes.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvane::packs {
namespace {

struct Band {
    int y0 = 0, y1 = 0; // rows [y0, y1)
    int x0 = 0, x1 = 0; // columns [x0, x1)
};

double costOf(const Band& b, const SendCost& cost) {
    return cost.perRect + std::ceil(static_cast<double>(b.x1 - b.x0) * (b.y1 - b.y0) * cost.bytesPerPixel);
}

Band merged(const Band& a, const Band& b) { return {a.y0, b.y1, std::min(a.x0, b.x0), std::max(a.x1, b.x1)}; }

} // namespace

std::vector<Rect> changedRects(std::span<const std::uint32_t> before, std::span<const std::uint32_t> after, int width,
                               int height, const SendCost& cost) {
    const int align = std::max(cost.rowAlign, 1);
    const auto w = static_cast<std::size_t>(width);
    // Each group of rows (a page, or one row) with its changed columns' extent.
    std::vector<Band> bands;
    for (int g = 0; g < height; g += align) {
        const int gEnd = std::min(g + align, height);
        int x0 = width, x1 = 0;
        for (int y = g; y < gEnd; ++y) {
            const std::uint32_t* b = before.data() + static_cast<std::size_t>(y) * w;
            const std::uint32_t* a = after.data() + static_cast<std::size_t>(y) * w;
            int left = 0;
            while (left < width && a[left] == b[left]) ++left;
            if (left == width) continue;
            int right = width;
            while (a[right - 1] == b[right - 1]) --right;
            x0 = std::min(x0, left);
            x1 = std::max(x1, right);
        }
        if (x0 >= x1) continue;
        if (cost.start == SendCost::Start::Runs && !bands.empty() && bands.back().y1 == g) {
            bands.back() = merged(bands.back(), {g, gEnd, x0, x1});
        } else {
            bands.push_back({g, gEnd, x0, x1});
        }
    }
    // Merge the neighbours whose merging saves the most (or costs the least, while there are too many).
    while (bands.size() > 1) {
        std::size_t best = 0;
        double bestGain = -std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i + 1 < bands.size(); ++i) {
            const double gain = costOf(bands[i], cost) + costOf(bands[i + 1], cost) - costOf(merged(bands[i], bands[i + 1]), cost);
            if (gain > bestGain) bestGain = gain, best = i;
        }
        if (bestGain < 0 && bands.size() <= static_cast<std::size_t>(std::max(cost.maxRects, 1))) break;
        bands[best] = merged(bands[best], bands[best + 1]);
        bands.erase(bands.begin() + static_cast<std::ptrdiff_t>(best) + 1);
    }
    std::vector<Rect> rects;
    for (const Band& b : bands) rects.push_back({b.x0, b.y0, b.x1 - b.x0, b.y1 - b.y0});
    return rects;
}

} // namespace quorvane::packs
