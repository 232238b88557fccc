// Palettes, one bit per pixel and compression, checked through the decoder that ships to the firmware:
// whatever the tool stores, quorvane_decode.h must give back the bytes of the plain conversion.

#include "codegen/decoderimage.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "codegen/storage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quorvane::codegen {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
    PictureSize size;
    std::vector<std::int32_t> components;
};

constexpr std::uint32_t kColours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x808080, 0xFFFF00, 0x00FFFF,
                                      0x204060, 0xC08020, 0x406080, 0xE0E0E0, 0x101010, 0xFF8000, 0x8000FF, 0x00FF80};

// A picture of at most `colours` colours: pixel i takes colour pick(i) % colours.
template <typename Pick> Picture picture(int width, int height, int colours, Pick pick) {
    Picture p{{width, height}, std::vector<std::int32_t>(3 * static_cast<std::size_t>(width * height))};
    for (std::size_t i = 0; i < p.components.size(); i += 3) {
        const std::uint32_t c = kColours[static_cast<std::size_t>(pick(static_cast<int>(i / 3)) % colours)];
        p.components[i] = std::int32_t(c >> 16), p.components[i + 1] = std::int32_t(c >> 8 & 0xFF), p.components[i + 2] = std::int32_t(c & 0xFF);
    }
    return p;
}

// One row with runs of exactly 1, 2, 129 and 130 pixels, twice: runs at every unit size and more than one
// LZ4 chunk at the wider depths.
Picture runs(int colours) {
    static const std::vector<int> colourAt = [] {
        std::vector<int> at;
        int colour = 0;
        for (int length : {1, 2, 129, 130, 1}) at.insert(at.end(), static_cast<std::size_t>(length), colour++);
        return at;
    }();
    return picture(static_cast<int>(colourAt.size()), 2, colours, [](int i) { return colourAt[static_cast<std::size_t>(i) % colourAt.size()]; });
}

std::vector<Picture> pictures(int colours) {
    return {picture(1, 1, colours, [](int) { return 1; }), picture(7, 3, colours, [](int i) { return i * 7 / 3; }),
            picture(13, 9, colours, [](int i) { return i * i / 5; }), runs(colours)};
}

// The data bytes that the plain conversion writes after the size bytes.
Bytes plainData(const Picture& p, const CodeOptions& options) {
    CodeOptions plain = options;
    plain.storage = {};
    plain.sizeHeader = SizeHeader::None;
    return makeImageCode(p.components, p.size, plain).rawFile;
}

struct Layout {
    const char* name;
    Depth depth;
    Storage storage;
    ByteOrder order = ByteOrder::Big;
    int colours = 16; // the colours in the test pictures: never more than a palette holds
};

const Layout kLayouts[] = {
    {"8", Depth::Bits8, {}},
    {"12", Depth::Bits12, {}},
    {"16", Depth::Bits16, {}},
    {"16 little", Depth::Bits16, {}, ByteOrder::Little},
    {"18", Depth::Bits18, {}},
    {"24", Depth::Bits24, {}},
    {"palette 2 at 8", Depth::Bits8, {.paletteSize = 2}, ByteOrder::Big, 2},
    {"palette 4 at 12", Depth::Bits12, {.paletteSize = 4}, ByteOrder::Big, 4},
    {"palette 16 at 16", Depth::Bits16, {.paletteSize = 16}},
    {"palette 16 at 16 little", Depth::Bits16, {.paletteSize = 16}, ByteOrder::Little},
    {"palette 256 at 18", Depth::Bits18, {.paletteSize = 256}},
    {"palette 4 at 24", Depth::Bits24, {.paletteSize = 4}, ByteOrder::Big, 4},
    {"palette 2 at 12", Depth::Bits12, {.paletteSize = 2}, ByteOrder::Big, 2},
    {"mono rows", Depth::Bits8, {.mono = true}},
    {"mono rows-lsb", Depth::Bits8, {.mono = true, .monoLayout = MonoLayout::RowsLsb}},
    {"mono pages", Depth::Bits8, {.mono = true, .monoLayout = MonoLayout::Pages}},
};

// Every layout, every compression, odd sizes, runs of 1, 2, 129 and 130, and buffers of 1, 3 and 4,096
// bytes: the decoder gives the plain conversion's bytes (the mono bytes for mono), and nothing else.
TEST(Storage, DecoderGivesThePlainConversionBack) {
    for (const Layout& layout : kLayouts) {
        for (const Compression compression : {Compression::None, Compression::Rle, Compression::Lz4, Compression::Auto}) {
            CodeOptions options{.depth = layout.depth, .byteOrder = layout.order, .sizeHeader = SizeHeader::Bytes16};
            options.storage = layout.storage;
            options.storage.compression = compression;
            if (options.storage.plain()) continue;
            for (const Picture& p : pictures(layout.colours)) {
                const std::string what = std::string(layout.name) + " " + std::string(compressionName(compression)) + " " +
                                         std::to_string(p.size.width) + "x" + std::to_string(p.size.height);
                const ImageCode code = makeImageCode(p.components, p.size, options);
                const Bytes expected = layout.storage.mono
                                           ? monoBytes(monoBits(p.components, p.size, Dither::None), p.size, layout.storage.monoLayout)
                                           : plainData(p, options);
                const DecoderImage image = decoderImage(options.rawLayout(), p.size, code.rawFile.size());
                for (const std::size_t step : {1u, 3u, 4096u}) {
                    const DecodedStream decoded = decodeStored(code.rawFile, image, step);
                    EXPECT_FALSE(decoded.failed) << what << " step " << step;
                    ASSERT_EQ(decoded.bytes, expected) << what << " step " << step;
                }
                // What the value line holds is the file and its closing 0, one longer declared.
                EXPECT_EQ(code.declaredCount(), code.rawFile.size() + 2) << what;
                if (compression == Compression::Auto) {
                    const std::size_t stored = makeImageCode(p.components, p.size, [&] {
                        CodeOptions s = options;
                        s.storage.compression = Compression::None;
                        return s;
                    }()).rawFile.size();
                    EXPECT_LE(code.rawFile.size(), stored + 1) << what << ": auto is never larger than stored";
                }
            }
        }
    }
}

// Values worked by hand: a 3 x 2 picture of red, green and blue in a palette of 4.
TEST(Storage, PaletteBytesWorkedByHand) {
    const Picture p = picture(3, 2, 3, [](int i) { return std::vector{0, 1, 2, 2, 2, 0}[static_cast<std::size_t>(i)]; });
    const struct {
        Depth depth;
        ByteOrder order;
        Bytes palette; // red, green, blue, then an unused zero entry
    } cases[] = {
        {Depth::Bits8, ByteOrder::Big, {0xE0, 0x1C, 0x03, 0}},
        {Depth::Bits12, ByteOrder::Big, {0x0F, 0x00, 0x00, 0xF0, 0x00, 0x0F, 0, 0}},
        {Depth::Bits16, ByteOrder::Big, {0xF8, 0x00, 0x07, 0xE0, 0x00, 0x1F, 0, 0}},
        {Depth::Bits16, ByteOrder::Little, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0}},
        {Depth::Bits18, ByteOrder::Big, {0xFC, 0, 0, 0, 0xFC, 0, 0, 0, 0xFC, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        CodeOptions options{.depth = c.depth, .byteOrder = c.order};
        options.storage.paletteSize = 4;
        const ImageCode code = makeImageCode(p.components, p.size, options);
        Bytes expected = {1, 2};
        expected.insert(expected.end(), c.palette.begin(), c.palette.end());
        // Indices 0 1 2 | 2 2 0, two bits each, every row on a fresh byte.
        expected.insert(expected.end(), {0b00'01'10'00, 0b10'10'00'00});
        EXPECT_EQ(code.rawFile, expected) << depthName(c.depth);
        EXPECT_EQ(code.text.valueLine.substr(0, 4), "1,2,") << depthName(c.depth);
    }
}

// More colours than the palette holds: libimagequant's choice, moved onto colours the panel shows; the
// same picture gives the same bytes; the panel's view shows nothing but the palette's colours.
TEST(Storage, QuantisedPaletteIsExactAtTheDepthAndRepeatable) {
    std::mt19937 random(7);
    Picture p{{24, 20}, {}};
    for (int i = 0; i < 24 * 20 * 3; ++i) p.components.push_back(static_cast<std::int32_t>(random() % 256));
    for (const int colours : {2, 16, 256}) {
        for (const Dither dither : {Dither::None, Dither::ErrorDiffusion}) {
            CodeOptions options{.depth = Depth::Bits16, .dither = dither};
            options.storage.paletteSize = colours;
            const ImageCode code = makeImageCode(p.components, p.size, options);
            EXPECT_EQ(makeImageCode(p.components, p.size, options).rawFile, code.rawFile) << colours;
            const auto shown = displayedPicture(code.rawFile, options.rawLayout());
            ASSERT_TRUE(shown) << colours;
            std::set<std::uint32_t> seen;
            for (std::size_t i = 0; i < shown->rgb.size(); i += 3) seen.insert(std::uint32_t(shown->rgb[i]) << 16 | shown->rgb[i + 1] << 8 | shown->rgb[i + 2]);
            EXPECT_LE(seen.size(), static_cast<std::size_t>(colours));
            EXPECT_GE(seen.size(), colours == 2 ? 2u : 8u) << "a noise picture uses most of its palette";
            // Entries past the ones used are zero.
            const std::size_t entries = 2 * static_cast<std::size_t>(colours);
            EXPECT_TRUE(std::all_of(code.rawFile.begin() + 2 + 2 * static_cast<std::ptrdiff_t>(seen.size()),
                                    code.rawFile.begin() + 2 + static_cast<std::ptrdiff_t>(entries), [](std::uint8_t b) { return b == 0; }));
        }
    }
}

// Lit pixels and layouts worked by hand: 9 x 10, so the rows take two bytes and the last page two rows.
TEST(Storage, MonoLayoutsWorkedByHand) {
    Picture p{{9, 10}, std::vector<std::int32_t>(9 * 10 * 3, 0)};
    const auto set = [&](int x, int y, std::int32_t r, std::int32_t g, std::int32_t b) {
        const std::size_t at = 3 * static_cast<std::size_t>(y * 9 + x);
        p.components[at] = r, p.components[at + 1] = g, p.components[at + 2] = b;
    };
    set(0, 0, 255, 255, 255);
    set(8, 0, 252, 46, 225); // 299 r + 587 g + 114 b = 128,000 exactly: lit
    set(1, 1, 255, 255, 255);
    set(2, 9, 255, 255, 255);
    set(5, 5, 252, 46, 224); // one short of the threshold: unlit
    const auto sparse = [](std::size_t size, std::initializer_list<std::pair<std::size_t, std::uint8_t>> values) {
        Bytes bytes(size);
        for (const auto& [at, value] : values) bytes[at] = value;
        return bytes;
    };
    const struct {
        MonoLayout layout;
        Bytes data;
    } cases[] = {
        {MonoLayout::Rows, sparse(20, {{0, 0x80}, {1, 0x80}, {2, 0x40}, {18, 0x20}})},
        {MonoLayout::RowsLsb, sparse(20, {{0, 0x01}, {1, 0x01}, {2, 0x02}, {18, 0x04}})},
        {MonoLayout::Pages, sparse(18, {{0, 0x01}, {1, 0x02}, {8, 0x01}, {9 + 2, 0x02}})},
    };
    for (const auto& c : cases) {
        CodeOptions options{.sizeHeader = SizeHeader::Bytes8};
        options.storage = {.mono = true, .monoLayout = c.layout};
        const ImageCode code = makeImageCode(p.components, p.size, options);
        Bytes expected = {9, 8}; // the picture's own size - 1, not rounded to whole bytes or pages
        expected.insert(expected.end(), c.data.begin(), c.data.end());
        EXPECT_EQ(code.rawFile, expected) << monoLayoutName(c.layout);
        const auto shown = displayedPicture(code.rawFile, options.rawLayout());
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->rgb[3 * 8], 255) << "lit is white";
        EXPECT_EQ(shown->rgb[3 * (5 * 9 + 5)], 0) << "unlit is black";
    }
}

// A 50 % grey dithered to one bit: about half the pixels lit, both ways, and never all in one block.
TEST(Storage, MonoDitheringKeepsTheGrey) {
    Picture p{{16, 16}, std::vector<std::int32_t>(16 * 16 * 3, 128)};
    for (const Dither dither : {Dither::Ordered, Dither::ErrorDiffusion}) {
        const Bytes bits = monoBits(p.components, p.size, dither);
        const auto lit = std::count(bits.begin(), bits.end(), 1);
        EXPECT_NEAR(static_cast<double>(lit), 128.0, 8.0) << ditherName(dither);
        EXPECT_NE(bits[0], bits[1]) << ditherName(dither) << ": neighbours differ";
    }
    const Bytes plain = monoBits(p.components, p.size, Dither::None);
    EXPECT_EQ(std::count(plain.begin(), plain.end(), 1), 256) << "128 is exactly the threshold: lit";
}

// The run-length code's promises: one colour takes a control byte and a unit per 129 units; nothing is
// ever longer than the data and a byte per 128 units.
TEST(Storage, RunLengthBounds) {
    std::mt19937 random(3);
    for (const int unit : {1, 2, 3}) {
        for (const std::size_t units : {1u, 128u, 129u, 130u, 258u, 1000u}) {
            const Bytes flat(units * static_cast<std::size_t>(unit), 0x5A);
            EXPECT_EQ(rleEncode(flat, unit).size(), (units + 128) / 129 * static_cast<std::size_t>(1 + unit)) << unit << " " << units;
            Bytes mixed(units * static_cast<std::size_t>(unit));
            for (auto& b : mixed) b = static_cast<std::uint8_t>(random() % 3); // short runs, often of 2
            EXPECT_LE(rleEncode(mixed, unit).size(), mixed.size() + (units + 127) / 128) << unit << " " << units;
        }
    }
}

// Damaged arrays end in a failure, not in bytes read from outside them.
TEST(Storage, DamagedStreamsFail) {
    const Picture p = runs(4);
    for (const Compression compression : {Compression::Rle, Compression::Lz4}) {
        CodeOptions options{.depth = Depth::Bits16, .sizeHeader = SizeHeader::None};
        options.storage.compression = compression;
        const ImageCode code = makeImageCode(p.components, p.size, options);
        const DecoderImage whole = decoderImage(options.rawLayout(), p.size, code.rawFile.size());
        DecoderImage cut = whole;
        cut.size -= 3;
        EXPECT_TRUE(decodeStored(code.rawFile, cut).failed) << compressionName(compression);
        Bytes wrongMethod = code.rawFile;
        wrongMethod[0] = 7;
        EXPECT_TRUE(decodeStored(wrongMethod, whole).failed) << compressionName(compression);
    }
}

} // namespace
} // namespace quorvane::codegen
