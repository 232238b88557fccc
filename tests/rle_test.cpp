// RLE runs that reach past the end of their row, as encoders that pad odd-width rows to an even count
// write them: the pixels inside the row are kept, the rest dropped; anything below the last row is
// still refused.
#include "capture/bmp.h"
#include "support/bmpwriter.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace quorvane::capture;
using namespace bmptest;

namespace {

constexpr Rgb red{255, 0, 0}, blue{0, 0, 255};
const std::uint32_t R = colorValue(red), B = colorValue(blue);

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

TEST(RleRows, RunsPastTheRowEndAreClippedToIt) {
    struct Case {
        const char* name;
        std::uint16_t bitCount;
        std::uint32_t compression;
        std::vector<std::uint8_t> data;
        std::vector<std::uint32_t> pixels; // top row first
    };
    // 3 x 2, bottom-up: the first row in the file is the bottom one. Palette: 0 red, 1 blue; the
    // background of pixels no run reaches is palette entry 0.
    const Case cases[] = {
        // Four blue where three fit; had the fourth wrapped, the top row would start blue.
        {"RLE8 encoded run", 8, 1, {4, 1, 0, 0, 2, 0, 0, 1}, {R, R, R, B, B, B}},
        {"RLE8 absolute run", 8, 1, {0, 4, 1, 1, 1, 1, 0, 0, 0, 1}, {R, R, R, B, B, B}},
        // RLE4 alternates the two nibbles: 1, 0, 1, 0 with the last one dropped.
        {"RLE4 encoded run", 4, 2, {4, 0x10, 0, 0, 0, 1}, {R, R, R, B, R, B}},
        // A second run in a row already full is dropped whole.
        {"run after the row is full", 8, 1, {3, 1, 2, 1, 0, 0, 0, 1}, {R, R, R, B, B, B}},
        // The last row of an odd-width picture may end with a padding run and no end-of-line.
        {"padding run in the last row", 8, 1, {3, 0, 0, 0, 3, 1, 1, 0, 0, 1}, {B, B, B, R, R, R}},
    };
    for (const auto& c : cases) {
        const auto file = buildBmp({.width = 3, .height = 2, .bitCount = c.bitCount, .compression = c.compression,
                                    .palette = {red, blue}, .pixelData = c.data});
        auto result = decodeBmp(file);
        ASSERT_TRUE(std::holds_alternative<Picture>(result)) << c.name << ": " << std::get<DecodeError>(result).reason;
        EXPECT_EQ(std::get<Picture>(result).pixels, c.pixels) << c.name;
    }
}

TEST(RleRows, RunsBelowTheLastRowAreStillRefused) {
    const std::vector<std::vector<std::uint8_t>> below = {
        {3, 1, 0, 0, 3, 1, 0, 0, 1, 1, 0, 1}, // a third row's run in a picture of two
        {0, 2, 0, 2, 1, 1, 0, 1},             // a delta to the third row
    };
    for (const auto& data : below) {
        auto result = decodeBmp(buildBmp({.width = 3, .height = 2, .bitCount = 8, .compression = 1,
                                          .palette = {red, blue}, .pixelData = data}));
        ASSERT_TRUE(std::holds_alternative<DecodeError>(result));
        EXPECT_NE(std::get<DecodeError>(result).reason.find("leaves the picture"), std::string::npos);
    }
}

// Files from a widely used encoder at odd widths; the same pictures uncompressed are the oracle.
TEST(RleRows, FilesAsAnEncoderWritesThem) {
    for (int width : {1, 3, 23, 131}) {
        const std::string dir = QUORVANE_TEST_DATA "/rle/", w = std::to_string(width);
        auto rle = decodeBmp(readFile(dir + "rle8-w" + w + ".bmp"));
        auto plain = decodeBmp(readFile(dir + "plain-w" + w + ".bmp"));
        ASSERT_TRUE(std::holds_alternative<Picture>(plain)) << w;
        ASSERT_TRUE(std::holds_alternative<Picture>(rle)) << w << ": " << std::get<DecodeError>(rle).reason;
        EXPECT_EQ(std::get<Picture>(rle).width, width);
        EXPECT_EQ(std::get<Picture>(rle).pixels, std::get<Picture>(plain).pixels) << "width " << w;
    }
}
