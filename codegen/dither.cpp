#include "codegen/dither.h"

#include "codegen/display.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace quorvane::codegen {
namespace {

constexpr std::array<std::array<int, 8>, 8> kBayer = {{
    {0, 32, 8, 40, 2, 34, 10, 42},
    {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},
    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},
    {63, 31, 55, 23, 61, 29, 53, 21},
}};

std::int32_t clampedComponent(std::int32_t c) {
    return std::clamp<std::int32_t>(c, 0, 255);
}

} // namespace

// One channel at one depth, worked out once for every 8-bit component.
struct ChannelLevels {
    std::array<std::int32_t, 256> usual{}; // the usual reduction
    std::array<std::int32_t, 256> exact{}; // the part whose displayed level is this component, or -1
    std::array<std::int32_t, 256> below{}; // the largest part whose level is at or below the component
    std::array<int, 256> upperBelow{};     // Bayer values under which the part above `below` is chosen
    std::array<int, 256> level{};          // indexed by part: its displayed level

    ChannelLevels(Depth depth, Channel channel) {
        const int largest = largestPart(depth, channel);
        exact.fill(-1);
        for (int part = 0; part <= largest; ++part) {
            level[static_cast<std::size_t>(part)] = displayedLevel(part, depth, channel);
            exact[static_cast<std::size_t>(level[static_cast<std::size_t>(part)])] = part;
        }
        int part = 0;
        for (int c = 0; c < 256; ++c) {
            const auto i = static_cast<std::size_t>(c);
            usual[i] = reduceComponent(c, depth, channel);
            while (part < largest && level[static_cast<std::size_t>(part) + 1] <= c)
                ++part;
            below[i] = part;
            if (part == largest) continue;
            // The upper part where t > (m + 0.5) / 64 with t = (c - lower) / (upper - lower), in integers:
            // 128 (c - lower) > (2m + 1) (upper - lower).
            const int lower = level[static_cast<std::size_t>(part)];
            const int span = level[static_cast<std::size_t>(part) + 1] - lower;
            int m = 0;
            while (m < 64 && 128 * (c - lower) > (2 * m + 1) * span)
                ++m;
            upperBelow[i] = m;
        }
    }
};

RowDither::RowDither(int width, Depth depth, Dither dither)
    : width_(static_cast<std::size_t>(std::max(width, 0))), depth_(depth), dither_(dither),
      levels_(std::make_unique<std::array<ChannelLevels, 3>>(std::array<ChannelLevels, 3>{
          ChannelLevels(depth, Channel::Red), ChannelLevels(depth, Channel::Green), ChannelLevels(depth, Channel::Blue)})) {
    if (dither_ == Dither::ErrorDiffusion) here_.assign(3 * (width_ + 2), 0), next_.assign(3 * (width_ + 2), 0);
}

RowDither::~RowDither() = default;
RowDither::RowDither(RowDither&&) noexcept = default;
RowDither& RowDither::operator=(RowDither&&) noexcept = default;

void RowDither::reduce(std::span<const std::int32_t> components, std::span<std::int32_t> parts) {
    const std::array<ChannelLevels, 3>& levels = *levels_;
    const std::size_t n = std::min({components.size(), parts.size(), 3 * width_});
    const std::size_t y = y_++;
    if (dither_ == Dither::None) {
        for (std::size_t i = 0; i < n; i += 3) {
            for (std::size_t ch = 0; ch < 3 && i + ch < n; ++ch) {
                const std::int32_t c = components[i + ch];
                parts[i + ch] = c >= 0 && c <= 255 ? levels[ch].usual[static_cast<std::size_t>(c)]
                                                   : reduceComponent(c, depth_, static_cast<Channel>(ch));
            }
        }
        return;
    }
    if (dither_ == Dither::Ordered) {
        for (std::size_t i = 0; i < n; ++i) {
            const ChannelLevels& channel = levels[i % 3];
            const auto c = static_cast<std::size_t>(clampedComponent(components[i]));
            parts[i] = channel.below[c] + (kBayer[y % 8][(i / 3) % 8] < channel.upperBelow[c] ? 1 : 0);
        }
        return;
    }
    if (n != 3 * width_) throw std::invalid_argument("RowDither: error diffusion takes whole rows");
    // Error is carried in sixteenths of an 8-bit step, so every weight divides exactly and nothing is
    // left to floating point. The four shares are cut so that they always add up to the whole error.
    const bool leftToRight = y % 2 == 0;
    std::fill(next_.begin(), next_.end(), 0);
    for (std::size_t step = 0; step < width_; ++step) {
        const std::size_t x = leftToRight ? step : width_ - 1 - step;
        const std::size_t at = 3 * (x + 1); // this pixel in the rows
        const std::size_t ahead = leftToRight ? at + 3 : at - 3, behind = leftToRight ? at - 3 : at + 3;
        for (std::size_t ch = 0; ch < 3; ++ch) {
            const std::size_t i = 3 * x + ch;
            const ChannelLevels& channel = levels[ch];
            const std::int32_t wanted = std::clamp(16 * components[i] + here_[at + ch], 0, 16 * 255);
            const std::int32_t whole = wanted / 16, sixteenths = wanted % 16;
            // A value on a displayed level keeps that level's part, so a colour the display shows
            // exactly is never speckled; any other value takes the usual reduction of its rounding.
            std::int32_t part;
            if (sixteenths == 0 && channel.exact[static_cast<std::size_t>(whole)] >= 0) {
                part = channel.exact[static_cast<std::size_t>(whole)];
            } else {
                const std::int32_t rounded = whole + (sixteenths > 8 || (sixteenths == 8 && whole % 2 == 1) ? 1 : 0);
                part = channel.usual[static_cast<std::size_t>(std::min(rounded, 255))];
            }
            parts[i] = part;
            const std::int32_t error = wanted - 16 * channel.level[static_cast<std::size_t>(part)];
            const std::int32_t right = error * 7 / 16, downBehind = error * 3 / 16, down = error * 5 / 16;
            here_[ahead + ch] += right;
            next_[behind + ch] += downBehind;
            next_[at + ch] += down;
            next_[ahead + ch] += error - right - downBehind - down;
        }
    }
    std::swap(here_, next_);
}

int bayerValue(std::size_t x, std::size_t y) { return kBayer[y % 8][x % 8]; }

std::string_view ditherName(Dither dither) {
    switch (dither) {
    case Dither::None:
        return "none";
    case Dither::Ordered:
        return "ordered";
    case Dither::ErrorDiffusion:
        return "fs";
    }
    return "none";
}

std::optional<Dither> ditherFromName(std::string_view name) {
    for (Dither dither : {Dither::None, Dither::Ordered, Dither::ErrorDiffusion}) {
        if (ditherName(dither) == name) return dither;
    }
    return std::nullopt;
}

std::vector<std::int32_t> ditheredParts(std::span<const std::int32_t> components, int width, Depth depth,
                                        Dither dither) {
    if (dither == Dither::None || width < 1 || components.empty()) return reduceComponents(components, depth);
    const std::size_t row = 3 * static_cast<std::size_t>(width);
    std::vector<std::int32_t> parts(components.size());
    RowDither rows(width, depth, dither);
    // A last row cut short (components that are no whole number of rows) is ordered as far as it goes;
    // error diffusion leaves it at 0.
    for (std::size_t at = 0; at < components.size(); at += row) {
        const std::size_t n = std::min(row, components.size() - at);
        if (n < row && dither == Dither::ErrorDiffusion) break;
        rows.reduce(components.subspan(at, n), std::span<std::int32_t>(parts).subspan(at, n));
    }
    return parts;
}

} // namespace quorvane::codegen
