#pragma once
// Our own BMP decoder: exact for every encoding a firmware developer is likely to bring, and strict where a
// file is damaged. It knows nothing of the display's size limit; the sink decides that from the declared
// size.

#include "capture/picture.h"
#include "capture/rows.h"

#include <cstdint>
#include <optional>
#include <span>
#include <variant>

namespace quorvane::capture {

using BmpSize = DeclaredSize; // the height is positive for top-down files as well

// Beyond this the whole-picture decoder refuses before allocating anything (1 GiB of colour values).
inline constexpr std::uint64_t kMaxDecodedPixels = std::uint64_t{1} << 28;

// Rows go to the sink in the file's order: bottom-up files from the bottom row. A BITFIELDS or
// ALPHABITFIELDS file with an alpha mask carries alpha; every other file is opaque.
std::optional<DecodeError> decodeBmp(ByteSource& file, RowSink& sink);

// The same for bytes in memory: the declared size from the headers alone, and the whole picture.
std::variant<BmpSize, DecodeError> readBmpSize(std::span<const std::uint8_t> file);
std::variant<Picture, DecodeError> decodeBmp(std::span<const std::uint8_t> file,
                                             std::uint64_t maxPixels = kMaxDecodedPixels);

} // namespace quorvane::capture
