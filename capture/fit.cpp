#include "capture/fit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

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
        for (int c = 0; c < 256; ++c) t[static_cast<std::size_t>(c)] = static_cast<float>(toLinear(c / 255.0));
        return t;
    }();
    return table;
}

std::uint32_t encodedByte(double linear) {
    const double encoded = toEncoded(std::clamp(linear, 0.0, 1.0)) * 255;
    return static_cast<std::uint32_t>(std::lround(encoded));
}

// encodedByte without a pow for each channel of each output pixel: the linear value at which the byte
// turns from k - 1 to k is toLinear((k - 0.5) / 255), so counting the turns at or below a value gives
// its byte. A coarse index over [0, 1] says where to start counting. Only a value within a hair of a
// turning point, where rounding in either formula could decide, is worked out in full, so the bytes
// are exactly encodedByte's.
class Encoder {
  public:
    Encoder() {
        for (int k = 1; k < 256; ++k) turns_[static_cast<std::size_t>(k - 1)] = toLinear((k - 0.5) / 255);
        std::size_t byte = 0;
        for (std::size_t i = 0; i < kCells; ++i) {
            while (byte < turns_.size() && turns_[byte] <= static_cast<double>(i) / kCells) ++byte;
            start_[i] = static_cast<std::uint8_t>(byte);
        }
    }
    std::uint32_t operator()(double linear) const {
        if (!(linear > 0)) return 0;
        if (linear >= 1) return 255;
        std::size_t byte = start_[static_cast<std::size_t>(linear * kCells)];
        while (byte < turns_.size() && turns_[byte] <= linear) ++byte;
        const auto near = [linear](double turn) { return std::abs(linear - turn) <= 1e-9 * turn; };
        if ((byte < turns_.size() && near(turns_[byte])) || (byte > 0 && near(turns_[byte - 1]))) {
            return encodedByte(linear);
        }
        return static_cast<std::uint32_t>(byte);
    }

  private:
    static constexpr std::size_t kCells = 4096;
    std::array<double, 255> turns_{};
    std::array<std::uint8_t, kCells> start_{};
};

} // namespace

Picture composite(Picture picture, std::uint32_t background) {
    if (picture.alpha.empty()) return picture;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        picture.pixels[i] = overBackground(picture.pixels[i], picture.alpha[i], background);
    }
    picture.alpha.clear();
    return picture;
}

FitPlan fitPlan(DeclaredSize picture, DeclaredSize frame, FitMode mode) {
    const double w = picture.width, h = picture.height;
    const bool fits = picture.width <= frame.width && picture.height <= frame.height;
    if (mode == FitMode::Contain && fits) return {picture, picture};
    const double s = mode == FitMode::Contain ? std::min(frame.width / w, frame.height / h)
                                              : std::min(1.0, std::max(frame.width / w, frame.height / h));
    const DeclaredSize scaled{std::max(1, static_cast<int>(std::lround(w * s))),
                              std::max(1, static_cast<int>(std::lround(h * s)))};
    return {scaled, {std::min(scaled.width, frame.width), std::min(scaled.height, frame.height)}};
}

DeclaredSize fittedSize(int width, int height, int side) {
    return fitPlan({width, height}, {side, side}, FitMode::Contain).kept;
}

// Output o covers [(o + offset) * step, (o + 1 + offset) * step) of the picture's pixels, and each
// sample's share of it is the overlap over that width. Each sample spans at most one output's width, so
// it meets at most two outputs.
std::vector<AreaAverage::Share> AreaAverage::shares(const AverageAxis& axis) {
    std::vector<Share> result(static_cast<std::size_t>(axis.samples));
    const double step = static_cast<double>(axis.source) / axis.scaled;
    const double offset = (axis.scaled - axis.kept) / 2.0;
    const double lead = axis.shortFirst ? axis.samples * axis.unit - axis.source : 0;
    for (int o = 0; o < axis.kept; ++o) {
        const double start = (o + offset) * step, end = (o + 1 + offset) * step;
        // One sample early, in case rounding put the start just past a sample's edge.
        const int first = std::max(0, static_cast<int>(std::floor((start + lead) / axis.unit)) - 1);
        for (int i = first; i < axis.samples; ++i) {
            const double from = std::max(0.0, i * axis.unit - lead);
            const double to = std::min<double>(axis.source, (i + 1) * axis.unit - lead);
            if (from >= end) break;
            const double overlap = std::min(to, end) - std::max(from, start);
            if (overlap <= 0) continue;
            Share& share = result[static_cast<std::size_t>(i)];
            if (share.first == 0) {
                share.output = static_cast<std::uint32_t>(o);
                share.first = overlap / step;
            } else {
                share.second = overlap / step;
            }
        }
    }
    return result;
}

AreaAverage::AreaAverage(DeclaredSize in, DeclaredSize out)
    : AreaAverage({.samples = in.width, .source = in.width, .scaled = out.width, .kept = out.width},
                  {.samples = in.height, .source = in.height, .scaled = out.height, .kept = out.height}) {}

AreaAverage::AreaAverage(const AverageAxis& across, const AverageAxis& down)
    : out_{across.kept, down.kept}, wholeShare_(across.unit / (static_cast<double>(across.source) / across.scaled)),
      rowSums_(3 * static_cast<std::size_t>(std::max(0, across.kept))),
      sums_(3 * static_cast<std::size_t>(std::max(0, across.kept)) * static_cast<std::size_t>(std::max(0, down.kept))) {
    for (const AverageAxis* axis : {&across, &down}) {
        const bool valid = axis->kept >= 1 && axis->kept <= axis->scaled && axis->samples >= 1 && axis->unit > 0 &&
                           axis->samples * axis->unit >= axis->source &&
                           axis->unit * axis->scaled <= axis->source * (1 + 1e-12);
        if (!valid) {
            throw std::invalid_argument("AreaAverage: " + std::to_string(axis->samples) + " samples of " +
                                        std::to_string(axis->source) + " pixels do not scale down to " +
                                        std::to_string(axis->scaled) + ", keeping " + std::to_string(axis->kept));
        }
    }
    across_ = shares(across);
    down_ = shares(down);
    // The same shares, seen from each output column: its first and last samples, and the run between.
    columns_.resize(static_cast<std::size_t>(out_.width));
    std::vector<std::int32_t> firstOf(columns_.size(), -1), lastOf(columns_.size(), -1);
    for (std::size_t x = 0; x < across_.size(); ++x) {
        const Share& share = across_[x];
        if (share.none()) continue;
        for (std::uint32_t o = share.output; o <= share.output + (share.second != 0 ? 1u : 0u); ++o) {
            if (firstOf[o] < 0) firstOf[o] = static_cast<std::int32_t>(x);
            lastOf[o] = static_cast<std::int32_t>(x);
        }
    }
    const auto shareIn = [this](std::int32_t x, std::uint32_t o) {
        const Share& share = across_[static_cast<std::size_t>(x)];
        return share.output == o ? share.first : share.second;
    };
    for (std::uint32_t o = 0; o < columns_.size(); ++o) {
        Column& column = columns_[o];
        column.left = firstOf[o];
        column.leftShare = shareIn(firstOf[o], o);
        if (lastOf[o] != firstOf[o]) column.right = lastOf[o], column.rightShare = shareIn(lastOf[o], o);
        column.wholeBegin = static_cast<std::uint32_t>(firstOf[o] + 1);
        column.wholeEnd = static_cast<std::uint32_t>(std::max(firstOf[o] + 1, lastOf[o]));
    }
}

// A whole row, column by column: the whole pixels are summed first and weighed once, which is most of
// the work of a large picture.
template <typename Pixel> void AreaAverage::addWholeRow(Pixel pixel) {
    const auto& linear = linearTable();
    double* out = rowSums_.data();
    std::uint32_t cr = 0, cg = 0, cb = 0;
    for (const Column& column : columns_) {
        double r = 0, g = 0, b = 0;
        for (std::uint32_t x = column.wholeBegin; x < column.wholeEnd; ++x) {
            pixel(x, cr, cg, cb);
            r += linear[cr], g += linear[cg], b += linear[cb];
        }
        r *= wholeShare_, g *= wholeShare_, b *= wholeShare_;
        for (const auto& [at, share] : {std::pair{column.left, column.leftShare}, {column.right, column.rightShare}}) {
            if (at < 0) continue;
            pixel(static_cast<std::uint32_t>(at), cr, cg, cb);
            r += share * linear[cr], g += share * linear[cg], b += share * linear[cb];
        }
        out[0] = r, out[1] = g, out[2] = b;
        out += 3;
    }
}

// Pixels with gaps between them (an interlaced pass), each into the one or two columns it falls in.
void AreaAverage::addPixels(int first, int step, std::span<const std::uint32_t> colours) {
    const auto& linear = linearTable();
    std::fill(rowSums_.begin(), rowSums_.end(), 0.0);
    double* row = rowSums_.data();
    std::size_t x = static_cast<std::size_t>(first);
    for (const std::uint32_t c : colours) {
        const Share& share = across_[x];
        x += static_cast<std::size_t>(step);
        if (share.none()) continue;
        const double r = linear[c & 0xFF], g = linear[(c >> 8) & 0xFF], b = linear[(c >> 16) & 0xFF];
        double* out = row + 3 * share.output;
        out[0] += share.first * r, out[1] += share.first * g, out[2] += share.first * b;
        if (share.second != 0) out[3] += share.second * r, out[4] += share.second * g, out[5] += share.second * b;
    }
}

void AreaAverage::add(int y, int first, int step, std::span<const std::uint32_t> colours) {
    if (down_[static_cast<std::size_t>(y)].none()) return; // a row outside the kept window
    // Across first, into one row of output sums; then that row into the output rows that y falls in.
    if (first == 0 && step == 1 && colours.size() == across_.size()) {
        addWholeRow([colours](std::uint32_t x, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b) {
            const std::uint32_t c = colours[x];
            r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        });
    } else {
        addPixels(first, step, colours);
    }
    addRowDown(y);
}

void AreaAverage::addRgb(int y, std::span<const std::uint8_t> rgb) {
    if (rgb.size() != 3 * across_.size()) throw std::invalid_argument("AreaAverage: an RGB row of the wrong width");
    if (down_[static_cast<std::size_t>(y)].none()) return;
    addWholeRow([rgb](std::uint32_t x, std::uint32_t& r, std::uint32_t& g, std::uint32_t& b) {
        r = rgb[3 * x], g = rgb[3 * x + 1], b = rgb[3 * x + 2];
    });
    addRowDown(y);
}

void AreaAverage::addRowDown(int y) {
    const double* row = rowSums_.data();
    const Share& share = down_[static_cast<std::size_t>(y)];
    const std::size_t width = rowSums_.size();
    double* into = sums_.data() + share.output * width;
    for (std::size_t i = 0; i < width; ++i) into[i] += share.first * row[i];
    if (share.second != 0) {
        into += width;
        for (std::size_t i = 0; i < width; ++i) into[i] += share.second * row[i];
    }
}

Picture AreaAverage::result() const {
    Picture scaled;
    scaled.width = out_.width;
    scaled.height = out_.height;
    scaled.pixels.resize(static_cast<std::size_t>(out_.width) * static_cast<std::size_t>(out_.height));
    static const Encoder encoded;
    for (std::size_t i = 0; i < scaled.pixels.size(); ++i) {
        scaled.pixels[i] = colorValue(encoded(sums_[3 * i]), encoded(sums_[3 * i + 1]), encoded(sums_[3 * i + 2]));
    }
    return scaled;
}

Picture scaleDown(const Picture& picture, DeclaredSize size) {
    if (size.width == picture.width && size.height == picture.height) return picture;
    AreaAverage average({picture.width, picture.height}, size);
    const std::span<const std::uint32_t> pixels(picture.pixels);
    const auto width = static_cast<std::size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y) average.add(y, 0, 1, pixels.subspan(static_cast<std::size_t>(y) * width, width));
    return average.result();
}

} // namespace quorvane::capture
