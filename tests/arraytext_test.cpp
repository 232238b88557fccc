#include "codegen/arraytext.h"
#include "codegen/header.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvane::codegen;

namespace {

const std::vector<std::int32_t> twoByOne = {255, 128, 0, 0, 0, 255};

} // namespace

TEST(ArrayText, OverviewImageAtEachDepthAndTarget) {
    struct Case {
        const char* name;
        Depth depth;
        Target target;
        const char* declaration;
        const char* values;
    };
    const Case cases[] = {
        {"8 Bit PIC", Depth::Bits8, Target::Pic, "unsigned rom char logo[7] = {", "0,1,240,3,0,0"},
        {"8 Bit ARM", Depth::Bits8, Target::Arm, "const unsigned char logo[7] = {", "0,1,240,3,0,0"},
        {"12 Bit ARM", Depth::Bits12, Target::Arm, "const unsigned char logo[8] = {", "0,1,248,0,15,0,0"},
        {"16 Bit PIC", Depth::Bits16, Target::Pic, "unsigned rom char logo[8] = {", "0,1,252,0,0,31,0"},
    };
    for (const auto& c : cases) {
        const auto packed = convert(twoByOne, c.depth).packed;
        const ArrayText text = arrayText("logo", c.target, sizeBytes({2, 1}), packed);
        EXPECT_EQ(text.declaration, c.declaration) << c.name;
        EXPECT_EQ(text.valueLine, c.values) << c.name;
    }
}

TEST(ArrayText, JoinedWithTheLineEndsOfTheCaller) {
    const ArrayText text = arrayText("logo", Target::Pic, sizeBytes({2, 1}), convert(twoByOne, Depth::Bits8).packed);
    EXPECT_EQ(text.joined("\r\n"), "unsigned rom char logo[7] = {\r\n0,1,240,3,0,0\r\n};");
    EXPECT_EQ(text.joined("\n"), "unsigned rom char logo[7] = {\n0,1,240,3,0,0\n};");
}

TEST(ArrayText, SmallImagesAndNames) {
    struct Case {
        const char* name;
        const char* imageName;
        std::vector<std::int32_t> components;
        Depth depth;
        const char* declaration;
        const char* values;
    };
    const Case cases[] = {
        {"1x1 black 8 Bit", "w", {0, 0, 0}, Depth::Bits8, "const unsigned char w[6] = {", "0,0,0,0,0"},
        {"1x1 white 12 Bit", "w", {255, 255, 255}, Depth::Bits12, "const unsigned char w[6] = {", "0,0,255,240,0"},
        {"name with dots", "my.photo", {0, 0, 0}, Depth::Bits8, "const unsigned char my_photo[6] = {",
         "0,0,0,0,0"},
        {"name with a digit first", "8x8", {0, 0, 0}, Depth::Bits8, "const unsigned char _8x8[6] = {", "0,0,0,0,0"},
    };
    for (const auto& c : cases) {
        const ArrayText text = arrayText(c.imageName, Target::Arm, sizeBytes({1, 1}), convert(c.components, c.depth).packed);
        EXPECT_EQ(text.declaration, c.declaration) << c.name;
        EXPECT_EQ(text.valueLine, c.values) << c.name;
    }
}

// The declared count is one more than the values listed, at every depth and for odd and even widths.
TEST(ArrayText, DeclaredCountIsOneMoreThanTheValues) {
    for (Depth depth : {Depth::Bits8, Depth::Bits12, Depth::Bits16}) {
        for (int width : {1, 2, 3, 132}) {
            const std::vector<std::int32_t> components(3 * width, 200);
            const ArrayText text = arrayText("x", Target::Arm, sizeBytes({width, 1}), convert(components, depth).packed);
            const auto values = std::count(text.valueLine.begin(), text.valueLine.end(), ',') + 1;
            EXPECT_EQ(text.declaration, "const unsigned char x[" + std::to_string(values + 1) + "] = {");
        }
    }
}

// Columns, radix, target and header change only the text; the walk-through image at 8 Bit has the six
// values 0,1,240,3,0,0.
TEST(ArrayText, LayoutTargetAndHeader) {
    struct Case {
        const char* name;
        Target target;
        TextLayout layout;
        const char* joined;
    };
    const Case cases[] = {
        {"four to a line", Target::Arm, {.columns = 4},
         "const unsigned char logo[7] = {\n    0,1,240,3,\n    0,0\n};"},
        {"lines that come out even end without a comma", Target::Arm, {.columns = 3},
         "const unsigned char logo[7] = {\n    0,1,240,\n    3,0,0\n};"},
        {"more columns than values", Target::Pic, {.columns = 40},
         "unsigned rom char logo[7] = {\n    0,1,240,3,0,0\n};"},
        {"hex", Target::Arm, {.radix = Radix::Hex},
         "const unsigned char logo[7] = {\n0x00,0x01,0xF0,0x03,0x00,0x00\n};"},
        {"avr", Target::Avr, {},
         "#include <avr/pgmspace.h>\nconst unsigned char logo[7] PROGMEM = {\n0,1,240,3,0,0\n};"},
        {"with a header", Target::Avr, {.columns = 2, .headerName = "logo.h"},
         "#include \"logo.h\"\n#include <avr/pgmspace.h>\nconst unsigned char logo[7] PROGMEM = {\n"
         "    0,1,\n    240,3,\n    0,0\n};"},
    };
    for (const auto& c : cases) {
        const ArrayText text = arrayText("logo", c.target, sizeBytes({2, 1}), convert(twoByOne, Depth::Bits8).packed, c.layout);
        EXPECT_EQ(text.joined("\n"), c.joined) << c.name;
    }
}

TEST(Header, SizesAndTheExternDeclaration) {
    EXPECT_EQ(headerText("logo.h", "logo", Target::Avr, {132, 99}, 19606),
              "#ifndef LOGO_H\n#define LOGO_H\n\n#include <avr/pgmspace.h>\n\n"
              "#define LOGO_WIDTH 132\n#define LOGO_HEIGHT 99\n#define LOGO_SIZE 19606\n\n"
              "extern const unsigned char logo[19606] PROGMEM;\n\n#endif\n");
    const std::string pic = headerText("my-art.h", "my.photo", Target::Pic, {2, 1}, 7);
    EXPECT_NE(pic.find("#ifndef MY_ART_H\n"), std::string::npos) << pic;
    EXPECT_NE(pic.find("#define MY_PHOTO_WIDTH 2\n"), std::string::npos) << pic;
    EXPECT_NE(pic.find("extern unsigned rom char my_photo[7];"), std::string::npos) << pic;
    // A guard that would be one of the macros is told apart from it.
    EXPECT_NE(headerText("logo_size", "logo", Target::Arm, {1, 1}, 6).find("#ifndef LOGO_SIZE_INCLUDED"),
              std::string::npos);
}

TEST(FileValues, FilledFromTheSizesAndValuesLeavingTheRest) {
    std::vector<std::int16_t> fileValues(12, 77);
    fillFileValues(fileValues, sizeBytes({2, 1}), std::vector<std::int32_t>{240, 3, 0});
    EXPECT_EQ(fileValues, (std::vector<std::int16_t>{0, 1, 240, 3, 0, 0, 77, 77, 77, 77, 77, 77}));
}

TEST(FileValues, RefusesAFileImageTooShort) {
    std::vector<std::int16_t> fileValues(5, 9);
    EXPECT_THROW(fillFileValues(fileValues, sizeBytes({2, 1}), std::vector<std::int32_t>{240, 3, 0}), std::length_error);
    EXPECT_EQ(fileValues, std::vector<std::int16_t>(5, 9));
}
