#include "codegen/reduce.h"

#include "codegen/module1.h"
#include "codegen/numbers.h"

#include <array>
#include <stdexcept>

namespace quorvane::codegen {

using Module1::ShiftLeft;
using Module1::ShiftRight;

namespace {

Channel channelOf(std::size_t index) { return static_cast<Channel>(index % 3); }

// Reads past the end of the parts as 0: the packing loops run one group beyond the data on purpose.
std::int32_t partAt(std::span<const std::int32_t> parts, std::size_t index) {
    return index < parts.size() ? parts[index] : 0;
}

std::vector<std::string> decimalTexts(const std::vector<std::int32_t>& values) {
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (std::int32_t v : values) texts.push_back(decimalText(v));
    return texts;
}

} // namespace

ReductionConstants reductionConstants(Depth depth, Channel channel) {
    switch (depth) {
    case Depth::Bits8:
        return channel == Channel::Blue ? ReductionConstants{32, 64} : ReductionConstants{16, 32};
    case Depth::Bits12:
        return {8, 16};
    case Depth::Bits16:
        return channel == Channel::Green ? ReductionConstants{2, 4} : ReductionConstants{4, 8};
    }
    return {8, 16};
}

int largestPart(Depth depth, Channel channel) { return 256 / reductionConstants(depth, channel).d - 1; }

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
    if (order == ByteOrder::Little && depth != Depth::Bits16) {
        throw std::invalid_argument("packParts: only 16 Bit has a byte order");
    }
    std::vector<std::int32_t> packed;
    const std::size_t n = parts.size();
    switch (depth) {
    case Depth::Bits8:
        packed.reserve(n / 3 + 1);
        for (std::size_t k = 0; k <= n; k += 3) {
            std::int32_t x = ShiftLeft(0 | partAt(parts, k), 3);
            x = ShiftLeft(x | partAt(parts, k + 1), 2);
            packed.push_back(x | partAt(parts, k + 2));
        }
        break;
    case Depth::Bits12:
        packed.reserve(n / 2 + 1);
        for (std::size_t k = 0; k <= n; k += 2) {
            packed.push_back(ShiftLeft(0 | partAt(parts, k), 4) | partAt(parts, k + 1));
        }
        break;
    case Depth::Bits16:
        packed.reserve(n / 3 * 2);
        for (std::size_t k = 0; k + 2 < n; k += 3) {
            const std::int32_t r = parts[k], g = parts[k + 1], b = parts[k + 2];
            const std::int32_t high = (ShiftLeft(r, 3) | (ShiftRight(g, 3) & 7)) & 0xFF;
            const std::int32_t low = (ShiftLeft(g, 5) | (b & 0x1F)) & 0xFF;
            packed.push_back(order == ByteOrder::Big ? high : low);
            packed.push_back(order == ByteOrder::Big ? low : high);
        }
        break;
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
    return conversion.depth == Depth::Bits12 ? std::vector<std::string>{} : decimalTexts(conversion.packed);
}

std::string text4(const Conversion& conversion) {
    return decimalText(static_cast<std::int64_t>(conversion.parts.size()));
}

std::string text5(const Conversion& conversion) {
    return decimalText(static_cast<std::int64_t>(conversion.packed.size()));
}

} // namespace quorvane::codegen
