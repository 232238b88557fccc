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
        EXPECT_EQ(code.fileImage(), c.fileImage) << c.name;
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

// The panel's options change the bytes, in the array and the raw file alike; worked by hand on the
// walk-through image, whose first pixel is (255, 128, 0) and second (0, 0, 255).
TEST(ImageCode, PanelOptionsChangeTheBytes) {
    struct Case {
        const char* name;
        Depth depth;
        PanelOptions panel;
        ByteOrder order;
        std::vector<std::uint8_t> rawFile;
    };
    // clang-format off
    const Case cases[] = {
        // (0, 128, 255) and (255, 0, 0): red field 0, green 4, blue field 3 -> 0x13; then 7 0 0 -> 0xE0.
        {"8 Bit blue first", Depth::Bits8, {.bgr = true}, ByteOrder::Big, {0x00, 0x01, 0x13, 0xE0}},
        // (0, 127, 255) -> 0 3 3 = 0x0F; (255, 255, 0) -> 7 7 0 = 0xFC.
        {"8 Bit inverted", Depth::Bits8, {.invert = true}, ByteOrder::Big, {0x00, 0x01, 0x0F, 0xFC}},
        // Parts 0 7 15 | 15 15 0, two to a byte.
        {"12 Bit inverted", Depth::Bits12, {.invert = true}, ByteOrder::Big, {0x00, 0x01, 0x07, 0xFF, 0xF0}},
        // 2 x 1 turned is 1 x 2: the size bytes change places, the pixels keep their order.
        {"12 Bit turned 90", Depth::Bits12, {.rotation = 90}, ByteOrder::Big, {0x01, 0x00, 0xF8, 0x00, 0x0F}},
        {"12 Bit turned 270", Depth::Bits12, {.rotation = 270}, ByteOrder::Big, {0x01, 0x00, 0x00, 0xFF, 0x80}},
        {"16 Bit left-right", Depth::Bits16, {.mirror = Mirror::LeftRight}, ByteOrder::Big, {0x00, 0x01, 0x00, 0x1F, 0xFC, 0x00}},
        {"16 Bit little", Depth::Bits16, {}, ByteOrder::Little, {0x00, 0x01, 0x00, 0xFC, 0x1F, 0x00}},
        {"16 Bit turned 180, little", Depth::Bits16, {.rotation = 180}, ByteOrder::Little, {0x00, 0x01, 0x1F, 0x00, 0x00, 0xFC}},
        // Turned, (0, 0, 255) comes first: inverted (255, 255, 0), swapped (0, 255, 255), 0 63 31 -> 0x07FF;
        // then (255, 128, 0): (0, 127, 255), (255, 127, 0), 31 31 0 -> 0xFBE0.
        {"16 Bit all at once", Depth::Bits16, {.invert = true, .bgr = true, .rotation = 180}, ByteOrder::Big,
         {0x00, 0x01, 0x07, 0xFF, 0xFB, 0xE0}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const ImageCode code =
            makeImageCode(twoByOne, {2, 1}, {.depth = c.depth, .panel = c.panel, .byteOrder = c.order});
        EXPECT_EQ(code.rawFile, c.rawFile) << c.name;
        const auto image = code.fileImage();
        EXPECT_TRUE(std::equal(c.rawFile.begin(), c.rawFile.end(), image.begin())) << c.name;
    }
    EXPECT_THROW(makeImageCode(twoByOne, {2, 1}, {.depth = Depth::Bits12, .byteOrder = ByteOrder::Little}),
                 std::invalid_argument);
}

// 24 Bit and the other size bytes, worked by hand on the walk-through image (18 Bit's packing is in
// reduce_test). The value line is the raw file's bytes, the 8 and 12 Bit packing's closing values, and
// the closing 0; the declaration is one longer.
TEST(ImageCode, NewDepthsAndSizeBytes) {
    struct Case {
        const char* name;
        Depth depth;
        SizeHeader header;
        ByteOrder order;
        bool bgr;
        const char* valueLine;
        std::size_t declared;
        std::vector<std::uint8_t> rawFile;
    };
    // clang-format off
    const Case cases[] = {
        {"24 Bit blue first", Depth::Bits24, SizeHeader::Bytes8, ByteOrder::Big, true, "0,1,0,128,255,255,0,0,0", 10,
         {0, 1, 0, 128, 255, 255, 0, 0}},
        {"16 Bit, two-byte sizes", Depth::Bits16, SizeHeader::Bytes16, ByteOrder::Big, false, "0,0,0,1,252,0,0,31,0", 10,
         {0, 0, 0, 1, 252, 0, 0, 31}},
        {"16 Bit, two-byte sizes, little", Depth::Bits16, SizeHeader::Bytes16, ByteOrder::Little, false,
         "0,0,1,0,0,252,31,0,0", 10, {0, 0, 1, 0, 0, 252, 31, 0}},
        {"8 Bit, no sizes", Depth::Bits8, SizeHeader::None, ByteOrder::Big, false, "240,3,0,0", 5, {240, 3}},
        {"12 Bit, no sizes", Depth::Bits12, SizeHeader::None, ByteOrder::Big, false, "248,0,15,0,0", 6, {248, 0, 15}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const ImageCode code = makeImageCode(twoByOne, {2, 1},
                                             {.depth = c.depth, .arrayName = "logo", .panel = {.bgr = c.bgr},
                                              .byteOrder = c.order, .sizeHeader = c.header});
        EXPECT_EQ(code.text.valueLine, c.valueLine) << c.name;
        EXPECT_EQ(code.declaredCount(), c.declared) << c.name;
        EXPECT_EQ(code.rawFile, c.rawFile) << c.name;
    }
}

