#include "codegen/reduce.h"

#include "codegen/numbers.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace quorvane::codegen {

namespace {

Channel channelOf(std::size_t index) { return static_cast<Channel>(index % 3); }

std::vector<std::string> decimalTexts(const std::vector<std::int32_t>& values) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (std::int32_t v : values) texts.push_back(decimalText(v));
    return texts;
}

} // namespace

ReductionConstants reductionConstants(Depth depth, Channel channel) {
    const ChannelFormat& format = colorFormat(depth).channels[static_cast<std::size_t>(channel)];
    return {format.k, format.d};
}

int largestPart(Depth depth, Channel channel) { return colorFormat(depth).largestPart(channel); }

std::int32_t reduceComponent(double component, Depth depth, Channel channel) {
    const auto [k, d] = reductionConstants(depth, channel);
    const double shifted = roundHalfEven(component + k);
    return static_cast<std::int32_t>(roundHalfEven(shifted / d - 1));
}

std::vector<std::int32_t> reduceComponents(std::span<const std::int32_t> components, Depth depth) {
    // A whole image repeats the same 256 components per channel: reduce each once, then look it up.
    std::array<std::array<std::int32_t, 256>, 3> table{};
    for (std::size_t channel = 0; channel < 3; ++channel) {
        for (int c = 0; c < 256; ++c) table[channel][c] = reduceComponent(c, depth, channelOf(channel));
    }
    std::vector<std::int32_t> parts(components.size());
    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::int32_t c = components[i];
        parts[i] = (c >= 0 && c <= 255) ? table[i % 3][static_cast<std::size_t>(c)]
                                        : reduceComponent(c, depth, channelOf(i));
    }
    return parts;
}

Packer::Packer(Depth depth, ByteOrder order) : format_(colorFormat(depth)), little_(order == ByteOrder::Little) {
    if (little_ && !format_.hasByteOrder()) throw std::invalid_argument("packParts: only a 16-bit pixel has a byte order");
    // Where each channel's part stands in a pixel's bits, the first channel highest.
    for (int at = format_.bitsPerPixel(), c = 0; c < 3; ++c) {
        const ChannelFormat& channel = format_.channels[static_cast<std::size_t>(c)];
        at -= channel.slot;
        shift_[static_cast<std::size_t>(c)] = at + channel.slot - channel.bits;
        mask_[static_cast<std::size_t>(c)] = (1u << channel.bits) - 1;
    }
}

void Packer::append(std::uint32_t value, int width, std::vector<std::uint8_t>& out) {
    pending_ = (pending_ << width) | value;
    held_ += width;
    while (held_ >= 8) {
        held_ -= 8;
        out.push_back(static_cast<std::uint8_t>((pending_ >> held_) & 0xFF));
    }
    pending_ &= (std::uint64_t{1} << held_) - 1;
}

void Packer::pixels(std::span<const std::int32_t> parts, std::vector<std::uint8_t>& out) {
    const std::int32_t* p = parts.data();
    values(parts.size() / 3, [&](std::size_t i) {
        const std::int32_t* pixel = p + 3 * i;
        return placed(0, static_cast<std::uint32_t>(pixel[0])) | placed(1, static_cast<std::uint32_t>(pixel[1])) |
               placed(2, static_cast<std::uint32_t>(pixel[2]));
    }, out);
}

void Packer::strayParts(std::span<const std::int32_t> parts, std::vector<std::uint8_t>& out) {
    // A format that stops at the last whole pixel leaves a pixel's stray parts out; one that runs past
    // the data packs them, and its closing value, as they fall.
    if (!format_.packsPastData) return;
    for (std::size_t i = 0; i < parts.size() && i < 3; ++i) {
        const ChannelFormat& channel = format_.channels[i];
        append((static_cast<std::uint32_t>(parts[i]) & mask_[i]) << (channel.slot - channel.bits), channel.slot, out);
    }
}

void Packer::close(std::vector<std::uint8_t>& out) {
    if (held_ > 0 || format_.packsPastData) out.push_back(static_cast<std::uint8_t>((pending_ << (8 - held_)) & 0xFF));
    pending_ = 0, held_ = 0;
}

std::vector<std::int32_t> packParts(std::span<const std::int32_t> parts, Depth depth, ByteOrder order) {
    Packer packer(depth, order);
    const std::size_t whole = parts.size() - parts.size() % 3;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(whole / 3 * static_cast<std::size_t>(colorFormat(depth).bitsPerPixel()) / 8 + 2);
    packer.pixels(parts.first(whole), bytes);
    packer.strayParts(parts.subspan(whole), bytes);
    packer.close(bytes);
    return {bytes.begin(), bytes.end()};
}

Conversion convert(std::span<const std::int32_t> components, Depth depth) {
    Conversion c;
    c.depth = depth;
    c.parts = reduceComponents(components, depth);
    c.packed = packParts(c.parts, depth);
    return c;
}

std::vector<std::string> list2Items(const Conversion& conversion) {
    return conversion.depth == Depth::Bits16 ? decimalTexts(conversion.parts) : std::vector<std::string>{};
}

std::vector<std::string> list3Items(const Conversion& conversion) {
    const bool listed = conversion.depth == Depth::Bits8 || conversion.depth == Depth::Bits16;
    return listed ? decimalTexts(conversion.packed) : std::vector<std::string>{};
}

std::string text4(const Conversion& conversion) {
    return decimalText(static_cast<std::int64_t>(conversion.parts.size()));
}

std::string text5(const Conversion& conversion) {
    return decimalText(static_cast<std::int64_t>(conversion.packed.size()));
}

} // namespace quorvane::codegen
