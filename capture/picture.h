#pragma once
// A decoded picture, whatever file it came from.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::capture {

// Colour values 0x00BBGGRR, row by row from the top-left corner. A picture with transparency also has
// one alpha value per pixel (0 transparent, 255 opaque); an opaque one leaves `alpha` empty.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::vector<std::uint8_t> alpha;

    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// A picture's size as its file declares it, read before any pixel is decoded.
struct DeclaredSize {
    int width = 0;
    int height = 0;
};

struct DecodeError {
    std::string reason; // lower-case phrase, e.g. "the file is truncated"
};

// Every decoder refuses a picture of more than maxPixels before allocating anything for it.
inline std::optional<DecodeError> refuseBeyond(std::uint64_t width, std::uint64_t height,
                                               std::uint64_t maxPixels) {
    if (width * height <= maxPixels) return std::nullopt;
    return DecodeError{"its size " + std::to_string(width) + " x " + std::to_string(height) +
                       " is too large to decode"};
}

inline std::uint32_t colorValue(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

} // namespace quorvane::capture
