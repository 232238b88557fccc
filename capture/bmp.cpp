#include "capture/bmp.h"

#include "capture/bmpheader.h"

#include <array>
#include <bit>
#include <string>

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

class Decoder {
public:
    Decoder(std::span<const std::uint8_t> file, const BmpHeader& header, std::uint64_t maxPixels)
        : file_(file), h_(header), maxPixels_(maxPixels) {}

    std::variant<Picture, DecodeError> run() {
        if (auto error = readPalette()) return *error;
        picture_.width = h_.width;
        picture_.height = h_.height;
        const bool rle = h_.encoding == Encoding::Rle8 || h_.encoding == Encoding::Rle4;
        if (h_.pixelOffset >= file_.size()) {
            return fail("its pixel data starts beyond the end of the file (the file is truncated)");
        }
        if (!rle) {
            if (auto error = checkRowsPresent()) return *error;
        }
        // RLE data can describe any size in a few bytes: cap what a file may make us allocate.
        const auto width = static_cast<std::uint64_t>(h_.width);
        if (auto error = refuseBeyond(width, static_cast<std::uint64_t>(h_.height), maxPixels_)) return *error;
        const std::uint32_t background = palette_.empty() ? 0 : palette_[0];
        picture_.pixels.assign(static_cast<std::size_t>(h_.width) * static_cast<std::size_t>(h_.height), background);
        if (auto error = rle ? decodeRle() : decodeRows()) return *error;
        return std::move(picture_);
    }

private:
    std::optional<DecodeError> readPalette() {
        const std::size_t end = h_.paletteStart + h_.paletteCount * h_.paletteEntrySize;
        if (end > file_.size()) return fail("the file is truncated (it ends inside the colour palette)");
        palette_.reserve(h_.paletteCount);
        for (std::size_t i = 0; i < h_.paletteCount; ++i) {
            const std::size_t at = h_.paletteStart + i * h_.paletteEntrySize;
            palette_.push_back(colorValue(file_[at + 2], file_[at + 1], file_[at]));
        }
        return std::nullopt;
    }

    std::uint64_t rowStride() const {
        return (static_cast<std::uint64_t>(h_.width) * static_cast<std::uint64_t>(h_.bitCount) + 31) / 32 * 4;
    }

    std::optional<DecodeError> checkRowsPresent() const {
        // The last row may lack its padding: every pixel is there, and that is what counts.
        const std::uint64_t lastRowBytes = (static_cast<std::uint64_t>(h_.width) * h_.bitCount + 7) / 8;
        const std::uint64_t needed =
            h_.pixelOffset + rowStride() * static_cast<std::uint64_t>(h_.height - 1) + lastRowBytes;
        if (needed > file_.size()) {
            return fail("the file is truncated (its pixel data ends before all " + std::to_string(h_.height) +
                        " rows are there)");
        }
        return std::nullopt;
    }

    std::optional<DecodeError> paletteColor(std::uint32_t index, std::uint32_t& color) const {
        if (index >= palette_.size()) {
            return fail("a pixel uses palette index " + std::to_string(index) + ", past its palette of " +
                        std::to_string(palette_.size()) + " colours");
        }
        color = palette_[index];
        return std::nullopt;
    }

    std::uint32_t& at(int x, int fileRow) {
        const int y = h_.topDown ? fileRow : h_.height - 1 - fileRow;
        return picture_.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(h_.width) +
                               static_cast<std::size_t>(x)];
    }

    std::optional<DecodeError> decodeRows() {
        const ChannelExpander red(h_.masks[0]), green(h_.masks[1]), blue(h_.masks[2]);
        const std::size_t stride = static_cast<std::size_t>(rowStride());
        for (int row = 0; row < h_.height; ++row) {
            const auto bytes = file_.subspan(h_.pixelOffset + stride * static_cast<std::size_t>(row));
            for (int x = 0; x < h_.width; ++x) {
                const auto ux = static_cast<std::size_t>(x);
                std::uint32_t& out = at(x, row);
                switch (h_.bitCount) {
                case 1: case 4: case 8: {
                    const std::size_t bit = ux * static_cast<std::size_t>(h_.bitCount);
                    const int shift = 8 - h_.bitCount - static_cast<int>(bit % 8);
                    const std::uint32_t index = (bytes[bit / 8] >> shift) & ((1u << h_.bitCount) - 1);
                    if (auto error = paletteColor(index, out)) return error;
                    break;
                }
                case 16: {
                    const std::uint32_t p = readU16(bytes, 2 * ux);
                    out = colorValue(red(p), green(p), blue(p));
                    break;
                }
                case 24:
                    out = colorValue(bytes[3 * ux + 2], bytes[3 * ux + 1], bytes[3 * ux]);
                    break;
                case 32: {
                    const std::uint32_t p = readU32(bytes, 4 * ux);
                    out = colorValue(red(p), green(p), blue(p));
                    break;
                }
                }
            }
        }
        return std::nullopt;
    }

    std::optional<DecodeError> decodeRle() {
        const bool four = h_.encoding == Encoding::Rle4;
        std::size_t pos = h_.pixelOffset;
        int x = 0, row = 0;
        // A run below the last row is refused. A run that reaches past the end of its row keeps the
        // pixels inside the row and drops the rest: encoders that pad odd-width rows to an even count
        // write such runs, and other decoders read them the same way.
        const auto leaves = [&](std::uint32_t) { return row >= h_.height; };
        const auto put = [&](std::uint32_t index) -> std::optional<DecodeError> {
            if (x >= h_.width) return std::nullopt;
            std::uint32_t color = 0;
            if (auto error = paletteColor(index, color)) return error;
            at(x++, row) = color;
            return std::nullopt;
        };
        while (true) {
            if (pos + 2 > file_.size()) {
                if (row >= h_.height) return std::nullopt; // every row was ended; only the final marker is missing
                return fail("the file is truncated (its RLE data ends before the end-of-bitmap marker)");
            }
            const std::uint32_t count = file_[pos], value = file_[pos + 1];
            pos += 2;
            if (count > 0) {
                if (leaves(count)) return fail("an RLE run leaves the picture");
                for (std::uint32_t i = 0; i < count; ++i) {
                    const std::uint32_t index = four ? ((i % 2 == 0) ? value >> 4 : value & 0xF) : value;
                    if (auto error = put(index)) return error;
                }
                continue;
            }
            switch (value) {
            case 0: // end of line
                x = 0;
                ++row;
                break;
            case 1: // end of bitmap
                return std::nullopt;
            case 2: { // delta
                if (pos + 2 > file_.size()) return fail("the file is truncated (inside an RLE delta)");
                x += file_[pos];
                row += file_[pos + 1];
                pos += 2;
                if (x > h_.width || row >= h_.height) return fail("an RLE delta leaves the picture");
                break;
            }
            default: { // absolute run of `value` indexes, padded to a 16-bit boundary
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                if (pos + bytes > file_.size()) return fail("the file is truncated (inside an RLE run)");
                if (leaves(value)) return fail("an RLE run leaves the picture");
                for (std::uint32_t i = 0; i < value; ++i) {
                    const std::uint32_t index = four ? ((i % 2 == 0) ? file_[pos + i / 2] >> 4 : file_[pos + i / 2] & 0xF)
                                                     : file_[pos + i];
                    if (auto error = put(index)) return error;
                }
                pos += bytes + (bytes % 2);
                break;
            }
            }
        }
    }

    std::span<const std::uint8_t> file_;
    const BmpHeader& h_;
    std::uint64_t maxPixels_;
    std::vector<std::uint32_t> palette_;
    Picture picture_;
};

} // namespace

std::variant<BmpSize, DecodeError> readBmpSize(std::span<const std::uint8_t> file) {
    auto parsed = detail::parseHeader(file);
    if (auto* error = std::get_if<DecodeError>(&parsed)) return *error;
    const auto& h = std::get<BmpHeader>(parsed);
    return BmpSize{h.width, h.height};
}

std::variant<Picture, DecodeError> decodeBmp(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    auto parsed = detail::parseHeader(file);
    if (auto* error = std::get_if<DecodeError>(&parsed)) return *error;
    return Decoder(file, std::get<BmpHeader>(parsed), maxPixels).run();
}

} // namespace quorvane::capture
