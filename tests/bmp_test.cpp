#include "capture/bmp.h"
#include "capture/capture.h"
#include "support/bmpwriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

using namespace quorvane::capture;
using namespace bmptest;

namespace {

constexpr Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255}, black{0, 0, 0},
    odd{18, 52, 86};

// The test picture: 3 x 2, so 24-bit rows need padding. Top row red, green, blue; bottom white, black, odd.
const std::vector<std::uint32_t> sixColours = {colorValue(red),   colorValue(green), colorValue(blue),
                                               colorValue(white), colorValue(black), colorValue(odd)};

std::vector<std::uint8_t> bgr(Rgb c) { return {c.b, c.g, c.r}; }
std::vector<std::uint8_t> bgrx(Rgb c, std::uint8_t x) { return {c.b, c.g, c.r, x}; }
std::vector<std::uint8_t> join(std::initializer_list<std::vector<std::uint8_t>> parts) {
    std::vector<std::uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
std::vector<std::uint8_t> le16(std::uint32_t v) { return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}; }
std::vector<std::uint8_t> le32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

const auto rows24 = std::vector<std::vector<std::uint8_t>>{join({bgr(red), bgr(green), bgr(blue)}),
                                                           join({bgr(white), bgr(black), bgr(odd)})};
const std::vector<Rgb> sixPalette = {red, green, blue, white, black, odd};

struct EncodingCase {
    std::string name;
    std::vector<std::uint8_t> file;
    int width, height;
    std::vector<std::uint32_t> pixels;
    bool imageMagickReadsIt = true;
};

std::vector<EncodingCase> encodingCases() {
    std::vector<EncodingCase> cases;
    auto add = [&](std::string name, Layout layout, std::vector<std::uint32_t> pixels = sixColours) {
        // ImageMagick 6 cannot read the 16-byte OS/2 header, nor a short palette that only the pixel
        // offset declares, and it reads the 4-byte palette entries of OS/2 2.x as 3-byte ones. Those cases
        // are checked against the known pixels alone.
        const bool os2Palette = layout.infoSize == 64 && layout.bitCount <= 8;
        const bool offsetPalette = layout.bitCount <= 8 && layout.colorsUsed == 0 &&
                                   layout.palette.size() < (1u << layout.bitCount);
        const bool readable = layout.infoSize != 16 && !os2Palette && !offsetPalette;
        cases.push_back({name, buildBmp(layout), layout.width, std::abs(layout.height), std::move(pixels), readable});
    };
    for (std::uint32_t infoSize : {40u, 52u, 56u, 108u, 124u, 64u, 16u}) {
        add("24-bit, header " + std::to_string(infoSize), {.infoSize = infoSize, .width = 3, .height = 2, .bitCount = 24, .pixelData = packRows(rows24)});
    }
    add("24-bit top-down", {.width = 3, .height = -2, .bitCount = 24, .pixelData = packRows(rows24, true)});

    add("32-bit default masks, alpha byte ignored",
        {.width = 3, .height = 2, .bitCount = 32,
         .pixelData = packRows({join({bgrx(red, 0x12), bgrx(green, 0), bgrx(blue, 0xFF)}),
                                join({bgrx(white, 0x80), bgrx(black, 0x7F), bgrx(odd, 1)})})});
    {
        // R G B A from the most significant byte down.
        auto rgba = [](Rgb c) { return le32((std::uint32_t{c.r} << 24) | (c.g << 16) | (c.b << 8) | 0x55); };
        const auto data = packRows({join({rgba(red), rgba(green), rgba(blue)}), join({rgba(white), rgba(black), rgba(odd)})});
        const std::vector<std::uint32_t> masks = {0xFF000000, 0x00FF0000, 0x0000FF00};
        add("32-bit bit fields after a 40-byte header",
            {.width = 3, .height = 2, .bitCount = 32, .compression = 3, .masks = masks, .pixelData = data});
        add("32-bit bit fields inside a 124-byte header",
            {.infoSize = 124, .width = 3, .height = 2, .bitCount = 32, .compression = 3, .masks = masks, .pixelData = data});
    }
    {
        // 5-bit values 31, 4, 0, 16 expand to 255, 33, 0, 132 by bit replication.
        auto p555 = [](int r, int g, int b) { return le16(static_cast<std::uint32_t>((r << 10) | (g << 5) | b)); };
        add("16-bit 5-5-5 by default",
            {.width = 3, .height = 2, .bitCount = 16,
             .pixelData = packRows({join({p555(31, 31, 31), p555(4, 0, 16), p555(0, 0, 31)}),
                                    join({p555(1, 2, 3), p555(0, 0, 0), p555(30, 29, 28)})})},
            {0xFFFFFF, 0x840021, 0xFF0000, 0x181008, 0, 0xE7EFF7});
        // 6-bit green 63 gives 255 and 32 gives 130; white stays white.
        auto p565 = [](int r, int g, int b) { return le16(static_cast<std::uint32_t>((r << 11) | (g << 5) | b)); };
        const auto data = packRows({join({p565(31, 63, 31), p565(31, 0, 0), p565(0, 32, 0)}),
                                    join({p565(0, 1, 0), p565(0, 0, 31), p565(4, 4, 4)})});
        const std::vector<std::uint32_t> pixels = {0xFFFFFF, 0x0000FF, 0x008200, 0x000400, 0xFF0000, 0x211021};
        const std::vector<std::uint32_t> masks = {0xF800, 0x07E0, 0x001F};
        add("16-bit 5-6-5 bit fields after a 40-byte header",
            {.width = 3, .height = 2, .bitCount = 16, .compression = 3, .masks = masks, .pixelData = data}, pixels);
        add("16-bit 5-6-5 bit fields inside a 108-byte header",
            {.infoSize = 108, .width = 3, .height = 2, .bitCount = 16, .compression = 3, .masks = masks,
             .pixelData = data}, pixels);
        add("16-bit 5-6-5 bit fields inside a 56-byte header",
            {.infoSize = 56, .width = 3, .height = 2, .bitCount = 16, .compression = 3, .masks = masks,
             .pixelData = data}, pixels);
    }
    const auto indexRows8 = packRows({{0, 1, 2}, {3, 4, 5}});
    add("8-bit short palette given by the pixel offset alone",
        {.width = 3, .height = 2, .bitCount = 8, .palette = sixPalette, .pixelData = indexRows8});
    add("8-bit short palette (colours used)",
        {.width = 3, .height = 2, .bitCount = 8, .colorsUsed = 6, .palette = sixPalette, .pixelData = indexRows8});
    add("8-bit palette, 64-byte OS/2 header",
        {.infoSize = 64, .width = 3, .height = 2, .bitCount = 8, .colorsUsed = 6, .palette = sixPalette,
         .pixelData = indexRows8});
    {
        std::vector<Rgb> full(256, black);
        std::copy(sixPalette.begin(), sixPalette.end(), full.begin());
        add("8-bit palette, 12-byte OS/2 header with 3-byte entries",
            {.infoSize = 12, .width = 3, .height = 2, .bitCount = 8, .palette = full, .pixelData = indexRows8});
        add("8-bit full palette", {.width = 3, .height = 2, .bitCount = 8, .palette = full, .pixelData = indexRows8});
    }
    add("4-bit palette", {.width = 3, .height = 2, .bitCount = 4, .colorsUsed = 6, .palette = sixPalette,
                          .pixelData = packRows({{0x01, 0x20}, {0x34, 0x50}})});
    add("1-bit palette", {.width = 3, .height = 2, .bitCount = 1, .palette = {black, white},
                          .pixelData = packRows({{0b10100000}, {0b01000000}})},
        {0xFFFFFF, 0, 0xFFFFFF, 0, 0xFFFFFF, 0});
    // RLE rows run bottom-up: the bottom row is an absolute run (padded to an even length), then end of
    // line, then the top row as two encoded runs, then end of bitmap.
    add("RLE8 with runs, absolute run, end of line and end of bitmap",
        {.width = 3, .height = 2, .bitCount = 8, .compression = 1, .colorsUsed = 6, .palette = sixPalette,
         .pixelData = {0x00, 0x03, 3, 4, 5, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x01, 0x00, 0x01}},
        {colorValue(red), colorValue(green), colorValue(green), colorValue(white), colorValue(black), colorValue(odd)});
    add("RLE8 delta skips pixels, which keep palette entry 0",
        {.width = 3, .height = 2, .bitCount = 8, .compression = 1, .colorsUsed = 6, .palette = sixPalette,
         .pixelData = {0x00, 0x02, 0x02, 0x01, 0x01, 0x05, 0x00, 0x01}},
        {colorValue(red), colorValue(red), colorValue(odd), colorValue(red), colorValue(red), colorValue(red)});
    add("RLE4 with runs, absolute run and end of bitmap",
        {.width = 3, .height = 2, .bitCount = 4, .compression = 2, .colorsUsed = 6, .palette = sixPalette,
         .pixelData = {0x00, 0x03, 0x34, 0x50, 0x00, 0x00, 0x03, 0x01, 0x00, 0x01}},
        {colorValue(red), colorValue(green), colorValue(red), colorValue(white), colorValue(black), colorValue(odd)});
    return cases;
}

std::vector<std::uint32_t> decodeOk(const std::vector<std::uint8_t>& file, const char* name) {
    auto result = decodeBmp(file);
    if (auto* error = std::get_if<DecodeError>(&result)) {
        ADD_FAILURE() << name << ": " << error->reason;
        return {};
    }
    return std::get<Picture>(result).pixels;
}

std::string decodeError(const std::vector<std::uint8_t>& file) {
    auto result = decodeBmp(file);
    if (auto* error = std::get_if<DecodeError>(&result)) return error->reason;
    return "(decoded without error)";
}

bool imageMagickInstalled() {
    // A stand-in convert may be on the PATH; only ImageMagick's own binary counts as an oracle.
    FILE* pipe = ::popen("/usr/bin/convert -version 2>/dev/null", "r");
    if (!pipe) return false;
    char line[256] = {};
    const bool found = std::fgets(line, sizeof line, pipe) && std::string(line).find("ImageMagick") != std::string::npos;
    ::pclose(pipe);
    return found;
}

} // namespace

TEST(BmpDecoder, EveryEncodingGivesTheKnownPixels) {
    for (const auto& c : encodingCases()) {
        auto result = decodeBmp(c.file);
        ASSERT_TRUE(std::holds_alternative<Picture>(result)) << c.name << ": " << std::get<DecodeError>(result).reason;
        const auto& picture = std::get<Picture>(result);
        EXPECT_EQ(picture.width, c.width) << c.name;
        EXPECT_EQ(picture.height, c.height) << c.name;
        EXPECT_EQ(picture.pixels, c.pixels) << c.name;
        const auto size = readBmpSize(c.file);
        ASSERT_TRUE(std::holds_alternative<BmpSize>(size)) << c.name;
        EXPECT_EQ(std::get<BmpSize>(size).height, c.height) << c.name;
    }
}

TEST(BmpDecoder, AgreesWithImageMagick) {
    if (!imageMagickInstalled()) GTEST_SKIP() << "ImageMagick is not installed";
    const auto file = std::filesystem::temp_directory_path() / ("quorvane-im-" + std::to_string(::getpid()) + ".bmp");
    for (const auto& c : encodingCases()) {
        if (!c.imageMagickReadsIt) continue;
        writeFile(file, c.file);
        FILE* pipe = ::popen(("/usr/bin/convert '" + file.string() + "' -depth 8 rgb:- 2>/dev/null").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::vector<std::uint32_t> theirs;
        int r = 0, g = 0, b = 0;
        while ((r = std::fgetc(pipe)) != EOF && (g = std::fgetc(pipe)) != EOF && (b = std::fgetc(pipe)) != EOF) {
            theirs.push_back(static_cast<std::uint32_t>(r | (g << 8) | (b << 16)));
        }
        ::pclose(pipe);
        EXPECT_EQ(theirs, c.pixels) << c.name;
    }
    std::filesystem::remove(file);
}

TEST(BmpDecoder, RoundTripOfTwentyFourBitFiles) {
    std::mt19937 random(132);
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {3, 1}, {5, 7}, {132, 132}, {131, 1}}) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h));
        for (auto& p : pixels) p = random() & 0xFFFFFF;
        auto result = decodeBmp(bmp24(w, h, pixels));
        ASSERT_TRUE(std::holds_alternative<Picture>(result)) << w << "x" << h;
        EXPECT_EQ(std::get<Picture>(result).pixels, pixels) << w << "x" << h;
    }
}

TEST(BmpDecoder, AcceptsALastRowWithoutItsPadding) {
    auto file = buildBmp({.width = 3, .height = 2, .bitCount = 24, .pixelData = packRows(rows24)});
    file.resize(file.size() - 3); // 9 pixel bytes, 3 padding bytes in the last (top) row
    EXPECT_EQ(decodeOk(file, "unpadded"), sixColours);
}

TEST(BmpDecoder, RefusesDamagedFilesWithTheReason) {
    const Layout good{.width = 3, .height = 2, .bitCount = 24, .pixelData = packRows(rows24)};
    auto with = [&](auto change) {
        Layout l = good;
        change(l);
        return buildBmp(l);
    };
    auto patched = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        auto file = buildBmp(good);
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
        return file;
    };
    auto cut = [&](std::size_t length) {
        auto file = buildBmp(good);
        file.resize(length);
        return file;
    };
    const std::vector<Rgb> two = {red, green};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "no \"BM\" signature"},
        {"PNG signature", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, "no \"BM\" signature"},
        {"only the signature", {'B', 'M'}, "truncated"},
        {"unknown header size", patched(14, {41, 0, 0, 0}), "header size 41"},
        {"header cut short", cut(30), "truncated"},
        {"width zero", with([](Layout& l) { l.width = 0; }), "width is zero"},
        {"height zero", with([](Layout& l) { l.height = 0; }), "height is zero"},
        {"width negative", with([](Layout& l) { l.width = -3; }), "width is negative"},
        {"bit count 2", with([](Layout& l) { l.bitCount = 2; }), "bit count 2"},
        {"JPEG compression", with([](Layout& l) { l.compression = 4; }), "compression 4 (JPEG)"},
        {"RLE8 at 24 bits", with([](Layout& l) { l.compression = 1; }), "compression 1"},
        {"pixels start past the end", with([](Layout& l) { l.pixelOffset = 5000; }), "starts beyond the end"},
        {"pixels start inside the header", with([](Layout& l) { l.pixelOffset = 20; }), "inside its headers"},
        {"rows missing", cut(54 + 12 + 5), "the file is truncated"},
        {"no pixel data at all", cut(54), "the file is truncated"},
        {"palette index past the palette",
         buildBmp({.width = 3, .height = 2, .bitCount = 8, .colorsUsed = 2, .palette = two,
                   .pixelData = packRows({{0, 1, 5}, {0, 0, 0}})}),
         "palette index 5, past its palette of 2 colours"},
        {"palette cut short",
         [] { auto f = buildBmp({.width = 1, .height = 1, .bitCount = 8, .palette = std::vector<Rgb>(256, red),
                                 .pixelData = {0, 0, 0, 0}});
              f.resize(200);
              return f; }(),
         "truncated"},
        {"non-contiguous mask",
         with([](Layout& l) { l.bitCount = 16; l.compression = 3; l.masks = {0xF00F, 0x07E0, 0x001F};
                              l.pixelData = packRows({{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}); }),
         "not contiguous"},
        {"RLE rows past the top",
         buildBmp({.width = 3, .height = 2, .bitCount = 8, .compression = 1, .palette = two,
                   .pixelData = {0, 0, 0, 0, 1, 0, 0, 1}}),
         "RLE run leaves the picture"},
        {"RLE delta past the top",
         buildBmp({.width = 3, .height = 2, .bitCount = 8, .compression = 1, .palette = two,
                   .pixelData = {0, 2, 0, 5, 0, 1}}),
         "RLE delta leaves the picture"},
        {"RLE without end of bitmap",
         buildBmp({.width = 3, .height = 2, .bitCount = 8, .compression = 1, .palette = two, .pixelData = {3, 1}}),
         "truncated"},
        {"RLE top-down",
         buildBmp({.width = 3, .height = -2, .bitCount = 8, .compression = 1, .palette = two, .pixelData = {0, 1}}),
         "top-down"},
        {"RLE index past the palette",
         buildBmp({.width = 3, .height = 2, .bitCount = 8, .compression = 1, .palette = two,
                   .pixelData = {3, 9, 0, 1}}),
         "palette index 9"},
    };
    for (const auto& c : cases) {
        const std::string reason = decodeError(c.file);
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.name << ": got \"" << reason << '"';
    }
}

// A header that claims 100000 x 100000 must be refused from its headers, before any pixel memory exists.
TEST(BmpDecoder, AbsurdDeclaredSizesCostNothing) {
    const auto huge24 = buildBmp({.width = 100000, .height = 100000, .bitCount = 24, .pixelData = {0, 0, 0, 0}});
    EXPECT_NE(decodeError(huge24).find("truncated"), std::string::npos);
    const auto hugeRle = buildBmp({.width = 100000, .height = 100000, .bitCount = 8, .compression = 1,
                                   .palette = {red}, .pixelData = {0, 1}});
    EXPECT_NE(decodeError(hugeRle).find("too large to decode"), std::string::npos);
    const auto size = readBmpSize(huge24);
    ASSERT_TRUE(std::holds_alternative<BmpSize>(size));
    EXPECT_EQ(std::get<BmpSize>(size).width, 100000);
}

TEST(BmpDecoder, DecodesSizesBeyondTheDisplay) {
    const std::vector<std::uint32_t> pixels(200 * 150, 0x123456);
    auto result = decodeBmp(bmp24(200, 150, pixels));
    ASSERT_TRUE(std::holds_alternative<Picture>(result));
    EXPECT_EQ(std::get<Picture>(result).width, 200);
    EXPECT_EQ(std::get<Picture>(result).pixel(199, 149), 0x123456u);
}

// An alpha mask in the header (BITFIELDS or ALPHABITFIELDS) makes the file transparent, laid over the
// background like PNG alpha; without one, whatever the fourth byte holds, the file stays opaque. The
// pictures are red at alpha 128, then blue at alpha 0; over white that is (255, 127, 127) and white.
TEST(BmpDecoder, AnAlphaMaskMakesTheFileTransparent) {
    const std::uint32_t halfRedOverWhite = 0x7F7FFF, white32 = 0xFFFFFF;
    const auto argb = [](std::uint32_t a, Rgb c) { return le32(a << 24 | std::uint32_t{c.r} << 16 | c.g << 8 | c.b); };
    const auto pixels32 = packRows({join({argb(128, red), argb(0, blue)})});
    const std::vector<std::uint32_t> rgba = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    // 1-5-5-5: the top bit is alpha, so red 0x7C00 is transparent and 0xFC00 opaque.
    const auto pixels16 = packRows({join({le16(0xFC00), le16(0x7C00)})});
    struct Case {
        const char* name;
        Layout layout;
        std::vector<std::uint32_t> shown;
    };
    const Case cases[] = {
        {"V5 header, bit fields with alpha", {.infoSize = 124, .width = 2, .bitCount = 32, .compression = 3, .masks = rgba, .pixelData = pixels32},
         {halfRedOverWhite, white32}},
        {"ALPHABITFIELDS after a 40-byte header", {.width = 2, .bitCount = 32, .compression = 6, .masks = rgba, .pixelData = pixels32},
         {halfRedOverWhite, white32}},
        {"V4 header, 16-bit with one alpha bit", {.infoSize = 108, .width = 2, .bitCount = 16, .compression = 3,
                                                  .masks = {0x7C00, 0x03E0, 0x001F, 0x8000}, .pixelData = pixels16},
         {0x0000FF, white32}},
        {"V5 header, bit fields without alpha", {.infoSize = 124, .width = 2, .bitCount = 32, .compression = 3,
                                                 .masks = {0x00FF0000, 0x0000FF00, 0x000000FF}, .pixelData = pixels32},
         {0x0000FF, 0xFF0000}},
        {"BI_RGB, V5 header with an alpha mask", {.infoSize = 124, .width = 2, .bitCount = 32, .masks = rgba, .pixelData = pixels32},
         {0x0000FF, 0xFF0000}},
    };
    for (const auto& c : cases) {
        auto loaded = pictureFromBytes(buildBmp(c.layout), "alpha.bmp");
        ASSERT_TRUE(std::holds_alternative<Picture>(loaded)) << c.name << ": " << std::get<LoadError>(loaded).message;
        EXPECT_EQ(std::get<Picture>(loaded).pixels, c.shown) << c.name;
    }
}
