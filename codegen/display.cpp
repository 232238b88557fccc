#include "codegen/display.h"

#include "codegen/rawfile.h"

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

std::optional<DecodedRawFile> decodeRawFile(std::span<const std::uint8_t> bytes, Depth depth, ByteOrder order) {
    if (bytes.size() < 2) return std::nullopt;
    DecodedRawFile decoded{.width = bytes[1] + 1, .height = bytes[0] + 1, .parts = {}};
    const std::size_t pixels =
        static_cast<std::size_t>(decoded.width) * static_cast<std::size_t>(decoded.height);
    if (bytes.size() != 2 + rawDataByteCount(depth, pixels)) return std::nullopt;

    const std::span<const std::uint8_t> data = bytes.subspan(2);
    std::vector<std::int32_t>& parts = decoded.parts;
    parts.resize(3 * pixels);
    switch (depth) {
    case Depth::Bits8:
        for (std::size_t p = 0; p < pixels; ++p) {
            parts[3 * p] = data[p] >> 5;
            parts[3 * p + 1] = (data[p] >> 2) & 7;
            parts[3 * p + 2] = data[p] & 3;
        }
        break;
    case Depth::Bits12:
        // Parts follow one another in capture order, two to a byte, the first in the upper half.
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const std::uint8_t byte = data[i / 2];
            parts[i] = i % 2 == 0 ? byte >> 4 : byte & 0x0F;
        }
        break;
    case Depth::Bits16:
        for (std::size_t p = 0; p < pixels; ++p) {
            const bool big = order == ByteOrder::Big;
            const unsigned high = data[2 * p + (big ? 0 : 1)], low = data[2 * p + (big ? 1 : 0)];
            const unsigned word = high << 8 | low;
            parts[3 * p] = static_cast<std::int32_t>(word >> 11);
            parts[3 * p + 1] = static_cast<std::int32_t>((word >> 5) & 63);
            parts[3 * p + 2] = static_cast<std::int32_t>(word & 31);
        }
        break;
    }
    return decoded;
}

std::optional<DisplayedPicture> displayedPicture(std::span<const std::uint8_t> rawFile, Depth depth,
                                                 ByteOrder order, const PanelOptions& panel) {
    const auto decoded = decodeRawFile(rawFile, depth, order);
    if (!decoded) return std::nullopt;
    const PictureSize received{decoded->width, decoded->height};
    // 90 and 270 are their own size's inverse: the picture as opened has the received size turned back.
    const PictureSize opened = panelSize(received, panel);
    return DisplayedPicture{opened.width, opened.height,
                            fromPanel(displayedComponents(decoded->parts, depth), opened, panel)};
}

} // namespace quorvane::codegen
