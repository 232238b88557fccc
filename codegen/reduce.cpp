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

std::vector<std::int32_t> packParts(std::span<const std::int32_t> parts, Depth depth, ByteOrder order) {
    const ColorFormat& format = colorFormat(depth);
    if (order == ByteOrder::Little && !format.hasByteOrder()) {
        throw std::invalid_argument("packParts: only a 16-bit pixel has a byte order");
    }
    // A format that stops at the last whole pixel leaves a pixel's stray parts out; one that runs past
    // the data packs them, and its closing value, as they fall.
    const std::size_t n = format.packsPastData ? parts.size() : parts.size() - parts.size() % 3;
    std::uint64_t bits = 0;
    for (std::size_t channel = 0; channel < 3; ++channel) {
        bits += static_cast<std::uint64_t>(format.channels[channel].slot) * ((n + 2 - channel) / 3);
    }
    const std::size_t count = static_cast<std::size_t>(format.packsPastData ? bits / 8 + 1 : (bits + 7) / 8);

    std::vector<std::int32_t> packed;
    packed.reserve(count);
    // Where each channel's part stands in a pixel's bits, the first channel highest.
    std::array<int, 3> shift{};
    std::array<std::uint32_t, 3> mask{};
    for (int at = format.bitsPerPixel(), c = 0; c < 3; ++c) {
        const ChannelFormat& channel = format.channels[static_cast<std::size_t>(c)];
        at -= channel.slot;
        shift[static_cast<std::size_t>(c)] = at + channel.slot - channel.bits;
        mask[static_cast<std::size_t>(c)] = (1u << channel.bits) - 1;
    }
    std::uint64_t pending = 0; // the bits not yet in a byte: at most seven after each step
    int held = 0;
    const auto append = [&](std::uint32_t value, int width) {
        pending = (pending << width) | value;
        held += width;
        while (held >= 8) {
            held -= 8;
            packed.push_back(static_cast<std::int32_t>((pending >> held) & 0xFF));
        }
        pending &= (std::uint64_t{1} << held) - 1;
    };
    const std::size_t whole = n - n % 3;
    const int pixelBits = format.bitsPerPixel();
    for (std::size_t i = 0; i < whole; i += 3) {
        const auto part = [&](std::size_t c) { return (static_cast<std::uint32_t>(parts[i + c]) & mask[c]) << shift[c]; };
        append(part(0) | part(1) | part(2), pixelBits);
    }
    // The parts of a pixel left incomplete, one slot each.
    for (std::size_t i = whole; i < n; ++i) {
        const ChannelFormat& channel = format.channels[i % 3];
        append((static_cast<std::uint32_t>(parts[i]) & mask[i % 3]) << (channel.slot - channel.bits), channel.slot);
    }
    if (packed.size() < count) packed.push_back(static_cast<std::int32_t>((pending << (8 - held)) & 0xFF));
    if (order == ByteOrder::Little) {
        for (std::size_t i = 0; i + 1 < packed.size(); i += 2) std::swap(packed[i], packed[i + 1]);
    }
    return packed;
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
