#pragma once
// A photo-like picture made here: smooth shapes with some fine grain, as a photo has. It compresses and
// decodes like one, and it has no hard edges, which a real photo reduced to a panel rarely has either.
// Its shapes are as wide as they are high, sized by the picture's longer side, as a panorama's are: a
// 100 x 8000 strip shows a slice of them, not the same shapes squeezed into fine stripes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace phototest {

class PhotoLike {
  public:
    PhotoLike(int width, int height) : width_(width), height_(height), side_(std::max(width, height)) {}

    // Row y as R, G, B bytes; rows are made in order, top first.
    void row(int y, std::vector<std::uint8_t>& rgb) {
        rgb.resize(3 * static_cast<std::size_t>(width_));
        const double v = y / double(side_);
        for (int x = 0; x < width_; ++x) {
            const double u = x / double(side_);
            seed_ = seed_ * 1103515245 + 12345;
            const int grain = static_cast<int>(seed_ >> 28) - 8;
            const double channels[3] = {0.5 + 0.4 * std::sin(7 * u + 3 * v), 0.5 + 0.4 * std::sin(5 * v - 2 * u + 1),
                                        0.5 + 0.4 * std::cos(4 * u * v * 9)};
            for (int c = 0; c < 3; ++c) {
                rgb[3 * static_cast<std::size_t>(x) + static_cast<std::size_t>(c)] =
                    static_cast<std::uint8_t>(std::clamp(static_cast<int>(channels[c] * 255) + grain, 0, 255));
            }
        }
    }

    // The whole picture, R, G, B per pixel, top row first.
    std::vector<std::uint8_t> all() {
        std::vector<std::uint8_t> samples, rgb;
        for (int y = 0; y < height_; ++y) {
            row(y, rgb);
            samples.insert(samples.end(), rgb.begin(), rgb.end());
        }
        return samples;
    }

  private:
    int width_, height_, side_;
    std::uint32_t seed_ = 2024;
};

} // namespace phototest
