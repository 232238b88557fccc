#include "capture/rows.h"

namespace quorvane::capture {

void RowSink::rgbRow(int y, std::span<const std::uint8_t> rgb) {
    colours_.resize(rgb.size() / 3);
    for (std::size_t x = 0; x < colours_.size(); ++x) colours_[x] = colorValue(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]);
    row(y, 0, 1, colours_, {});
}

std::optional<DecodeError> PictureSink::declared(DeclaredSize) { return std::nullopt; }

void PictureSink::start(DeclaredSize size, bool alpha, const Sampling&) {
    picture_.width = size.width;
    picture_.height = size.height;
    const std::size_t pixels = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    picture_.pixels.assign(pixels, 0);
    picture_.alpha.assign(alpha ? pixels : 0, 0);
}

void PictureSink::row(int y, int first, int step, std::span<const std::uint32_t> colours,
                      std::span<const std::uint8_t> alpha) {
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width);
    for (std::size_t i = 0; i < colours.size(); ++i) {
        const std::size_t x = static_cast<std::size_t>(first) + i * static_cast<std::size_t>(step);
        picture_.pixels[at + x] = colours[i];
        if (!picture_.alpha.empty()) picture_.alpha[at + x] = alpha.empty() ? 255 : alpha[i];
    }
}

namespace {

// Takes the declared size and stops the decoder there.
class SizeSink : public RowSink {
  public:
    std::optional<DecodeError> declared(DeclaredSize size) override {
        size_ = size;
        return DecodeError{"stopped after the size"};
    }
    void start(DeclaredSize, bool, const Sampling&) override {}
    void row(int, int, int, std::span<const std::uint32_t>, std::span<const std::uint8_t>) override {}
    std::uint64_t pixelLimit() const override { return 0; }
    std::optional<DeclaredSize> size_;
};

} // namespace

std::variant<DeclaredSize, DecodeError> declaredBy(Decoder decoder, std::span<const std::uint8_t> file) {
    ByteSource source(file);
    SizeSink sink;
    const auto error = decoder(source, sink);
    if (sink.size_) return *sink.size_;
    return error.value_or(DecodeError{"it declares no size"});
}

std::variant<Picture, DecodeError> decodedBy(Decoder decoder, std::span<const std::uint8_t> file,
                                             std::uint64_t maxPixels) {
    ByteSource source(file);
    PictureSink sink(maxPixels);
    if (auto error = decoder(source, sink)) return *error;
    return sink.take();
}

} // namespace quorvane::capture
