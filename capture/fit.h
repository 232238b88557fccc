#pragma once
// Making any picture one the panel can take: transparency laid over a background colour, and a picture
// larger than the panel scaled down to fit it.

#include "capture/picture.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::capture {

// One colour value (0x00BBGGRR) with its alpha over `background`: round((c * a + bg * (255 - a)) / 255)
// per channel.
inline std::uint32_t overBackground(std::uint32_t colour, std::uint32_t alpha, std::uint32_t background) {
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t fg = (colour >> shift) & 0xFF, bg = (background >> shift) & 0xFF;
        // 255 is odd, so the sum over 255 is never exactly halfway: adding 127 rounds.
        out |= ((fg * alpha + bg * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

// Every pixel over `background`. The result is opaque; an opaque picture is returned as it is.
Picture composite(Picture picture, std::uint32_t background);

enum class FitMode {
    Contain, // the whole picture, as large as fits in the frame
    Cover    // the frame filled, the picture's middle kept; never scaled up
};

// How a picture is fitted to a frame: scaled to `scaled`, of which the middle `kept` is the output.
//   Contain: a picture that fits keeps its size; any other is scaled by s = min(W / w, H / h) to
//            max(1, round(w * s)) x max(1, round(h * s)), all of it kept.
//   Cover:   s = min(1, max(W / w, H / h)), the same rounding, and the middle min(scaled, frame) kept.
struct FitPlan {
    DeclaredSize scaled;
    DeclaredSize kept;
};
FitPlan fitPlan(DeclaredSize picture, DeclaredSize frame, FitMode mode);

// Contain into side x side: fitPlan's kept size.
DeclaredSize fittedSize(int width, int height, int side);

// One direction of an area average. The picture is `source` pixels long this way and comes as `samples`
// decoded samples, each standing for `unit` of its pixels (a JPEG decoded at n/8 has units of 8 / n),
// except the sample at the short end, which stands for what is left: the last, or with shortFirst (a
// picture turned upright) the first. The picture is scaled to `scaled` output pixels of which the middle
// `kept` are the output: output o covers the pixels from (o + (scaled - kept) / 2) * source / scaled to
// (o + 1 + (scaled - kept) / 2) * source / scaled.
struct AverageAxis {
    int samples = 0;
    int source = 0;
    double unit = 1;
    bool shortFirst = false;
    int scaled = 0;
    int kept = 0;
};

// The area average of a picture into a smaller one: each output pixel is the mean of the exact part of
// the picture it covers, in linear light (sRGB decoded, averaged, encoded again). Rows may come in any
// order, whole or in interlaced passes; only the output's sums are kept, never the picture.
class AreaAverage {
  public:
    // Every output pixel spans at least one sample each way.
    AreaAverage(const AverageAxis& across, const AverageAxis& down);
    // in is at least out in each direction; every sample one pixel, all of it kept.
    AreaAverage(DeclaredSize in, DeclaredSize out);

    // Opaque colour values of row y at x = first, first + step, ...
    void add(int y, int first, int step, std::span<const std::uint32_t> colours);
    // A whole row as red, green, blue bytes.
    void addRgb(int y, std::span<const std::uint8_t> rgb);
    Picture result() const;

  private:
    // Where one sample falls along an axis: the output index it starts in, its share of that output and
    // of the next (0 when it lies wholly inside the first). A sample outside the kept window has none.
    struct Share {
        std::uint32_t output = 0;
        double first = 0, second = 0;
        bool none() const { return first == 0 && second == 0; }
    };
    // One output column of a whole row: its first and last samples, each with its own share, and the
    // samples between them, which it covers whole and which all have the same share.
    struct Column {
        std::uint32_t wholeBegin = 0, wholeEnd = 0;
        std::int32_t left = -1, right = -1;
        double leftShare = 0, rightShare = 0;
    };
    static std::vector<Share> shares(const AverageAxis& axis);
    // pixel(x, r, g, b) gives the channels of pixel x.
    template <typename Pixel> void addWholeRow(Pixel pixel);
    void addPixels(int first, int step, std::span<const std::uint32_t> colours);
    void addRowDown(int y);

    DeclaredSize out_;
    double wholeShare_;
    std::vector<Share> across_, down_;
    std::vector<Column> columns_;
    std::vector<double> rowSums_; // one input row averaged across, 3 per output column
    std::vector<double> sums_;    // the output picture's sums, 3 per pixel
};

// An opaque picture through AreaAverage, row by row.
Picture scaleDown(const Picture& picture, DeclaredSize size);

} // namespace quorvane::capture
