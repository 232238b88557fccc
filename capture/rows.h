#pragma once
// Where a decoder puts what it decodes, row by row as it decodes it: into a whole picture for one the
// panel can take as it is, or straight into the area average for one that is fitted to the panel, so
// that a large picture is never held whole.
//
//   file -> ByteSource -> decoder -> declared size -> (refused, or) start -> row, row, ... -> the sink's result

#include "capture/picture.h"
#include "capture/source.h"

#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace quorvane::capture {

// What one decoded sample stands for along one direction of the picture: `unit` of the declared
// picture's pixels, except the sample at the short end (the last, or the first where the decoder turned
// the picture upright), which stands for what is left. A full decode has units of one pixel.
struct SampleAxis {
    double unit = 1;
    bool shortFirst = false;
};
struct Sampling {
    SampleAxis across, down;
};

class RowSink {
  public:
    virtual ~RowSink() = default;

    // The picture's size as its file declares it, before a pixel is decoded; a refusal ends the
    // decoding with it.
    virtual std::optional<DecodeError> declared(DeclaredSize size) = 0;
    // The fewest samples across and down that the sink can use, for a decoder that can decode a
    // picture smaller than it is (JPEG): the declared size unless the sink needs fewer.
    virtual DeclaredSize smallestUseful(DeclaredSize declared) const { return declared; }
    // True for a sink that averages the picture down: a decoder may then leave out a check that another
    // one already covers (a PNG's Adler-32 over data whose every chunk has its CRC checked), which
    // costs a tenth of decoding a large photo.
    virtual bool averages() const { return false; }
    // The size the rows come in (the declared one, or a reduced decode), whether they carry alpha, and
    // what each sample stands for.
    virtual void start(DeclaredSize size, bool alpha, const Sampling& sampling) = 0;
    // Row y's pixels at x = first, first + step, ...: a whole row, or one pass of an interlaced one.
    // alpha is empty for an opaque picture. Every pixel of the picture comes exactly once.
    virtual void row(int y, int first, int step, std::span<const std::uint32_t> colours,
                     std::span<const std::uint8_t> alpha) = 0;
    // A whole opaque row as red, green, blue bytes, the way PNG and JPEG decoders hand most rows over: a
    // sink that can take them so saves turning each pixel into a colour value first.
    virtual void rgbRow(int y, std::span<const std::uint8_t> rgb);

    // The most pixels the sink takes, and the most of anything else a file may ask a decoder to
    // produce (a GIF frame larger than its screen): each decoder refuses beyond it before start().
    virtual std::uint64_t pixelLimit() const = 0;
    std::optional<DecodeError> refuseBeyondLimit(std::uint64_t width, std::uint64_t height) const {
        return refuseBeyond(width, height, pixelLimit());
    }

  private:
    std::vector<std::uint32_t> colours_; // rgbRow's row as colour values, for sinks that take only those
};

// The whole picture, as decoded; the decoders refuse one of more than maxPixels.
class PictureSink : public RowSink {
  public:
    explicit PictureSink(std::uint64_t maxPixels) : maxPixels_(maxPixels) {}

    std::optional<DecodeError> declared(DeclaredSize size) override;
    void start(DeclaredSize size, bool alpha, const Sampling& sampling) override;
    void row(int y, int first, int step, std::span<const std::uint32_t> colours,
             std::span<const std::uint8_t> alpha) override;
    std::uint64_t pixelLimit() const override { return maxPixels_; }

    Picture take() { return std::move(picture_); }

  private:
    std::uint64_t maxPixels_;
    Picture picture_;
};

// A format's decoder: reads the file from the source and puts its rows into the sink, reading only as
// far as it needs, so a refusal from the sink costs just the headers.
using Decoder = std::optional<DecodeError> (*)(ByteSource& file, RowSink& sink);

// A decoder run on bytes in memory: for the size the file declares (nothing decoded), or for the whole
// picture, refused beyond maxPixels.
std::variant<DeclaredSize, DecodeError> declaredBy(Decoder decoder, std::span<const std::uint8_t> file);
std::variant<Picture, DecodeError> decodedBy(Decoder decoder, std::span<const std::uint8_t> file,
                                             std::uint64_t maxPixels);

} // namespace quorvane::capture
