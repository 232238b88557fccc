#pragma once
// The raw image file for the firmware: the size bytes, then every data byte, and nothing after.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/panel.h"
#include "codegen/reduce.h"
#include "codegen/storage.h"

namespace quorvane::codegen {

// How the picture's size leads the data, as the panel receives the picture:
//   Bytes8:  height - 1, width - 1, a byte each (at most 256 in a side);
//   Bytes16: height - 1, width - 1, two bytes each, high byte first (low first in little byte order);
//   None:    nothing; the data begins at once.
enum class SizeHeader { Bytes8, Bytes16, None };

// Everything that a reader of the raw file needs to know besides its bytes.
struct RawLayout {
    Depth depth = Depth::Bits8;
    ByteOrder byteOrder = ByteOrder::Big; // 16 Bit only
    SizeHeader sizeHeader = SizeHeader::Bytes8;
    Storage storage{}; // palette, one bit per pixel, compression: the bytes after the size bytes
};

// "8", "16", "none": the words of the command line.
std::string_view sizeHeaderName(SizeHeader header);
std::optional<SizeHeader> sizeHeaderFromName(std::string_view name);

// The size bytes of a picture of that size as the panel receives it. Throws std::invalid_argument for a
// size that the header cannot hold (sizeHeaderRefusal says why).
std::vector<std::uint8_t> sizeBytes(PictureSize received, SizeHeader header = SizeHeader::Bytes8,
                                    ByteOrder order = ByteOrder::Big);

// Why the header cannot describe a picture of that size, or nothing when it can: one byte holds a side
// of at most 256, two bytes of at most 65,536.
std::optional<std::string> sizeHeaderRefusal(PictureSize received, SizeHeader header);

// Data bytes of an image of pixelCount pixels: every pixel's bits, rounded up to whole bytes. P at
// 8 Bit, ceil(3P / 2) at 12 Bit, 2P at 16 Bit, 3P at 18 and 24 Bit. Trailing padding values of the array
// text are not data and never reach the file.
std::size_t rawDataByteCount(Depth depth, std::size_t pixelCount);

// The file's bytes: the low byte of each of fileValues[0] to fileValues[byteCount - 1].
// Throws std::length_error if fileValues holds fewer entries.
std::vector<std::uint8_t> rawFileBytes(std::span<const std::int16_t> fileValues, std::size_t byteCount);

// "logo" -> "logo.hex"
std::string rawFileName(std::string_view imageName);

} // namespace quorvane::codegen
