#pragma once
// Opening a picture for the display and capturing its pixels into the component store.

#include "capture/bmp.h"

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace quorvane::capture {

inline constexpr int kMaxSide = 132;                // the display: 132 x 132 pixels
inline constexpr std::size_t kStoreEntries = 60001; // componentStore's indexes 0..60000

// A BMP of any size fits in far less; a larger file is refused before it is read.
inline constexpr std::uintmax_t kMaxFileBytes = 16u * 1024 * 1024;

inline constexpr const char* kTooLargeMessage = "Image dimensions too large.";

struct LoadError {
    enum class Kind { Unreadable, TooLarge } kind;
    std::string message; // for Unreadable: names the file and the reason
};

// Reads and decodes the BMP at path. The declared size is checked against maxSide (each dimension
// separately) before any pixel is decoded, so a refused file costs only its headers.
std::variant<Picture, LoadError> loadPicture(const std::string& path, int maxSide = kMaxSide);

// loadPicture's checks on bytes already in memory; `name` stands for the file in messages.
std::variant<Picture, LoadError> pictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                  int maxSide = kMaxSide);

// Red, green, blue of every pixel, row by row from the top-left, into store[0 .. 3*W*H - 1].
// Returns the number of entries filled. Throws std::length_error if the store is too small.
std::int32_t captureComponents(const Picture& picture, std::span<std::int32_t> store);

} // namespace quorvane::capture
