#include "codegen/display.h"

#include "codegen/decoderimage.h"

#include <utility>

namespace quorvane::codegen {

int displayedLevel(std::int32_t part, Depth depth, Channel channel) {
    const int largest = largestPart(depth, channel);
    // Every largest part is odd, so part * 255 / largest never lies exactly halfway.
    return (2 * part * 255 + largest) / (2 * largest);
}

std::vector<std::uint8_t> displayedComponents(std::span<const std::int32_t> parts, Depth depth) {
    std::vector<std::uint8_t> rgb(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>(displayedLevel(parts[i], depth, static_cast<Channel>(i % 3)));
    }
    return rgb;
}

namespace {

// The size the header holds, and how many bytes it takes; nullopt when the file is too short for it.
std::optional<std::pair<PictureSize, std::size_t>> readSize(std::span<const std::uint8_t> bytes,
                                                            const RawLayout& layout, PictureSize given) {
    switch (layout.sizeHeader) {
    case SizeHeader::Bytes8:
        if (bytes.size() < 2) return std::nullopt;
        return std::pair{PictureSize{bytes[1] + 1, bytes[0] + 1}, std::size_t{2}};
    case SizeHeader::Bytes16: {
        if (bytes.size() < 4) return std::nullopt;
        const bool big = layout.byteOrder == ByteOrder::Big;
        const auto side = [&](std::size_t at) { return (big ? bytes[at] << 8 | bytes[at + 1] : bytes[at + 1] << 8 | bytes[at]) + 1; };
        return std::pair{PictureSize{side(2), side(0)}, std::size_t{4}};
    }
    case SizeHeader::None:
        break;
    }
    if (given.width < 1 || given.height < 1) return std::nullopt;
    return std::pair{given, std::size_t{0}};
}

// The pixels' bits follow one another from the most significant bit of the first byte: the parts from
// bit `bit` of data on, as many as `parts` holds, the first a red one.
void unpackParts(std::span<const std::uint8_t> data, std::size_t bit, const ColorFormat& format, std::span<std::int32_t> parts) {
    // A slot is at most 8 bits wide, so it lies within the two bytes from the one it starts in.
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const ChannelFormat& channel = format.channels[i % 3];
        const std::size_t at = bit / 8;
        const unsigned two = static_cast<unsigned>(data[at]) << 8 | (at + 1 < data.size() ? data[at + 1] : 0u);
        const unsigned slot = (two >> (16 - bit % 8 - static_cast<unsigned>(channel.slot))) & ((1u << channel.slot) - 1);
        parts[i] = static_cast<std::int32_t>(slot >> (channel.slot - channel.bits));
        bit += static_cast<std::size_t>(channel.slot);
    }
}

// A palette, mono or compressed file, read by the device's own decoder: what the firmware gets, turned
// into parts (a lit mono pixel is every channel's largest part).
std::optional<DecodedRawFile> decodeStoredFile(std::span<const std::uint8_t> bytes, const RawLayout& layout, PictureSize size) {
    const DecoderImage image = decoderImage(layout, size, bytes.size());
    const DecodedStream stream = decodeStored(bytes, image);
    if (stream.failed || stream.bytes.size() != image.length) return std::nullopt;
    if (!layout.storage.mono) {
        return decodeRawFile(stream.bytes, {.depth = layout.depth, .byteOrder = layout.byteOrder, .sizeHeader = SizeHeader::None, .storage = {}},
                             size);
    }
    return DecodedRawFile{.width = size.width, .height = size.height,
                          .parts = monoParts(monoBitsFromBytes(stream.bytes, size, layout.storage.monoLayout), layout.depth)};
}

} // namespace

std::optional<DecodedRawFile> decodeRawFile(std::span<const std::uint8_t> bytes, const RawLayout& layout,
                                            PictureSize sizeWithoutHeader) {
    const auto size = readSize(bytes, layout, sizeWithoutHeader);
    if (!size) return std::nullopt;
    if (!layout.storage.plain()) return decodeStoredFile(bytes, layout, size->first);
    DecodedRawFile decoded{.width = size->first.width, .height = size->first.height, .parts = {}};
    const std::size_t pixels =
        static_cast<std::size_t>(decoded.width) * static_cast<std::size_t>(decoded.height);
    if (bytes.size() != size->second + rawDataByteCount(layout.depth, pixels)) return std::nullopt;

    // A word sent low byte first is turned back before it is read.
    std::vector<std::uint8_t> data(bytes.begin() + static_cast<std::ptrdiff_t>(size->second), bytes.end());
    if (layout.byteOrder == ByteOrder::Little) {
        for (std::size_t i = 0; i + 1 < data.size(); i += 2) std::swap(data[i], data[i + 1]);
    }
    decoded.parts.resize(3 * pixels);
    unpackParts(data, 0, colorFormat(layout.depth), decoded.parts);
    return decoded;
}

std::optional<DisplayedPicture> displayedPicture(std::span<const std::uint8_t> rawFile, const RawLayout& layout,
                                                 const PanelOptions& panel, PictureSize received) {
    const auto decoded = decodeRawFile(rawFile, layout, received);
    if (!decoded) return std::nullopt;
    const PictureSize size{decoded->width, decoded->height};
    // 90 and 270 are their own size's inverse: the picture as opened has the received size turned back.
    const PictureSize opened = panelSize(size, panel);
    return DisplayedPicture{opened.width, opened.height,
                            fromPanel(displayedComponents(decoded->parts, layout.depth), opened, panel)};
}

DisplayedRows::DisplayedRows(std::span<const std::uint8_t> rawFile, const RawLayout& layout, const PanelOptions& panel,
                             PictureSize received)
    : layout_(layout), panel_(panel) {
    const auto size = readSize(rawFile, layout, received);
    const bool plain = size && layout.storage.plain() && keepsRowOrder(panel);
    if (plain && rawFile.size() == size->second + rawDataByteCount(layout.depth, size->first.pixels())) {
        size_ = size->first;
        data_ = rawFile.subspan(size->second);
        readable_ = true;
        return;
    }
    // A stored file is read by the decoder, and a turned panel's rows are not the picture's: whole.
    whole_ = displayedPicture(rawFile, layout, panel, received);
    readable_ = whole_.has_value();
    if (whole_) size_ = {whole_->width, whole_->height};
}

void DisplayedRows::row(int y, std::span<std::uint8_t> rgb) {
    const auto width = static_cast<std::size_t>(size_.width);
    if (whole_) {
        const auto from = whole_->rgb.begin() + static_cast<std::ptrdiff_t>(3 * width * static_cast<std::size_t>(y));
        std::copy(from, from + static_cast<std::ptrdiff_t>(3 * width), rgb.begin());
        return;
    }
    const ColorFormat& format = colorFormat(layout_.depth);
    parts_.resize(3 * width);
    const std::size_t bit = static_cast<std::size_t>(y) * width * static_cast<std::size_t>(format.bitsPerPixel());
    if (layout_.byteOrder == ByteOrder::Little) {
        // 16-bit words: the row is whole bytes, turned back pair by pair.
        const auto row = data_.subspan(bit / 8, 2 * width);
        swapped_.assign(row.begin(), row.end());
        for (std::size_t i = 0; i + 1 < swapped_.size(); i += 2) std::swap(swapped_[i], swapped_[i + 1]);
        unpackParts(swapped_, 0, format, parts_);
    } else {
        unpackParts(data_, bit, format, parts_);
    }
    // As fromPanel turns a row back: its mirror, its colour order, its inversion.
    for (std::size_t x = 0; x < width; ++x) {
        const std::int32_t* part = parts_.data() + 3 * x;
        std::uint8_t* to = rgb.data() + 3 * (panel_.mirror == Mirror::LeftRight ? width - 1 - x : x);
        for (std::size_t ch = 0; ch < 3; ++ch) {
            const auto level = static_cast<std::uint8_t>(displayedLevel(part[ch], layout_.depth, static_cast<Channel>(ch)));
            to[panel_.bgr ? 2 - ch : ch] = panel_.invert ? static_cast<std::uint8_t>(255 - level) : level;
        }
    }
}

} // namespace quorvane::codegen
