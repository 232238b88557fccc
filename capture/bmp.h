#pragma once
// Our own BMP decoder: exact for every encoding a firmware developer is likely to bring, and strict where a
// file is damaged. It knows nothing of the display's size limit; callers decide that from readBmpSize.

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::capture {

// A decoded picture: colour values 0x00BBGGRR, row by row from the top-left corner.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t pixel(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

struct BmpSize {
    int width = 0;
    int height = 0; // positive for top-down files as well
};

struct DecodeError {
    std::string reason; // lower-case phrase, e.g. "the file is truncated"
};

// Beyond this the decoder refuses before allocating anything (1 GiB of colour values).
inline constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t{1} << 28;

// The declared size, from the headers alone: nothing is allocated for pixels.
std::variant<BmpSize, DecodeError> readBmpSize(std::span<const std::uint8_t> file);

std::variant<Picture, DecodeError> decodeBmp(std::span<const std::uint8_t> file,
                                             std::uint64_t maxPixels = kMaxDecodedPixels);

} // namespace quorvane::capture
