#include "codegen/imagecode.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace quorvane::codegen;

namespace {

// The walk-through image: 2 wide, 1 high, (255, 128, 0) then (0, 0, 255).
const std::vector<std::int32_t> twoByOne = {255, 128, 0, 0, 0, 255};

} // namespace

TEST(ImageCode, WalkThroughImageAtEveryDepth) {
    struct Case {
        const char* name;
        Depth depth;
        Target target;
        const char* declaration;
        const char* valueLine;
        std::vector<std::int32_t> parts;
        std::vector<std::int16_t> fileImage;
        std::vector<std::uint8_t> rawFile;
    };
    // clang-format off
    const Case cases[] = {
        {"8 Bit PIC", Depth::Bits8, Target::Pic, "unsigned rom char logo[7] = {", "0,1,240,3,0,0",
         {7, 4, 0, 0, 0, 3}, {0, 1, 240, 3, 0, 0}, {0x00, 0x01, 0xF0, 0x03}},
        // Pairs of parts cross the pixels: 15|8, 0|0, 0|15, then the closing half byte.
        {"12 Bit ARM", Depth::Bits12, Target::Arm, "const unsigned char logo[8] = {", "0,1,248,0,15,0,0",
         {15, 8, 0, 0, 0, 15}, {0, 1, 248, 0, 15, 0, 0}, {0x00, 0x01, 0xF8, 0x00, 0x0F}},
        {"16 Bit PIC", Depth::Bits16, Target::Pic, "unsigned rom char logo[8] = {", "0,1,252,0,0,31,0",
         {31, 32, 0, 0, 0, 31}, {0, 1, 252, 0, 0, 31, 0}, {0x00, 0x01, 0xFC, 0x00, 0x00, 0x1F}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const ImageCode code =
            makeImageCode(twoByOne, {2, 1}, {.depth = c.depth, .target = c.target, .arrayName = "logo"});
        EXPECT_EQ(code.text.declaration, c.declaration) << c.name;
        EXPECT_EQ(code.text.valueLine, c.valueLine) << c.name;
        EXPECT_EQ(code.conversion.parts, c.parts) << c.name;
        EXPECT_EQ(code.fileImage, c.fileImage) << c.name;
        EXPECT_EQ(code.rawFile, c.rawFile) << c.name;
        EXPECT_EQ(code.reducedCount(), 6u) << c.name;
        EXPECT_EQ(code.outputCount(), c.fileImage.size() - 3) << c.name;
        EXPECT_EQ(code.dataByteCount(), c.rawFile.size() - 2) << c.name;
    }
}

// Height comes first everywhere: a row and a column of the same pixels must not read alike.
TEST(ImageCode, SizeBytesAreHeightThenWidth) {
    const std::vector<std::int32_t> components(3 * 132, 255);
    const auto wide = makeImageCode(components, {132, 1}, {.arrayName = "w"});
    const auto tall = makeImageCode(components, {1, 132}, {.arrayName = "t"});
    EXPECT_EQ(wide.text.valueLine.substr(0, 6), "0,131,");
    EXPECT_EQ(tall.text.valueLine.substr(0, 6), "131,0,");
    EXPECT_EQ(std::vector<std::uint8_t>(wide.rawFile.begin(), wide.rawFile.begin() + 2),
              (std::vector<std::uint8_t>{0, 131}));
    EXPECT_EQ(std::vector<std::uint8_t>(tall.rawFile.begin(), tall.rawFile.begin() + 2),
              (std::vector<std::uint8_t>{131, 0}));
}

TEST(ImageCode, RefusesASizeThatDisagreesWithTheComponents) {
    struct Case {
        const char* name;
        std::size_t components;
        PictureSize size;
    };
    const Case cases[] = {
        {"one pixel short", 3, {2, 1}},
        {"one component over", 7, {2, 1}},
        {"no width", 0, {0, 1}},
        {"negative height", 3, {1, -1}},
    };
    for (const auto& c : cases) {
        const std::vector<std::int32_t> components(c.components, 0);
        EXPECT_THROW(makeImageCode(components, c.size, {}), std::invalid_argument) << c.name;
    }
}
