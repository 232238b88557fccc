#include "codegen/arraytext.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvane::codegen;

namespace {

std::vector<std::uint8_t> rawFileOf(const std::vector<std::int32_t>& components, int height, int width,
                                    Depth depth) {
    const auto packed = convert(components, depth).packed;
    std::vector<std::int16_t> fileValues(60001);
    fillFileValues(fileValues, sizeBytes({width, height}), packed);
    return rawFileBytes(fileValues, 2 + rawDataByteCount(depth, static_cast<std::size_t>(height * width)));
}

} // namespace

TEST(RawFile, BytesOfSmallImages) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> components;
        int height, width;
        Depth depth;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {"2x1 8 Bit keeps the last pixel", {255, 128, 0, 0, 0, 255}, 1, 2, Depth::Bits8, {0x00, 0x01, 0xF0, 0x03}},
        {"2x1 12 Bit keeps every data byte", {255, 128, 0, 0, 0, 255}, 1, 2, Depth::Bits12,
         {0x00, 0x01, 0xF8, 0x00, 0x0F}},
        {"2x1 16 Bit", {255, 128, 0, 0, 0, 255}, 1, 2, Depth::Bits16, {0x00, 0x01, 0xFC, 0x00, 0x00, 0x1F}},
        {"1x1 white 8 Bit", {255, 255, 255}, 1, 1, Depth::Bits8, {0x00, 0x00, 0xFF}},
        {"1x1 white 12 Bit: odd count keeps the half byte", {255, 255, 255}, 1, 1, Depth::Bits12,
         {0x00, 0x00, 0xFF, 0xF0}},
        {"1x2 (tall) 8 Bit: height first", {0, 0, 0, 255, 255, 255}, 2, 1, Depth::Bits8, {0x01, 0x00, 0x00, 0xFF}},
    };
    for (const auto& c : cases) EXPECT_EQ(rawFileOf(c.components, c.height, c.width, c.depth), c.bytes) << c.name;
}

TEST(RawFile, LargestImageLengthsAndLastBytes) {
    std::vector<std::int32_t> components(3 * 132 * 132, 0);
    // Only the last pixel is white: its code ends the file at 8 and 16 Bit; at 12 Bit the last two bytes
    // are B0R1 = 0x0F and G1B1 = 0xFF of the final pixel pair.
    std::fill(components.end() - 3, components.end(), 255);
    struct Case {
        Depth depth;
        std::size_t length;
        std::uint8_t last, beforeLast;
    };
    const Case cases[] = {{Depth::Bits8, 17426, 0xFF, 0x00}, {Depth::Bits12, 26138, 0xFF, 0x0F},
                          {Depth::Bits16, 34850, 0xFF, 0xFF}};
    for (const auto& c : cases) {
        const auto bytes = rawFileOf(components, 132, 132, c.depth);
        ASSERT_EQ(bytes.size(), c.length);
        EXPECT_EQ(bytes[0], 131);
        EXPECT_EQ(bytes[1], 131);
        EXPECT_EQ(bytes[c.length - 1], c.last);
        EXPECT_EQ(bytes[c.length - 2], c.beforeLast);
    }
}

TEST(RawFile, DataByteCounts) {
    EXPECT_EQ(rawDataByteCount(Depth::Bits8, 5), 5u);
    EXPECT_EQ(rawDataByteCount(Depth::Bits12, 5), 8u); // ceil(15 / 2)
    EXPECT_EQ(rawDataByteCount(Depth::Bits12, 4), 6u);
    EXPECT_EQ(rawDataByteCount(Depth::Bits16, 5), 10u);
    EXPECT_EQ(rawFileName("logo"), "logo.hex");
}

TEST(RawFile, RefusesToReadPastTheFileImage) {
    const std::vector<std::int16_t> fileValues(4);
    EXPECT_THROW(rawFileBytes(fileValues, 5), std::length_error);
}
