#pragma once
// Reduction of 8-bit colour components to the display's depths, and packing of the reduced parts into
// the bytes that the firmware sends to the LCD.

#include "codegen/format.h"

#include <array>
#include <utility>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvane::codegen {

// The order of a 16-bit pixel's two bytes: big sends RRRRRGGG first, as the panel reads them; little
// sends GGGBBBBB first, for firmware that sends 16-bit words from little-endian memory.
enum class ByteOrder { Big, Little };

struct ReductionConstants {
    int k; // added before the division; always d / 2
    int d; // the width of one step of the reduced scale
};

ReductionConstants reductionConstants(Depth depth, Channel channel);

// The largest part of a channel at a depth: 7, 7, 3 at 8 Bit; 15 at 12 Bit; 31, 63, 31 at 16 Bit; 63 at
// 18 Bit; 255 at 24 Bit.
int largestPart(Depth depth, Channel channel);

// part = round(round(c + k) / d - 1), both roundings half to even. For a whole c this is c / d rounded
// down, except that an odd multiple of d falls to the even part below it. c is expected in 0..255.
std::int32_t reduceComponent(double component, Depth depth, Channel channel);

// Every component reduced with the constants of its channel (index mod 3: red, green, blue).
std::vector<std::int32_t> reduceComponents(std::span<const std::int32_t> components, Depth depth);

// The packed byte values of a list of parts (red, green, blue per pixel): each part in its slot of the
// pixel, the pixels' bits one after another, the first in the most significant bit of a byte.
//  8 Bit: RRRGGGBB per pixel, then one trailing 0: pixels + 1 values.
// 12 Bit: two parts per byte in capture order, first in the upper half, pairs crossing pixels:
//         floor(3 * pixels / 2) + 1 values; with an even pixel count the last one is the trailing 0.
// 16 Bit: RRRRRGGG, then GGGBBBBB per pixel (the other way round in little byte order): 2 * pixels
//         values, no trailing value.
// 18 Bit: RRRRRR00, GGGGGG00, BBBBBB00; 24 Bit: the parts themselves: 3 * pixels values.
// Throws std::invalid_argument for little byte order at a depth whose pixels are not 16-bit words.
std::vector<std::int32_t> packParts(std::span<const std::int32_t> parts, Depth depth,
                                    ByteOrder order = ByteOrder::Big);

// packParts a piece at a time: whole pixels' parts as they come, their bytes appended as they fill. The
// bits run on across pieces, so a 12-bit row of an odd width shares a byte with the next.
class Packer {
  public:
    // Throws std::invalid_argument for little byte order at a depth whose pixels are not 16-bit words.
    Packer(Depth depth, ByteOrder order = ByteOrder::Big);
    // Whole pixels' parts (a multiple of 3).
    void pixels(std::span<const std::int32_t> parts, std::vector<std::uint8_t>& out);
    // A channel's part in its place among a pixel's bits.
    std::uint32_t placed(std::size_t channel, std::uint32_t part) const { return (part & mask_[channel]) << shift_[channel]; }
    // count pixels whose bits valueOf(i) gives, its parts placed and put together.
    template <typename ValueOf> void values(std::size_t count, ValueOf valueOf, std::vector<std::uint8_t>& out);
    // The parts of a pixel left incomplete, one slot each, as packParts packs them.
    void strayParts(std::span<const std::int32_t> parts, std::vector<std::uint8_t>& out);
    // What packParts puts after the last pixel: the bits left in a last byte, and a format that runs
    // past the data its closing value.
    void close(std::vector<std::uint8_t>& out);

  private:
    void append(std::uint32_t value, int width, std::vector<std::uint8_t>& out);

    const ColorFormat& format_;
    bool little_;
    std::array<int, 3> shift_{};
    std::array<std::uint32_t, 3> mask_{};
    std::uint64_t pending_ = 0; // the bits not yet in a byte: at most seven after each step
    int held_ = 0;
};

template <typename ValueOf> void Packer::values(std::size_t count, ValueOf valueOf, std::vector<std::uint8_t>& out) {
    const int pixelBits = format_.bitsPerPixel();
    // Every byte these pixels complete, written in place: the vector grows once a call, not once a byte.
    std::size_t at = out.size();
    out.resize(at + (static_cast<std::size_t>(held_) + count * static_cast<std::size_t>(pixelBits)) / 8);
    std::uint8_t* bytes = out.data();
    // Pixels of whole bytes on a byte boundary go straight out, the first byte the highest.
    const auto wholeBytes = [&]<int kBytes>() {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t value = valueOf(i);
            for (int b = kBytes - 1; b >= 0; --b) bytes[at++] = static_cast<std::uint8_t>(value >> (8 * b));
            if (little_) std::swap(bytes[at - 2], bytes[at - 1]);
        }
    };
    if (held_ == 0) {
        switch (pixelBits) {
        case 8: return wholeBytes.template operator()<1>();
        case 16: return wholeBytes.template operator()<2>();
        case 24: return wholeBytes.template operator()<3>();
        default: break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        pending_ = (pending_ << pixelBits) | valueOf(i);
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

// One "Make Code" conversion of a component list, and the texts its working lists and boxes receive.
struct Conversion {
    Depth depth = Depth::Bits8;
    std::vector<std::int32_t> parts;  // reducedValues; reducedCount is its size
    std::vector<std::int32_t> packed; // packedValues; outputCount is its size
};

Conversion convert(std::span<const std::int32_t> components, Depth depth);

std::vector<std::string> list2Items(const Conversion& conversion); // each part, at 16 Bit only
std::vector<std::string> list3Items(const Conversion& conversion); // each packed value, at 8 and 16 Bit only
std::string text4(const Conversion& conversion);                   // reducedCount
std::string text5(const Conversion& conversion);                   // outputCount

} // namespace quorvane::codegen
