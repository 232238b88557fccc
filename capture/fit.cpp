#include "capture/fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace quorvane::capture {
namespace {

double toLinear(double encoded) {
    return encoded <= 0.04045 ? encoded / 12.92 : std::pow((encoded + 0.055) / 1.055, 2.4);
}

double toEncoded(double linear) {
    return linear <= 0.0031308 ? linear * 12.92 : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
}

const std::array<float, 256>& linearTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int c = 0; c < 256; ++c)
            t[static_cast<std::size_t>(c)] = static_cast<float>(toLinear(c / 255.0));
        return t;
    }();
    return table;
}

std::uint32_t encodedByte(double linear) {
    const double encoded = toEncoded(std::clamp(linear, 0.0, 1.0)) * 255;
    return static_cast<std::uint32_t>(std::lround(encoded));
}

// For each output index along one axis, the input indexes it covers and the share of each: output o
// covers [o * in / out, (o + 1) * in / out) of the input, and each share is the overlap over that width.
struct Footprint {
    int first = 0;
    std::vector<double> weights;
};

std::vector<Footprint> footprints(int in, int out) {
    std::vector<Footprint> result(static_cast<std::size_t>(out));
    const double scale = static_cast<double>(in) / out;
    for (int o = 0; o < out; ++o) {
        const double start = o * scale, end = (o + 1) * scale;
        Footprint& f = result[static_cast<std::size_t>(o)];
        f.first = static_cast<int>(std::floor(start));
        for (int i = f.first; i < in && i < end; ++i) {
            const double overlap = std::min<double>(i + 1, end) - std::max<double>(i, start);
            if (overlap > 0) f.weights.push_back(overlap / scale);
        }
    }
    return result;
}

} // namespace

Picture composite(Picture picture, std::uint32_t background) {
    if (picture.alpha.empty()) return picture;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const std::uint32_t a = picture.alpha[i], c = picture.pixels[i];
        std::uint32_t out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            const std::uint32_t fg = (c >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
            // 255 is odd, so the sum over 255 is never exactly halfway: adding 127 rounds.
            out |= ((fg * a + bg * (255 - a) + 127) / 255) << shift;
        }
        picture.pixels[i] = out;
    }
    picture.alpha.clear();
    return picture;
}

DeclaredSize fittedSize(int width, int height, int side) {
    if (width <= side && height <= side) return {width, height};
    const double s = std::min(static_cast<double>(side) / width, static_cast<double>(side) / height);
    return {std::max(1, static_cast<int>(std::lround(width * s))),
            std::max(1, static_cast<int>(std::lround(height * s)))};
}

Picture scaleDown(const Picture& picture, DeclaredSize size) {
    if (size.width == picture.width && size.height == picture.height) return picture;
    const auto& linear = linearTable();
    const auto across = footprints(picture.width, size.width), down = footprints(picture.height, size.height);
    // One pass along each row into linear light, then one down the columns; each input row is read once.
    std::vector<double> sums(3 * static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height),
                             0.0);
    std::vector<double> row(3 * static_cast<std::size_t>(size.width));
    std::size_t outRow = 0;
    for (int y = 0; y < picture.height; ++y) {
        std::fill(row.begin(), row.end(), 0.0);
        const std::uint32_t* in =
            picture.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        for (std::size_t o = 0; o < across.size(); ++o) {
            const Footprint& f = across[o];
            for (std::size_t k = 0; k < f.weights.size(); ++k) {
                const std::uint32_t c = in[static_cast<std::size_t>(f.first) + k];
                for (std::size_t ch = 0; ch < 3; ++ch)
                    row[3 * o + ch] += f.weights[k] * linear[(c >> (8 * ch)) & 0xFF];
            }
        }
        // The output rows this input row falls in, with its share of each.
        while (outRow < down.size() &&
               down[outRow].first + static_cast<int>(down[outRow].weights.size()) <= y)
            ++outRow;
        for (std::size_t o = outRow; o < down.size() && down[o].first <= y; ++o) {
            const auto k = static_cast<std::size_t>(y - down[o].first);
            if (k >= down[o].weights.size()) continue;
            double* out = sums.data() + 3 * o * static_cast<std::size_t>(size.width);
            for (std::size_t i = 0; i < row.size(); ++i)
                out[i] += down[o].weights[k] * row[i];
        }
    }
    Picture scaled;
    scaled.width = size.width;
    scaled.height = size.height;
    scaled.pixels.resize(static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height));
    for (std::size_t i = 0; i < scaled.pixels.size(); ++i) {
        scaled.pixels[i] =
            colorValue(encodedByte(sums[3 * i]), encodedByte(sums[3 * i + 1]), encodedByte(sums[3 * i + 2]));
    }
    return scaled;
}

} // namespace quorvane::capture
