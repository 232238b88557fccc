#include "capture/bmp.h"

#include "capture/bmpheader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <string>
#include <vector>

namespace quorvane::capture {

using detail::BmpHeader;
using detail::Encoding;
using detail::readU16;
using detail::readU32;

namespace {

DecodeError fail(std::string reason) { return DecodeError{std::move(reason)}; }

// One channel of a bit-field pixel, widened to 8 bits by bit replication so that the full range of the
// channel maps onto 0..255 (a 5-bit 31 is 255, 4 is 33); a wider channel keeps its top 8 bits.
class ChannelExpander {
public:
    explicit ChannelExpander(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), bits_(std::popcount(mask)) {
        if (bits_ > 0 && bits_ < 8) {
            for (std::uint32_t v = 0; v < (1u << bits_); ++v) {
                std::uint32_t out = 0;
                int filled = 0;
                while (filled < 8) out = (out << bits_) | v, filled += bits_;
                table_[v] = static_cast<std::uint8_t>(out >> (filled - 8));
            }
        }
    }
    std::uint32_t operator()(std::uint32_t pixel) const {
        const std::uint32_t v = (pixel & mask_) >> shift_;
        if (bits_ == 0) return 0;
        if (bits_ >= 8) return v >> (bits_ - 8);
        return table_[v];
    }

private:
    std::uint32_t mask_;
    int shift_;
    int bits_;
    std::array<std::uint8_t, 128> table_{};
};

// A BMP's headers and largest palette fit in this much of the start of the file.
constexpr std::size_t kHeadBytes = 2048;

class BmpDecoder {
public:
    BmpDecoder(ByteSource& file, std::span<const std::uint8_t> head, const BmpHeader& header, RowSink& sink)
        : file_(file), head_(head), h_(header), sink_(sink) {}

    std::optional<DecodeError> run() {
        // The size is the sink's to judge before anything else is read or checked.
        if (auto refusal = sink_.declared({h_.width, h_.height})) return refusal;
        if (auto error = readPalette()) return error;
        const bool rle = h_.encoding == Encoding::Rle8 || h_.encoding == Encoding::Rle4;
        if (h_.pixelOffset >= file_.size()) {
            return fail("its pixel data starts beyond the end of the file (the file is truncated)");
        }
        if (!rle) {
            if (auto error = checkRowsPresent()) return error;
        }
        // RLE data can describe any size in a few bytes: cap what a file may make us produce.
        if (auto error = sink_.refuseBeyondLimit(h_.width, h_.height)) return error;
        alpha_ = h_.encoding == Encoding::Bitfields && h_.alphaMask != 0;
        sink_.start({h_.width, h_.height}, alpha_, {});
        line_.resize(static_cast<std::size_t>(h_.width));
        if (alpha_) lineAlpha_.resize(line_.size());
        file_.seek(h_.pixelOffset);
        return rle ? decodeRle() : decodeRows();
    }

private:
    std::optional<DecodeError> readPalette() {
        const std::size_t end = h_.paletteStart + h_.paletteCount * h_.paletteEntrySize;
        if (end > head_.size()) return fail("the file is truncated (it ends inside the colour palette)");
        palette_.reserve(h_.paletteCount);
        for (std::size_t i = 0; i < h_.paletteCount; ++i) {
            const std::size_t at = h_.paletteStart + i * h_.paletteEntrySize;
            palette_.push_back(colorValue(head_[at + 2], head_[at + 1], head_[at]));
        }
        return std::nullopt;
    }

    std::uint64_t rowStride() const {
        return (static_cast<std::uint64_t>(h_.width) * static_cast<std::uint64_t>(h_.bitCount) + 31) / 32 * 4;
    }

    // The last row may lack its padding: every pixel is there, and that is what counts.
    std::uint64_t lastRowBytes() const { return (static_cast<std::uint64_t>(h_.width) * h_.bitCount + 7) / 8; }

    std::optional<DecodeError> checkRowsPresent() const {
        const std::uint64_t needed =
            h_.pixelOffset + rowStride() * static_cast<std::uint64_t>(h_.height - 1) + lastRowBytes();
        if (needed > file_.size()) {
            return fail("the file is truncated (its pixel data ends before all " + std::to_string(h_.height) +
                        " rows are there)");
        }
        return std::nullopt;
    }

    DecodeError readFailure() const {
        return fail(file_.shortReadReason("the file is truncated (it changed while it was read)"));
    }

    std::optional<DecodeError> paletteColor(std::uint32_t index, std::uint32_t& color) const {
        if (index >= palette_.size()) {
            return fail("a pixel uses palette index " + std::to_string(index) + ", past its palette of " +
                        std::to_string(palette_.size()) + " colours");
        }
        color = palette_[index];
        return std::nullopt;
    }

    // The file's rows run from the bottom up unless it says it is top-down.
    void emit(int fileRow) {
        const int y = h_.topDown ? fileRow : h_.height - 1 - fileRow;
        sink_.row(y, 0, 1, line_, lineAlpha_);
    }

    std::optional<DecodeError> decodeRows() {
        const ChannelExpander red(h_.masks[0]), green(h_.masks[1]), blue(h_.masks[2]), alpha(h_.alphaMask);
        const auto stride = static_cast<std::size_t>(rowStride());
        std::vector<std::uint8_t> bytes(stride);
        for (int row = 0; row < h_.height; ++row) {
            const std::size_t want = row + 1 < h_.height ? stride : static_cast<std::size_t>(lastRowBytes());
            if (!file_.readAll(bytes.data(), want)) return readFailure();
            for (int x = 0; x < h_.width; ++x) {
                const auto ux = static_cast<std::size_t>(x);
                std::uint32_t& out = line_[ux];
                std::uint32_t p = 0;
                switch (h_.bitCount) {
                case 1: case 4: case 8: {
                    const std::size_t bit = ux * static_cast<std::size_t>(h_.bitCount);
                    const int shift = 8 - h_.bitCount - static_cast<int>(bit % 8);
                    const std::uint32_t index = (bytes[bit / 8] >> shift) & ((1u << h_.bitCount) - 1);
                    if (auto error = paletteColor(index, out)) return error;
                    continue;
                }
                case 16:
                    p = readU16(bytes, 2 * ux);
                    break;
                case 24:
                    out = colorValue(bytes[3 * ux + 2], bytes[3 * ux + 1], bytes[3 * ux]);
                    continue;
                case 32:
                    p = readU32(bytes, 4 * ux);
                    break;
                }
                out = colorValue(red(p), green(p), blue(p));
                if (alpha_) lineAlpha_[ux] = static_cast<std::uint8_t>(alpha(p));
            }
            emit(row);
        }
        return std::nullopt;
    }

    std::optional<DecodeError> decodeRle() {
        const bool four = h_.encoding == Encoding::Rle4;
        const std::uint32_t background = palette_.empty() ? 0 : palette_[0];
        int x = 0, row = 0, given = 0;
        // Rows are handed on as the data leaves them; pixels it never sets keep the background, and rows
        // it skips or never reaches are background throughout.
        std::fill(line_.begin(), line_.end(), background);
        const auto giveRowsBefore = [&](int end) {
            for (; given < end && given < h_.height; ++given) {
                emit(given);
                std::fill(line_.begin(), line_.end(), background);
            }
        };
        // A run below the last row is refused. A run that reaches past the end of its row keeps the
        // pixels inside the row and drops the rest: encoders that pad odd-width rows to an even count
        // write such runs, and other decoders read them the same way.
        const auto leaves = [&](std::uint32_t) { return row >= h_.height; };
        const auto put = [&](std::uint32_t index) -> std::optional<DecodeError> {
            if (x >= h_.width) return std::nullopt;
            std::uint32_t color = 0;
            if (auto error = paletteColor(index, color)) return error;
            line_[static_cast<std::size_t>(x++)] = color;
            return std::nullopt;
        };
        std::vector<std::uint8_t> run;
        while (true) {
            std::uint8_t pair[2];
            if (!file_.readAll(pair, 2)) {
                if (file_.failed()) return readFailure();
                if (row >= h_.height) break; // every row was ended; only the final marker is missing
                return fail("the file is truncated (its RLE data ends before the end-of-bitmap marker)");
            }
            const std::uint32_t count = pair[0], value = pair[1];
            if (count > 0) {
                if (leaves(count)) return fail("an RLE run leaves the picture");
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint32_t index = four ? ((i % 2 == 0) ? value >> 4 : value & 0xF) : value;
                    if (auto error = put(index)) return error;
                }
                continue;
            }
            if (value == 1) break; // end of bitmap
            if (value == 0) {      // end of line
                x = 0;
                giveRowsBefore(++row);
                continue;
            }
            if (value == 2) { // delta
                std::uint8_t delta[2];
                if (!file_.readAll(delta, 2)) return fail("the file is truncated (inside an RLE delta)");
                x += delta[0];
                row += delta[1];
                if (x > h_.width || row >= h_.height) return fail("an RLE delta leaves the picture");
                giveRowsBefore(row);
                continue;
            }
            // An absolute run of `value` indexes, padded to a 16-bit boundary.
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (file_.position() + bytes > file_.size()) return fail("the file is truncated (inside an RLE run)");
            if (leaves(value)) return fail("an RLE run leaves the picture");
            run.resize(bytes);
            if (!file_.readAll(run.data(), bytes)) return readFailure();
            for (std::uint32_t i = 0; i < value; ++i) {
                const std::uint32_t index = four ? ((i % 2 == 0) ? run[i / 2] >> 4 : run[i / 2] & 0xF) : run[i];
                if (auto error = put(index)) return error;
            }
            file_.seek(file_.position() + bytes % 2);
        }
        giveRowsBefore(h_.height);
        return std::nullopt;
    }

    ByteSource& file_;
    std::span<const std::uint8_t> head_;
    const BmpHeader& h_;
    RowSink& sink_;
    bool alpha_ = false;
    std::vector<std::uint32_t> palette_;
    std::vector<std::uint32_t> line_;
    std::vector<std::uint8_t> lineAlpha_;
};

} // namespace

std::optional<DecodeError> decodeBmp(ByteSource& file, RowSink& sink) {
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(kHeadBytes, file.size())));
    file.seek(0);
    if (!file.readAll(head.data(), head.size())) {
        return fail(file.shortReadReason());
    }
    auto parsed = detail::parseHeader(head);
    if (auto* error = std::get_if<DecodeError>(&parsed)) return *error;
    return BmpDecoder(file, head, std::get<BmpHeader>(parsed), sink).run();
}

std::variant<BmpSize, DecodeError> readBmpSize(std::span<const std::uint8_t> file) {
    return declaredBy(decodeBmp, file);
}

std::variant<Picture, DecodeError> decodeBmp(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    return decodedBy(decodeBmp, file, maxPixels);
}

} // namespace quorvane::capture
