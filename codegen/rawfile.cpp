#include "codegen/rawfile.h"

#include <stdexcept>
#include <utility>

namespace quorvane::codegen {

std::string_view sizeHeaderName(SizeHeader header) {
    switch (header) {
    case SizeHeader::Bytes16:
        return "16";
    case SizeHeader::None:
        return "none";
    case SizeHeader::Bytes8:
        break;
    }
    return "8";
}

std::optional<SizeHeader> sizeHeaderFromName(std::string_view name) {
    for (SizeHeader header : {SizeHeader::Bytes8, SizeHeader::Bytes16, SizeHeader::None}) {
        if (name == sizeHeaderName(header)) return header;
    }
    return std::nullopt;
}

std::optional<std::string> sizeHeaderRefusal(PictureSize received, SizeHeader header) {
    const int largest = header == SizeHeader::Bytes8 ? 256 : header == SizeHeader::Bytes16 ? 65536 : 0;
    if (largest == 0) return std::nullopt;
    const char* bytes = header == SizeHeader::Bytes8 ? "one byte" : "two bytes";
    for (const auto& [side, name] : {std::pair{received.width, "wide"}, {received.height, "high"}}) {
        if (side > largest) {
            return "the picture is " + std::to_string(side) + " pixels " + name +
                   " as the panel receives it, and a size in " + bytes + " holds at most " +
                   std::to_string(largest);
        }
    }
    return std::nullopt;
}

std::vector<std::uint8_t> sizeBytes(PictureSize received, SizeHeader header, ByteOrder order) {
    if (const auto refusal = sizeHeaderRefusal(received, header)) throw std::invalid_argument(*refusal);
    const auto h = static_cast<unsigned>(received.height - 1), w = static_cast<unsigned>(received.width - 1);
    switch (header) {
    case SizeHeader::Bytes8:
        return {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(w)};
    case SizeHeader::Bytes16: {
        std::vector<std::uint8_t> bytes;
        for (const unsigned side : {h, w}) {
            const auto high = static_cast<std::uint8_t>(side >> 8), low = static_cast<std::uint8_t>(side & 0xFF);
            bytes.insert(bytes.end(), order == ByteOrder::Big ? std::initializer_list<std::uint8_t>{high, low}
                                                              : std::initializer_list<std::uint8_t>{low, high});
        }
        return bytes;
    }
    case SizeHeader::None:
        break;
    }
    return {};
}

std::size_t rawDataByteCount(Depth depth, std::size_t pixelCount) {
    const auto bits = static_cast<std::size_t>(colorFormat(depth).bitsPerPixel());
    return (bits * pixelCount + 7) / 8;
}

std::vector<std::uint8_t> rawFileBytes(std::span<const std::int16_t> fileValues, std::size_t byteCount) {
    if (fileValues.size() < byteCount) {
        throw std::length_error("rawFileBytes: the file image holds fewer than " + std::to_string(byteCount) +
                                " entries");
    }
    std::vector<std::uint8_t> bytes(byteCount);
    for (std::size_t i = 0; i < byteCount; ++i) bytes[i] = static_cast<std::uint8_t>(fileValues[i] & 0xFF);
    return bytes;
}

std::string rawFileName(std::string_view imageName) { return std::string(imageName) + ".hex"; }

} // namespace quorvane::codegen
