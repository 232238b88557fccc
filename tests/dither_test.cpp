#include "codegen/display.h"
#include "codegen/dither.h"
#include "codegen/imagecode.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace quorvane::codegen;

namespace {

constexpr Depth kDepths[] = {Depth::Bits8, Depth::Bits12, Depth::Bits16};
constexpr Dither kModes[] = {Dither::Ordered, Dither::ErrorDiffusion};

// A smooth 24 x 10 picture whose channels run across all of 0..255.
std::vector<std::int32_t> gradient(int width = 24, int height = 10) {
    std::vector<std::int32_t> components;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            components.insert(components.end(),
                              {x * 255 / (width - 1), y * 255 / (height - 1), (x + y) * 7 % 256});
        }
    }
    return components;
}

std::vector<std::int32_t> flat(int pixels, std::int32_t r, std::int32_t g, std::int32_t b) {
    std::vector<std::int32_t> components;
    for (int i = 0; i < pixels; ++i)
        components.insert(components.end(), {r, g, b});
    return components;
}

} // namespace

TEST(Dithering, NoneIsThePlainReductionAtEveryDepth) {
    const auto components = gradient();
    for (Depth depth : kDepths) {
        EXPECT_EQ(ditheredParts(components, 24, depth, Dither::None), convert(components, depth).parts);
        const auto code = makeImageCode(components, {24, 10}, {.depth = depth, .arrayName = "g"});
        EXPECT_EQ(code.conversion.packed, convert(components, depth).packed);
    }
}

// Worked by hand: two pixels of (100, 100, 100) at 8 Bit, one row, left to right.
//   fs, red and green: 100 reduces to part 3 (level 109); error 100 - 109 = -9, 7/16 of it goes right:
//   -144/16 * 7 = -63/16, so the next pixel wants 96 1/16, which rounds to 96 and reduces to part 2.
//   fs, blue: 100 reduces to part 1 (level 85); error +15, 105/16 to the right: 106 9/16 rounds to 107,
//   still part 1. Pixels (3, 3, 1) and (2, 2, 1): bytes 0x6D, 0x49.
//   ordered, red and green: 100 lies between levels 73 and 109, t = 27/36 = 0.75; the upper part where
//   0.75 > (m + 0.5) / 64, that is m <= 47: Bayer 0 and 32 both take part 3.
//   ordered, blue: between 85 and 170, t = 15/85 = 0.176: the upper part for m <= 10: Bayer 0 takes
//   part 2, Bayer 32 part 1. Pixels (3, 3, 2) and (3, 3, 1): bytes 0x6E, 0x6D.
TEST(Dithering, TwoPixelsWorkedByHand) {
    struct Case {
        const char* name;
        Dither dither;
        std::vector<std::int32_t> parts;
        std::vector<std::uint8_t> rawFile;
    };
    const Case cases[] = {
        {"none", Dither::None, {3, 3, 1, 3, 3, 1}, {0x00, 0x01, 0x6D, 0x6D}},
        {"fs", Dither::ErrorDiffusion, {3, 3, 1, 2, 2, 1}, {0x00, 0x01, 0x6D, 0x49}},
        {"ordered", Dither::Ordered, {3, 3, 2, 3, 3, 1}, {0x00, 0x01, 0x6E, 0x6D}},
    };
    for (const auto& c : cases) {
        const auto code =
            makeImageCode(flat(2, 100, 100, 100), {2, 1}, {.arrayName = "x", .dither = c.dither});
        EXPECT_EQ(code.conversion.parts, c.parts) << c.name;
        EXPECT_EQ(code.rawFile, c.rawFile) << c.name;
    }
}

// The second row runs right to left: it starts at its last pixel and pushes its error leftwards.
TEST(Dithering, SerpentineRowsRunBothWays) {
    // 2 x 2 at 8 Bit, red only: (100, 0) over (100, 100). In sixteenths:
    // (0, 0): 1600 -> part 3 (level 109), error -144: -63 right, -27 down-behind (off the picture),
    //         -45 down, and the rest, -9, down-ahead to (1, 1).
    // (1, 0): -63 wanted, clamped to 0 -> part 0, no error.
    // (1, 1), first of row 1: 1600 - 9 = 1591 -> 99 7/16 rounds to 99 -> part 3, error -153; row 1 runs
    //         leftwards, so its 7/16 share (-66) goes to (0, 1).
    // (0, 1): 1600 - 45 - 66 = 1489 -> 93 1/16 rounds to 93 -> part 2.
    const std::vector<std::int32_t> components = {100, 0, 0, 0, 0, 0, 100, 0, 0, 100, 0, 0};
    const auto parts = ditheredParts(components, 2, Depth::Bits8, Dither::ErrorDiffusion);
    EXPECT_EQ(parts, (std::vector<std::int32_t>{3, 0, 0, 0, 0, 0, 2, 0, 0, 3, 0, 0}));
}

TEST(Dithering, SamePictureSameBytes) {
    const auto components = gradient();
    for (Depth depth : kDepths) {
        for (Dither mode : kModes) {
            EXPECT_EQ(ditheredParts(components, 24, depth, mode), ditheredParts(components, 24, depth, mode));
        }
    }
}

// A flat area of a colour whose every channel is a displayed level stays one colour under both modes,
// the same part that the plain reduction gives wherever it gives that level's part.
TEST(Dithering, ColoursTheDisplayShowsExactlyAreNeverSpeckled) {
    for (Depth depth : kDepths) {
        for (int part = 0; part <= largestPart(depth, Channel::Green); ++part) {
            const auto levelOf = [&](Channel ch) {
                return displayedLevel(std::min(part, largestPart(depth, ch)), depth, ch);
            };
            const auto area =
                flat(8 * 9, levelOf(Channel::Red), levelOf(Channel::Green), levelOf(Channel::Blue));
            const auto plain = ditheredParts(area, 8, depth, Dither::None);
            for (Dither mode : kModes) {
                const auto parts = ditheredParts(area, 8, depth, mode);
                for (std::size_t i = 0; i < parts.size(); ++i) {
                    const auto ch = static_cast<Channel>(i % 3);
                    ASSERT_EQ(parts[i], std::min(part, largestPart(depth, ch)))
                        << "depth " << int(depth) << " part " << part << " mode " << int(mode) << " at " << i;
                    if (plain[i] == parts[i]) continue;
                    // Only where the plain reduction itself misses the level's part (at 16 Bit the odd
                    // multiples of a step fall to the even part below) may the two differ.
                    EXPECT_EQ(depth, Depth::Bits16);
                    EXPECT_NE(displayedLevel(plain[i], depth, ch), displayedLevel(parts[i], depth, ch));
                }
            }
        }
    }
    // The example colour: (73, 146, 170) at 8 Bit is parts (2, 4, 2), untouched.
    for (Dither mode : kModes) {
        const auto parts = ditheredParts(flat(64, 73, 146, 170), 8, Depth::Bits8, mode);
        EXPECT_EQ(parts, ditheredParts(flat(64, 73, 146, 170), 8, Depth::Bits8, Dither::None));
    }
}

// What dithering is for: over an area, the displayed levels average to the colour asked for, where the
// plain reduction is off by up to half a step.
TEST(Dithering, AFlatAreaAveragesToItsColour) {
    for (Depth depth : kDepths) {
        for (std::int32_t c : {20, 100, 130, 201}) {
            for (Dither mode : kModes) {
                const int side = 64;
                const auto parts = ditheredParts(flat(side * side, c, c, c), side, depth, mode);
                for (std::size_t ch = 0; ch < 3; ++ch) {
                    double sum = 0;
                    for (std::size_t i = ch; i < parts.size(); i += 3) {
                        sum += displayedLevel(parts[i], depth, static_cast<Channel>(ch));
                    }
                    EXPECT_NEAR(sum / (side * side), c, 1.0)
                        << "depth " << int(depth) << " c " << c << " mode " << int(mode) << " channel " << ch;
                }
            }
        }
    }
}

TEST(Dithering, NamesOfTheModes) {
    for (Dither mode : {Dither::None, Dither::Ordered, Dither::ErrorDiffusion}) {
        EXPECT_EQ(ditherFromName(ditherName(mode)), mode);
    }
    EXPECT_EQ(ditherName(Dither::ErrorDiffusion), "fs");
    for (const char* wrong : {"", "FS", "bayer", "none "})
        EXPECT_FALSE(ditherFromName(wrong)) << wrong;
}
