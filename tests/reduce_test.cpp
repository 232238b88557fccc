#include "codegen/reduce.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvane::codegen;

namespace {

struct Range {
    int low, high, part;
};

// The ranges as a colour table lists them, written out by hand rather than computed.
const std::vector<Range> eightBitRedGreen = {{0, 32, 0},    {33, 63, 1},    {64, 96, 2},    {97, 127, 3},
                                             {128, 160, 4}, {161, 191, 5}, {192, 224, 6}, {225, 255, 7}};
const std::vector<Range> eightBitBlue = {{0, 64, 0}, {65, 127, 1}, {128, 192, 2}, {193, 255, 3}};

// The other depths follow one pattern of step d: an even part p takes d*p to d*p + d (both ends, the
// ties), an odd part takes the d - 1 values between. 12 Bit: 0-16, 17-31, 32-48, ... 241-255.
std::vector<Range> alternatingRanges(int d) {
    std::vector<Range> ranges;
    for (int p = 0; p < 256 / d; ++p) {
        if (p % 2 == 0) ranges.push_back({d * p, std::min(d * p + d, 255), p});
        else ranges.push_back({d * p + 1, std::min(d * p + d - 1, 255), p});
    }
    return ranges;
}

std::vector<Range> ownParts() {
    std::vector<Range> ranges;
    for (int c = 0; c < 256; ++c) ranges.push_back({c, c, c});
    return ranges;
}

struct RangeCase {
    const char* name;
    Depth depth;
    Channel channel;
    std::vector<Range> ranges;
};

} // namespace

TEST(Reduction, EveryComponentFallsInItsListedRange) {
    const RangeCase cases[] = {
        {"8 Bit red", Depth::Bits8, Channel::Red, eightBitRedGreen},
        {"8 Bit green", Depth::Bits8, Channel::Green, eightBitRedGreen},
        {"8 Bit blue", Depth::Bits8, Channel::Blue, eightBitBlue},
        {"12 Bit red", Depth::Bits12, Channel::Red, alternatingRanges(16)},
        {"12 Bit green", Depth::Bits12, Channel::Green, alternatingRanges(16)},
        {"12 Bit blue", Depth::Bits12, Channel::Blue, alternatingRanges(16)},
        {"16 Bit red", Depth::Bits16, Channel::Red, alternatingRanges(8)},
        {"16 Bit green", Depth::Bits16, Channel::Green, alternatingRanges(4)},
        {"16 Bit blue", Depth::Bits16, Channel::Blue, alternatingRanges(8)},
        {"18 Bit red, d = 4", Depth::Bits18, Channel::Red, alternatingRanges(4)},
        {"18 Bit blue", Depth::Bits18, Channel::Blue, alternatingRanges(4)},
        {"24 Bit green: every component its own part", Depth::Bits24, Channel::Green, ownParts()},
    };
    for (const auto& c : cases) {
        int covered = 0;
        for (const Range& r : c.ranges) {
            for (int v = r.low; v <= r.high; ++v, ++covered) {
                ASSERT_EQ(reduceComponent(v, c.depth, c.channel), r.part) << c.name << " component " << v;
            }
        }
        EXPECT_EQ(covered, 256) << c.name << ": the ranges must cover 0..255 exactly once";
        EXPECT_EQ(c.ranges.back().part, largestPart(c.depth, c.channel)) << c.name;
    }
}

TEST(Reduction, SpotChecksOfTheRangeListsEnds) {
    // Guards the pattern above against a slip: these rows are quoted, not generated.
    EXPECT_EQ(reduceComponent(224, Depth::Bits12, Channel::Red), 14);
    EXPECT_EQ(reduceComponent(240, Depth::Bits12, Channel::Red), 14);
    EXPECT_EQ(reduceComponent(241, Depth::Bits12, Channel::Red), 15);
    EXPECT_EQ(reduceComponent(248, Depth::Bits16, Channel::Red), 30);
    EXPECT_EQ(reduceComponent(249, Depth::Bits16, Channel::Blue), 31);
    EXPECT_EQ(reduceComponent(252, Depth::Bits16, Channel::Green), 62);
    EXPECT_EQ(reduceComponent(253, Depth::Bits16, Channel::Green), 63);
    EXPECT_EQ(reduceComponent(52, Depth::Bits16, Channel::Green), 12); // 54 / 4 - 1 = 12.5, tie to even
}

TEST(Reduction, FractionalComponentsRoundTwice) {
    // round(round(12.5 + 16) / 32 - 1) = round(28 / 32 - 1) = round(-0.125) = 0
    EXPECT_EQ(reduceComponent(12.5, Depth::Bits8, Channel::Red), 0);
    EXPECT_EQ(reduceComponent(255.4, Depth::Bits8, Channel::Red), 7);
}

TEST(Packing, TwoByOneImageOfTheOverviewAtEachDepth) {
    const std::vector<std::int32_t> components = {255, 128, 0, 0, 0, 255};
    struct Case {
        Depth depth;
        std::vector<std::int32_t> parts;
        std::vector<std::int32_t> packed;
        std::vector<std::string> list2, list3;
    };
    const Case cases[] = {
        {Depth::Bits8, {7, 4, 0, 0, 0, 3}, {240, 3, 0}, {}, {"240", "3", "0"}},
        {Depth::Bits12, {15, 8, 0, 0, 0, 15}, {248, 0, 15, 0}, {}, {}},
        // 16 Bit: green 128 is a tie (32.5 - 1 = 31.5) and goes to 32 = 100000b, so the first pixel is
        // RRRRRGGG = 11111 100 = 252 and GGGBBBBB = 000 00000 = 0.
        {Depth::Bits16, {31, 32, 0, 0, 0, 31}, {252, 0, 0, 31}, {"31", "32", "0", "0", "0", "31"},
         {"252", "0", "0", "31"}},
        // 18 Bit: 128 is a tie (130 / 4 - 1 = 31.5) and goes to 32; each part stands in the top six bits
        // of its own byte: 63 -> 252, 32 -> 128. The working lists belong to 8 and 16 Bit alone.
        {Depth::Bits18, {63, 32, 0, 0, 0, 63}, {252, 128, 0, 0, 0, 252}, {}, {}},
        {Depth::Bits24, {255, 128, 0, 0, 0, 255}, {255, 128, 0, 0, 0, 255}, {}, {}},
    };
    for (const auto& c : cases) {
        const Conversion conversion = convert(components, c.depth);
        EXPECT_EQ(conversion.parts, c.parts);
        EXPECT_EQ(conversion.packed, c.packed);
        EXPECT_EQ(list2Items(conversion), c.list2);
        EXPECT_EQ(list3Items(conversion), c.list3);
        EXPECT_EQ(text4(conversion), "6");
        EXPECT_EQ(text5(conversion), std::to_string(c.packed.size()));
    }
}

TEST(Packing, SmallImagesAndTheirTrailingValues) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> components;
        Depth depth;
        std::vector<std::int32_t> packed;
    };
    const Case cases[] = {
        {"1x1 white, 12 Bit: odd pixel count, no trailing 0", {255, 255, 255}, Depth::Bits12, {255, 240}},
        {"1x1 black, 8 Bit", {0, 0, 0}, Depth::Bits8, {0, 0}},
        {"1x1 white, 8 Bit", {255, 255, 255}, Depth::Bits8, {255, 0}},
        // 16p + 8 reduces to p at 12 Bit, so the parts are 1 2 3 5 6 7 9 10 11.
        {"3x1, 12 Bit: last value holds the third blue part", {24, 40, 56, 88, 104, 120, 152, 168, 184},
         Depth::Bits12, {0x12, 0x35, 0x67, 0x9A, 0xB0}},
        {"(18, 52, 86) at 16 Bit is 0x118A", {18, 52, 86}, Depth::Bits16, {0x11, 0x8A}},
        {"white at 16 Bit", {255, 255, 255}, Depth::Bits16, {0xFF, 0xFF}},
        {"nothing captured, 8 Bit", {}, Depth::Bits8, {0}},
        {"nothing captured, 16 Bit", {}, Depth::Bits16, {}},
        {"a stray part at 18 Bit is not a pixel", {255, 255, 255, 255}, Depth::Bits18, {0xFC, 0xFC, 0xFC}},
    };
    for (const auto& c : cases) EXPECT_EQ(convert(c.components, c.depth).packed, c.packed) << c.name;
}

// Unpacking the 12-bit stream nibble by nibble must give back every part, in capture order.
TEST(Packing, TwelveBitStreamUnpacksToTheParts) {
    for (int pixels : {1, 2, 3, 7, 132}) {
        std::vector<std::int32_t> components;
        for (int i = 0; i < 3 * pixels; ++i) components.push_back((i * 37 + 11) % 256);
        const Conversion c = convert(components, Depth::Bits12);
        std::vector<std::int32_t> nibbles;
        for (std::int32_t byte : c.packed) {
            nibbles.push_back(byte >> 4);
            nibbles.push_back(byte & 0xF);
        }
        nibbles.resize(c.parts.size());
        EXPECT_EQ(nibbles, c.parts) << pixels << " pixels";
        EXPECT_EQ(c.packed.size(), static_cast<std::size_t>(3 * pixels / 2 + 1)) << pixels << " pixels";
    }
}

TEST(Packing, SixteenBitWordsUnpackToTheParts) {
    std::vector<std::int32_t> components;
    for (int v = 0; v < 256; ++v) components.insert(components.end(), {v, 255 - v, (v * 7) % 256});
    const Conversion c = convert(components, Depth::Bits16);
    ASSERT_EQ(c.packed.size(), 2 * 256u);
    for (std::size_t p = 0; p < 256; ++p) {
        const int word = c.packed[2 * p] * 256 + c.packed[2 * p + 1];
        EXPECT_EQ(word >> 11, c.parts[3 * p]);
        EXPECT_EQ((word >> 5) & 63, c.parts[3 * p + 1]);
        EXPECT_EQ(word & 31, c.parts[3 * p + 2]);
    }
}

TEST(Packing, LargestImageCountsAtEachDepth) {
    const std::vector<std::int32_t> components(3 * 132 * 132, 255);
    struct Case {
        Depth depth;
        std::size_t outputCount;
        std::int32_t lastValue;
    };
    const Case cases[] = {{Depth::Bits8, 17425, 0},      {Depth::Bits12, 26137, 0}, {Depth::Bits16, 34848, 0xFF},
                          {Depth::Bits18, 52272, 0xFC}, {Depth::Bits24, 52272, 0xFF}};
    for (const auto& c : cases) {
        const Conversion conversion = convert(components, c.depth);
        EXPECT_EQ(conversion.parts.size(), 52272u);
        EXPECT_EQ(conversion.packed.size(), c.outputCount);
        EXPECT_EQ(conversion.packed.back(), c.lastValue);
        EXPECT_EQ(conversion.packed[c.outputCount - 2], c.depth == Depth::Bits18 ? 0xFC : 255);
    }
}
