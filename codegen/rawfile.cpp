#include "codegen/rawfile.h"

#include <stdexcept>

namespace quorvane::codegen {

std::size_t rawDataByteCount(Depth depth, std::size_t pixelCount) {
    switch (depth) {
    case Depth::Bits8:
        return pixelCount;
    case Depth::Bits12:
        return (3 * pixelCount + 1) / 2;
    case Depth::Bits16:
        return 2 * pixelCount;
    }
    return 0;
}

std::vector<std::uint8_t> rawFileBytes(std::span<const std::int16_t> fileValues, std::size_t dataBytes) {
    const std::size_t total = dataBytes + 2;
    if (fileValues.size() < total) {
        throw std::length_error("rawFileBytes: the file image holds fewer than " + std::to_string(total) +
                                " entries");
    }
    std::vector<std::uint8_t> bytes(total);
    for (std::size_t i = 0; i < total; ++i) bytes[i] = static_cast<std::uint8_t>(fileValues[i] & 0xFF);
    return bytes;
}

std::string rawFileName(std::string_view imageName) { return std::string(imageName) + ".hex"; }

} // namespace quorvane::codegen
