#include "capture/bmpheader.h"

#include <bit>
#include <limits>
#include <string>

namespace quorvane::capture::detail {
namespace {

constexpr std::size_t kFileHeaderSize = 14;

DecodeError fail(std::string reason) { return DecodeError{std::move(reason)}; }

bool contiguous(std::uint32_t mask) {
    if (mask == 0) return true;
    const std::uint32_t shifted = mask >> std::countr_zero(mask);
    return (shifted & (shifted + 1)) == 0;
}

const char* compressionName(std::uint32_t compression) {
    switch (compression) {
    case 4: return " (JPEG)";
    case 5: return " (PNG)";
    case 6: return " (alpha bit fields)";
    default: return "";
    }
}

} // namespace

std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

std::variant<BmpHeader, DecodeError> parseHeader(std::span<const std::uint8_t> file) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') return fail("it is not a BMP file (no \"BM\" signature)");
    if (file.size() < kFileHeaderSize + 4) return fail("the file is truncated (it ends inside the file header)");

    BmpHeader h;
    h.pixelOffset = readU32(file, 10);
    const std::uint32_t infoSize = readU32(file, 14);
    switch (infoSize) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124: break;
    default: return fail("its header size " + std::to_string(infoSize) + " is not one this program knows");
    }
    if (file.size() < kFileHeaderSize + infoSize) return fail("the file is truncated (it ends inside the bitmap header)");
    const auto info = file.subspan(kFileHeaderSize, infoSize);
    const bool os2 = infoSize == 16 || infoSize == 64;

    std::int64_t width = 0, height = 0;
    std::uint32_t compression = 0, colorsUsed = 0;
    if (infoSize == 12) {
        width = readU16(info, 4);
        height = readU16(info, 6);
        h.bitCount = readU16(info, 10);
        h.paletteEntrySize = 3;
    } else {
        width = static_cast<std::int32_t>(readU32(info, 4));
        height = static_cast<std::int32_t>(readU32(info, 8));
        h.bitCount = readU16(info, 14);
        if (infoSize >= 40) {
            compression = readU32(info, 16);
            colorsUsed = readU32(info, 32);
        }
    }

    if (width == 0) return fail("its width is zero");
    if (width < 0) return fail("its width is negative (" + std::to_string(width) + ")");
    if (height == 0) return fail("its height is zero");
    if (height == std::numeric_limits<std::int32_t>::min()) return fail("its height is out of range");
    h.topDown = height < 0;
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height < 0 ? -height : height);

    switch (h.bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return fail("its bit count " + std::to_string(h.bitCount) + " is not supported");
    }

    const bool bitfields = !os2 && (compression == 3 || compression == 6);
    if (compression == 0) h.encoding = Encoding::Rgb;
    else if (compression == 1 && h.bitCount == 8) h.encoding = Encoding::Rle8;
    else if (compression == 2 && h.bitCount == 4) h.encoding = Encoding::Rle4;
    else if (bitfields && (h.bitCount == 16 || h.bitCount == 32)) h.encoding = Encoding::Bitfields;
    else {
        return fail("its compression " + std::to_string(compression) + compressionName(compression) + " at " +
                    std::to_string(h.bitCount) + " bits per pixel is not supported");
    }
    if (h.topDown && (h.encoding == Encoding::Rle8 || h.encoding == Encoding::Rle4)) {
        return fail("it is RLE-compressed and top-down, which BMP does not allow");
    }

    h.paletteStart = kFileHeaderSize + infoSize;
    if (h.bitCount == 16) h.masks = {0x7C00, 0x03E0, 0x001F};
    if (h.bitCount == 32) h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    if (h.encoding == Encoding::Bitfields) {
        std::size_t maskAt = kFileHeaderSize + 40;
        if (infoSize == 40) {
            const std::size_t maskBytes = compression == 6 ? 16 : 12;
            if (file.size() < maskAt + maskBytes) return fail("the file is truncated (it ends inside the colour masks)");
            h.paletteStart += maskBytes;
        }
        h.masks = {readU32(file, maskAt), readU32(file, maskAt + 4), readU32(file, maskAt + 8)};
        // The alpha mask follows the colour masks where the header has room for one (V3 and later),
        // or after a plain header for ALPHABITFIELDS.
        if (infoSize >= 56 || (infoSize == 40 && compression == 6)) h.alphaMask = readU32(file, maskAt + 12);
        for (std::uint32_t mask : {h.masks[0], h.masks[1], h.masks[2], h.alphaMask}) {
            if (!contiguous(mask)) return fail("a colour mask of its bit fields is not contiguous");
        }
    }

    if (h.bitCount <= 8) {
        const std::size_t full = std::size_t{1} << h.bitCount;
        h.paletteCount = (colorsUsed == 0 || colorsUsed > full) ? full : colorsUsed;
    }
    if (h.pixelOffset < h.paletteStart) return fail("its pixel data would start inside its headers");
    // Some writers keep a shorter palette than the bit count allows and say so only by where the pixels start.
    h.paletteCount = std::min(h.paletteCount, (h.pixelOffset - h.paletteStart) / h.paletteEntrySize);
    return h;
}

} // namespace quorvane::capture::detail
