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
    const int pixelBits = format_.bitsPerPixel();
    const std::size_t count = parts.size() / 3;
    // Every byte these pixels complete, written in place: the bits of a row are known, so the vector
    // grows once a call, not once a byte.
    std::size_t at = out.size();
    out.resize(at + (static_cast<std::size_t>(held_) + count * static_cast<std::size_t>(pixelBits)) / 8);
    std::uint8_t* bytes = out.data();
    const std::int32_t* part = parts.data();
    const auto pixel = [this](const std::int32_t* p) {
        return (static_cast<std::uint32_t>(p[0]) & mask_[0]) << shift_[0] |
               (static_cast<std::uint32_t>(p[1]) & mask_[1]) << shift_[1] |
               (static_cast<std::uint32_t>(p[2]) & mask_[2]) << shift_[2];
    };
    // Pixels of whole bytes on a byte boundary go straight out, the first byte the highest.
    const auto wholeBytes = [&]<int kBytes>() {
        for (std::size_t i = 0; i < count; ++i, part += 3) {
            const std::uint32_t value = pixel(part);
            for (int b = kBytes - 1; b >= 0; --b) bytes[at++] = static_cast<std::uint8_t>(value >> (8 * b));
            if (little_) std::swap(bytes[at - 2], bytes[at - 1]);
        }
    };
    if (held_ == 0) {
        switch (pixelBits) {
        case 8: return wholeBytes.operator()<1>();
        case 16: return wholeBytes.operator()<2>();
        case 24: return wholeBytes.operator()<3>();
        default: break;
        }
    }
    for (std::size_t i = 0; i < count; ++i, part += 3) {
        const std::uint32_t value = pixel(part);
        pending_ = (pending_ << pixelBits) | value;
        held_ += pixelBits;
        while (held_ >= 8) {
            held_ -= 8;
            bytes[at++] = static_cast<std::uint8_t>(pending_ >> held_);
        }
        pending_ &= (std::uint64_t{1} << held_) - 1;
        // A 16-bit pixel is two whole bytes: little byte order sends its low byte first.
        if (little_) std::swap(bytes[at - 2], bytes[at - 1]);
    }
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
