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

// The size a picture is scaled to so that it fits within side x side with its aspect ratio:
// s = min(side / w, side / h), max(1, round(w * s)) x max(1, round(h * s)); a picture that fits keeps its
// size.
DeclaredSize fittedSize(int width, int height, int side);

// The area average of a picture into a smaller one: each output pixel is the mean of the exact part of
// the picture it covers, in linear light (sRGB decoded, averaged, encoded again). Rows may come in any
// order, whole or in interlaced passes; only the output's sums are kept, never the picture.
class AreaAverage {
  public:
    // in is at least out in each direction.
    AreaAverage(DeclaredSize in, DeclaredSize out);

    // Opaque colour values of row y at x = first, first + step, ...
    void add(int y, int first, int step, std::span<const std::uint32_t> colours);
    // A whole row as red, green, blue bytes.
    void addRgb(int y, std::span<const std::uint8_t> rgb);
    Picture result() const;

  private:
    // Where one input index falls along an axis: the output index it starts in, its share of that
    // output and of the next (0 when it lies wholly inside the first).
    struct Share {
        std::uint32_t output = 0;
        double first = 0, second = 0;
    };
    // One output column of a whole row: the input pixels it covers whole, all with the same share, and
    // the one on each side that it covers in part (none when the edge falls between two pixels).
    struct Column {
        std::uint32_t wholeBegin = 0, wholeEnd = 0;
        std::int32_t left = -1, right = -1;
        double leftShare = 0, rightShare = 0;
    };
    static std::vector<Share> shares(int in, int out);
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
