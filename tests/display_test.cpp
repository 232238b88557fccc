#include "codegen/display.h"
#include "codegen/imagecode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace quorvane::codegen;

TEST(Display, LevelsOfEveryChannel) {
    struct Case {
        const char* name;
        Depth depth;
        Channel channel;
        std::vector<int> levels;
    };
    const Case cases[] = {
        {"8 Bit red, 3 bits", Depth::Bits8, Channel::Red, {0, 36, 73, 109, 146, 182, 219, 255}},
        {"8 Bit blue, 2 bits", Depth::Bits8, Channel::Blue, {0, 85, 170, 255}},
        {"12 Bit, 4 bits: 17 apart",
         Depth::Bits12,
         Channel::Green,
         {0, 17, 34, 51, 68, 85, 102, 119, 136, 153, 170, 187, 204, 221, 238, 255}},
    };
    for (const auto& c : cases) {
        std::vector<int> levels;
        for (int part = 0; part <= largestPart(c.depth, c.channel); ++part) {
            levels.push_back(displayedLevel(part, c.depth, c.channel));
        }
        EXPECT_EQ(levels, c.levels) << c.name;
    }
    // 5 and 6 bits, spot checks: 255 / 31 = 8.23, 255 / 63 = 4.05; at 8 bits the part is the level.
    EXPECT_EQ(displayedLevel(32, Depth::Bits18, Channel::Red), 130);
    EXPECT_EQ(displayedLevel(1, Depth::Bits18, Channel::Blue), 4);
    EXPECT_EQ(displayedLevel(200, Depth::Bits24, Channel::Green), 200);
    EXPECT_EQ(displayedLevel(1, Depth::Bits16, Channel::Red), 8);
    EXPECT_EQ(displayedLevel(16, Depth::Bits16, Channel::Blue), 132);
    EXPECT_EQ(displayedLevel(31, Depth::Bits16, Channel::Red), 255);
    EXPECT_EQ(displayedLevel(32, Depth::Bits16, Channel::Green), 130);
}

// Pack then read back: every part survives at every depth, for odd and even pixel counts (the 12-bit
// file ends in half a byte when the count is odd), with every kind of size bytes and, at 16 Bit, either
// byte order; and the sizes over 256 that only two bytes hold.
TEST(Display, RawFileReadsBackToItsParts) {
    for (const ColorFormat& format : colorFormats()) {
        for (SizeHeader header : {SizeHeader::Bytes8, SizeHeader::Bytes16, SizeHeader::None}) {
            const ByteOrder order = format.hasByteOrder() && header != SizeHeader::Bytes8 ? ByteOrder::Little : ByteOrder::Big;
            const RawLayout layout{format.depth, order, header};
            for (auto [width, height] : {std::pair{1, 1}, {3, 1}, {2, 2}, {5, 3}, {132, 132}, {300, 2}, {1, 257}}) {
                if (header == SizeHeader::Bytes8 && std::max(width, height) > 256) continue;
                std::vector<std::int32_t> components;
                for (int i = 0; i < 3 * width * height; ++i)
                    components.push_back((i * 37 + i / 3) % 256);
                const auto code = makeImageCode(
                    components, {width, height},
                    {.depth = format.depth, .arrayName = "x", .byteOrder = order, .sizeHeader = header});
                const auto decoded = decodeRawFile(code.rawFile, layout, {width, height});
                const std::string name = std::string(format.name) + " Bit, " + std::string(sizeHeaderName(header)) +
                                         ", " + std::to_string(width) + "x" + std::to_string(height);
                ASSERT_TRUE(decoded) << name;
                EXPECT_EQ(decoded->width, width) << name;
                EXPECT_EQ(decoded->height, height) << name;
                EXPECT_EQ(decoded->parts, code.conversion.parts) << name;
            }
        }
    }
}

TEST(Display, AFileOfTheWrongLengthDoesNotReadBack) {
    const std::vector<std::uint8_t> twoByOne8 = {0x00, 0x01, 0xF0, 0x03};
    EXPECT_TRUE(decodeRawFile(twoByOne8, {.depth = Depth::Bits8}));
    EXPECT_FALSE(decodeRawFile(std::vector<std::uint8_t>{0x00, 0x01, 0xF0}, {.depth = Depth::Bits8}));
    EXPECT_FALSE(decodeRawFile(twoByOne8, {.depth = Depth::Bits16})); // 2 x 1 at 16 Bit needs 4 data bytes
    EXPECT_FALSE(decodeRawFile(std::vector<std::uint8_t>{0x00}, {.depth = Depth::Bits12}));
}

// The preview's rows, read where they lie or from the whole picture, are displayedPicture's.
TEST(Display, RowsAreTheWholePicturesRows) {
    const PictureSize size{5, 3}; // odd: a 12-bit row ends in the middle of a byte
    std::vector<std::int32_t> components;
    for (int i = 0; i < 3 * 15; ++i) components.push_back((i * 97 + 31) % 256);
    const PanelOptions panels[] = {{}, {.invert = true, .bgr = true, .mirror = Mirror::LeftRight}, {.rotation = 90},
                                   {.mirror = Mirror::TopBottom}};
    for (const Depth depth : {Depth::Bits8, Depth::Bits12, Depth::Bits16, Depth::Bits18, Depth::Bits24}) {
        for (const PanelOptions& panel : panels) {
            for (const Storage storage : {Storage{}, Storage{.compression = Compression::Rle}}) {
                const CodeOptions options{.depth = depth, .arrayName = "a", .panel = panel,
                                          .byteOrder = depth == Depth::Bits16 ? ByteOrder::Little : ByteOrder::Big,
                                          .sizeHeader = SizeHeader::None, .storage = storage};
                const ImageCode code = makeImageCode(components, size, options);
                const auto whole = displayedPicture(code.rawFile, options.rawLayout(), panel, code.panelSize);
                ASSERT_TRUE(whole.has_value());
                DisplayedRows rows(code.rawFile, options.rawLayout(), panel, code.panelSize);
                ASSERT_TRUE(rows.readable());
                ASSERT_EQ(rows.size(), (PictureSize{whole->width, whole->height}));
                std::vector<std::uint8_t> read(whole->rgb.size());
                const std::size_t stride = 3 * static_cast<std::size_t>(whole->width);
                for (int y = 0; y < whole->height; ++y) rows.row(y, std::span(read).subspan(static_cast<std::size_t>(y) * stride, stride));
                EXPECT_EQ(read, whole->rgb) << "depth " << static_cast<int>(depth) << ", turned " << panel.rotation;
            }
        }
    }
    const std::vector<std::uint8_t> cut(10, 0);
    EXPECT_FALSE(DisplayedRows(cut, {.depth = Depth::Bits16, .sizeHeader = SizeHeader::None}, {}, size).readable());
}
