#include "codegen/storage.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace quorvane::codegen {
namespace {

constexpr int kWhiteLuma = 255000;

int luma(std::span<const std::int32_t> components, std::size_t pixel) {
    const auto c = [&](std::size_t ch) { return std::clamp(components[3 * pixel + ch], 0, 255); };
    return 299 * c(0) + 587 * c(1) + 114 * c(2);
}

} // namespace

std::string_view monoLayoutName(MonoLayout layout) {
    switch (layout) {
    case MonoLayout::RowsLsb: return "rows-lsb";
    case MonoLayout::Pages: return "pages";
    case MonoLayout::Rows: break;
    }
    return "rows";
}

std::optional<MonoLayout> monoLayoutFromName(std::string_view name) {
    for (MonoLayout layout : {MonoLayout::Rows, MonoLayout::RowsLsb, MonoLayout::Pages}) {
        if (monoLayoutName(layout) == name) return layout;
    }
    return std::nullopt;
}

std::string_view compressionName(Compression compression) {
    switch (compression) {
    case Compression::Rle: return "rle";
    case Compression::Lz4: return "lz4";
    case Compression::Auto: return "auto";
    case Compression::None: break;
    }
    return "none";
}

std::optional<Compression> compressionFromName(std::string_view name) {
    for (Compression c : {Compression::None, Compression::Rle, Compression::Lz4, Compression::Auto}) {
        if (compressionName(c) == name) return c;
    }
    return std::nullopt;
}

bool isPaletteSize(int colours) { return colours == 2 || colours == 4 || colours == 16 || colours == 256; }

int Storage::indexBits() const {
    if (mono) return 1;
    switch (paletteSize) {
    case 2: return 1;
    case 4: return 2;
    case 16: return 4;
    case 256: return 8;
    default: return 0;
    }
}

MonoRows::MonoRows(int width, Dither dither) : width_(static_cast<std::size_t>(std::max(width, 0))), dither_(dither) {
    if (dither_ == Dither::ErrorDiffusion) here_.assign(width_ + 2, 0), next_.assign(width_ + 2, 0);
}

void MonoRows::bits(std::span<const std::int32_t> components, std::span<std::uint8_t> bits) {
    if (components.size() != 3 * width_ || bits.size() != width_) throw std::invalid_argument("MonoRows: not a whole row");
    const std::size_t y = y_++;
    if (dither_ != Dither::ErrorDiffusion) {
        for (std::size_t x = 0; x < width_; ++x) {
            const int l = luma(components, x);
            if (dither_ == Dither::Ordered) {
                // Between black and white, as the colour dithering chooses between two levels: the upper
                // where 128 l > (2m + 1) 255 with m the matrix's value, l the luma in levels.
                const int m = bayerValue(x, y);
                bits[x] = 128LL * l > static_cast<long long>(2 * m + 1) * kWhiteLuma ? 1 : 0;
            } else {
                bits[x] = l >= kLitLuma ? 1 : 0;
            }
        }
        return;
    }
    // Error diffusion on the luma, as the colour dithering does it on each channel: 7, 3, 5 and 1
    // sixteenths, serpentine rows, cut so that the four shares always add up to the whole error.
    const bool leftToRight = y % 2 == 0;
    std::fill(next_.begin(), next_.end(), 0);
    for (std::size_t step = 0; step < width_; ++step) {
        const std::size_t x = leftToRight ? step : width_ - 1 - step;
        const std::size_t at = x + 1, ahead = leftToRight ? at + 1 : at - 1, behind = leftToRight ? at - 1 : at + 1;
        const int wanted = std::clamp(luma(components, x) + here_[at], 0, kWhiteLuma);
        const bool lit = wanted >= kLitLuma;
        bits[x] = lit ? 1 : 0;
        const int error = wanted - (lit ? kWhiteLuma : 0);
        const int right = error * 7 / 16, downBehind = error * 3 / 16, down = error * 5 / 16;
        here_[ahead] += right;
        next_[behind] += downBehind;
        next_[at] += down;
        next_[ahead] += error - right - downBehind - down;
    }
    std::swap(here_, next_);
}

std::vector<std::uint8_t> monoBits(std::span<const std::int32_t> components, PictureSize size, Dither dither) {
    const std::size_t pixels = size.pixels();
    if (components.size() != 3 * pixels) throw std::invalid_argument("monoBits: the components do not match the size");
    std::vector<std::uint8_t> bits(pixels);
    const auto width = static_cast<std::size_t>(size.width);
    MonoRows rows(size.width, dither);
    for (std::size_t at = 0; at < pixels; at += width) {
        rows.bits(components.subspan(3 * at, 3 * width), std::span<std::uint8_t>(bits).subspan(at, width));
    }
    return bits;
}

std::vector<std::int32_t> monoParts(std::span<const std::uint8_t> bits, Depth depth) {
    const ColorFormat& format = colorFormat(depth);
    std::vector<std::int32_t> parts;
    parts.reserve(3 * bits.size());
    for (const std::uint8_t bit : bits) {
        for (const Channel channel : {Channel::Red, Channel::Green, Channel::Blue}) parts.push_back(bit ? format.largestPart(channel) : 0);
    }
    return parts;
}

std::size_t monoByteCount(PictureSize size, MonoLayout layout) {
    const auto w = static_cast<std::size_t>(size.width), h = static_cast<std::size_t>(size.height);
    return layout == MonoLayout::Pages ? (h + 7) / 8 * w : (w + 7) / 8 * h;
}

namespace {

// Where pixel (x, y)'s bit lies in the layout: its byte and the bit in it.
std::pair<std::size_t, int> monoPlace(std::size_t x, std::size_t y, std::size_t width, MonoLayout layout) {
    switch (layout) {
    case MonoLayout::Pages: return {y / 8 * width + x, static_cast<int>(y % 8)};
    case MonoLayout::RowsLsb: return {y * ((width + 7) / 8) + x / 8, static_cast<int>(x % 8)};
    case MonoLayout::Rows: break;
    }
    return {y * ((width + 7) / 8) + x / 8, 7 - static_cast<int>(x % 8)};
}

} // namespace

void placeMonoRow(std::span<const std::uint8_t> bits, std::size_t y, PictureSize size, MonoLayout layout,
                  std::span<std::uint8_t> bytes) {
    const auto w = static_cast<std::size_t>(size.width);
    for (std::size_t x = 0; x < bits.size(); ++x) {
        if (!bits[x]) continue;
        const auto [at, bit] = monoPlace(x, y, w, layout);
        bytes[at] = static_cast<std::uint8_t>(bytes[at] | 1u << bit);
    }
}

std::vector<std::uint8_t> monoBytes(std::span<const std::uint8_t> bits, PictureSize size, MonoLayout layout) {
    std::vector<std::uint8_t> bytes(monoByteCount(size, layout));
    const auto w = static_cast<std::size_t>(size.width);
    for (std::size_t y = 0; w > 0 && y * w < bits.size(); ++y) {
        placeMonoRow(bits.subspan(y * w, std::min(w, bits.size() - y * w)), y, size, layout, bytes);
    }
    return bytes;
}

std::vector<std::uint8_t> monoBitsFromBytes(std::span<const std::uint8_t> bytes, PictureSize size, MonoLayout layout) {
    if (bytes.size() != monoByteCount(size, layout)) throw std::invalid_argument("monoBitsFromBytes: wrong length");
    const auto w = static_cast<std::size_t>(size.width);
    std::vector<std::uint8_t> bits(size.pixels());
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const auto [at, bit] = monoPlace(i % w, i / w, w, layout);
        bits[i] = static_cast<std::uint8_t>(bytes[at] >> bit & 1u);
    }
    return bits;
}

} // namespace quorvane::codegen
