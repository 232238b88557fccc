#pragma once
// Our own BMP decoder: exact for every encoding a firmware developer is likely to bring, and strict where a
// file is damaged. It knows nothing of the display's size limit; callers decide that from readBmpSize.

#include "capture/picture.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::capture {

using BmpSize = DeclaredSize; // the height is positive for top-down files as well

// Beyond this the decoder refuses before allocating anything (1 GiB of colour values).
inline constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t{1} << 28;

// The declared size, from the headers alone: nothing is allocated for pixels.
std::variant<BmpSize, DecodeError> readBmpSize(std::span<const std::uint8_t> file);

std::variant<Picture, DecodeError> decodeBmp(std::span<const std::uint8_t> file,
                                             std::uint64_t maxPixels = kMaxDecodedPixels);

} // namespace quorvane::capture
