#include "capture/inorder.h"

#include "capture/fit.h"

namespace quorvane::capture {
namespace {

void putRgb(std::uint32_t colour, std::uint8_t* rgb) {
    rgb[0] = static_cast<std::uint8_t>(colour), rgb[1] = static_cast<std::uint8_t>(colour >> 8);
    rgb[2] = static_cast<std::uint8_t>(colour >> 16);
}

} // namespace

RowsInOrder::RowsInOrder(PictureRows& rows, DeclaredSize size, bool alpha, std::uint32_t background)
    : rows_(rows), size_(size), background_(background), alpha_(alpha),
      rgb_(3 * static_cast<std::size_t>(size.width)) {
    rows_.begin(size.width, size.height);
}

void RowsInOrder::hold() {
    if (holding_) return;
    holding_ = true;
    const std::size_t pixels = static_cast<std::size_t>(size_.width) * static_cast<std::size_t>(size_.height);
    pixels_.assign(pixels, 0);
    if (alpha_) opacity_.assign(pixels, 255);
}

void RowsInOrder::row(int y, int first, int step, std::span<const std::uint32_t> colours,
                      std::span<const std::uint8_t> alpha) {
    const auto width = static_cast<std::size_t>(size_.width);
    if (!holding_ && y == next_ && first == 0 && step == 1 && colours.size() == width) {
        for (std::size_t x = 0; x < width; ++x) {
            putRgb(alpha.empty() ? colours[x] : overBackground(colours[x], alpha[x], background_), &rgb_[3 * x]);
        }
        rows_.row(rgb_);
        ++next_;
        return;
    }
    hold();
    const std::size_t at = static_cast<std::size_t>(y) * width;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::size_t x = static_cast<std::size_t>(first) + i * static_cast<std::size_t>(step);
        pixels_[at + x] = colours[i];
        if (alpha_) opacity_[at + x] = alpha.empty() ? 255 : alpha[i];
    }
}

void RowsInOrder::rgbRow(int y, std::span<const std::uint8_t> rgb) {
    if (!holding_ && y == next_ && rgb.size() == rgb_.size()) {
        rows_.row(rgb);
        ++next_;
        return;
    }
    hold();
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(size_.width);
    for (std::size_t x = 0; 3 * x + 2 < rgb.size(); ++x) pixels_[at + x] = colorValue(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
}

void RowsInOrder::finish() {
    if (!holding_) return;
    const auto width = static_cast<std::size_t>(size_.width);
    for (; next_ < size_.height; ++next_) {
        const std::size_t at = static_cast<std::size_t>(next_) * width;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t c = pixels_[at + x];
            putRgb(alpha_ ? overBackground(c, opacity_[at + x], background_) : c, &rgb_[3 * x]);
        }
        rows_.row(rgb_);
    }
}

} // namespace quorvane::capture
