#pragma once
// The raw image file for the firmware: height - 1, width - 1, then every data byte, and nothing after.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/reduce.h"

namespace quorvane::codegen {

// Data bytes of an image of pixelCount pixels: P at 8 Bit, ceil(3P / 2) at 12 Bit, 2P at 16 Bit.
// Trailing padding values of the array text are not data and never reach the file.
std::size_t rawDataByteCount(Depth depth, std::size_t pixelCount);

// The file's bytes: the low byte of each of fileValues[0] to fileValues[dataBytes + 1].
// Throws std::length_error if fileValues holds fewer entries.
std::vector<std::uint8_t> rawFileBytes(std::span<const std::int16_t> fileValues, std::size_t dataBytes);

// "logo" -> "logo.hex"
std::string rawFileName(std::string_view imageName);

} // namespace quorvane::codegen
