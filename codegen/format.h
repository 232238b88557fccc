#pragma once
// The panel's colour formats as data. Each row says how wide each channel's part is, how the parts of a
// pixel stand in its bits, and how the reduction finds a part; the reduction, the dithering, the packing,
// the raw file's length and the read-back all consult this one table, so a new format is a new row.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace quorvane::codegen {

enum class Depth { Bits8, Bits12, Bits16, Bits18, Bits24 };
enum class Channel { Red, Green, Blue };

struct ChannelFormat {
    int bits; // the part runs from 0 to 2^bits - 1
    int slot; // the bits the part takes in the pixel; the part stands in the slot's top bits, zeros below
    int k, d; // the reduction: part = round(round(c + k) / d - 1)
};

struct ColorFormat {
    Depth depth;
    std::string_view name;                  // "8", "12", "16", "18", "24": the words of the command line
    std::array<ChannelFormat, 3> channels;  // red, green, blue, in the order they follow in the pixel
    // The packing of the 8 and 12 Bit formats runs one group past the last pixel, so their values end in
    // one more than the data's whole bytes: the half byte an odd 12-bit pixel count leaves, or a 0.
    bool packsPastData;

    int bitsPerPixel() const { return channels[0].slot + channels[1].slot + channels[2].slot; }
    // Only a pixel of two bytes is a word that firmware may hold in either byte order.
    bool hasByteOrder() const { return bitsPerPixel() == 16; }
    int largestPart(Channel channel) const { return (1 << channels[static_cast<int>(channel)].bits) - 1; }
};

const ColorFormat& colorFormat(Depth depth);
std::span<const ColorFormat> colorFormats(); // every depth, the narrowest first

std::string_view depthName(Depth depth);
std::optional<Depth> depthFromName(std::string_view name);

} // namespace quorvane::codegen
