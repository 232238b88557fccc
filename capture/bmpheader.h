#pragma once
// The parsed headers of a BMP file, shared by the size reader and the pixel decoder.

#include "capture/picture.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace quorvane::capture::detail {

enum class Encoding { Rgb, Rle8, Rle4, Bitfields };

struct BmpHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    Encoding encoding = Encoding::Rgb;
    std::array<std::uint32_t, 3> masks{}; // red, green, blue; for 16 and 32 bits
    std::uint32_t alphaMask = 0;          // bit fields only: a file without one is opaque
    std::size_t paletteStart = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t paletteCount = 0;
    std::size_t pixelOffset = 0;
};

// The headers as declared, checked for everything that does not need the palette or the pixels.
std::variant<BmpHeader, DecodeError> parseHeader(std::span<const std::uint8_t> file);

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at);

} // namespace quorvane::capture::detail
