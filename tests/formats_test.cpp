// PNG, JPEG and GIF through the one loader: pixels known by construction, transparency over a background,
// and pictures larger than the panel fitted to it.
#include "capture/capture.h"
#include "capture/fit.h"
#include "capture/formats.h"
#include "support/bmpwriter.h"
#include "support/imagewriters.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace quorvane::capture;

namespace {

Picture decoded(const std::vector<std::uint8_t>& file, const std::string& name) {
    auto result = decodePicture(file, std::uint64_t{1} << 24);
    if (const auto* error = std::get_if<DecodeError>(&result)) {
        ADD_FAILURE() << name << ": " << error->reason;
        return {};
    }
    return std::get<Picture>(std::move(result));
}

std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return colorValue(r, g, b); }
std::uint32_t grey(std::uint32_t v) { return rgb(v, v, v); }

} // namespace

TEST(Png, EveryColourTypeAndDepth) {
    struct Case {
        const char* name;
        imagetest::PngLayout layout;
        std::vector<std::uint32_t> pixels;
        std::vector<std::uint8_t> alpha; // empty: opaque
    };
    const std::vector<png_color> four = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 8, 7}};
    const Case cases[] = {
        // Two pixels each; low-bit grey is widened by replication: 2 bits 01 is 85, 4 bits 0111 is 119.
        {"grey 1", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 1, .rows = {{0b1000'0000}}}, {grey(255), grey(0)}, {}},
        {"grey 2", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 2, .rows = {{0b1101'0000}}}, {grey(255), grey(85)}, {}},
        {"grey 4", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 4, .rows = {{0xF7}}}, {grey(255), grey(119)}, {}},
        {"grey 8", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 8, .rows = {{200, 13}}}, {grey(200), grey(13)}, {}},
        // 16 bits: round(v * 255 / 65535); 32768 is 127.502 -> 128, 257 is exactly 1.
        {"grey 16", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .bitDepth = 16, .rows = {{0x80, 0x00, 0x01, 0x01}}},
         {grey(128), grey(1)}, {}},
        {"RGB 8", {.width = 2, .rows = {{1, 2, 3, 250, 251, 252}}}, {rgb(1, 2, 3), rgb(250, 251, 252)}, {}},
        {"RGB 16", {.width = 1, .bitDepth = 16, .rows = {{0xFF, 0xFF, 0x00, 0x80, 0x01, 0x01}}}, {rgb(255, 0, 1)}, {}},
        {"palette 1", {.width = 2, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 1, .rows = {{0b0100'0000}}, .palette = {four[0], four[1]}},
         {rgb(255, 0, 0), rgb(0, 255, 0)}, {}},
        {"palette 2", {.width = 2, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 2, .rows = {{0b1011'0000}}, .palette = four},
         {rgb(0, 0, 255), rgb(9, 8, 7)}, {}},
        {"palette 4", {.width = 2, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 4, .rows = {{0x31}}, .palette = four},
         {rgb(9, 8, 7), rgb(0, 255, 0)}, {}},
        {"palette 8 with tRNS", {.width = 2, .colorType = PNG_COLOR_TYPE_PALETTE, .bitDepth = 8, .rows = {{0, 2}}, .palette = four,
                                 .paletteAlpha = {0, 200}},
         {rgb(255, 0, 0), rgb(0, 0, 255)}, {0, 255}},
        {"grey + alpha 8", {.width = 1, .colorType = PNG_COLOR_TYPE_GRAY_ALPHA, .bitDepth = 8, .rows = {{100, 128}}}, {grey(100)}, {128}},
        {"grey + alpha 16", {.width = 1, .colorType = PNG_COLOR_TYPE_GRAY_ALPHA, .bitDepth = 16, .rows = {{0x64, 0x64, 0x80, 0x80}}},
         {grey(100)}, {128}},
        {"RGBA 8", {.width = 1, .colorType = PNG_COLOR_TYPE_RGBA, .rows = {{10, 20, 30, 40}}}, {rgb(10, 20, 30)}, {40}},
        {"RGBA 16", {.width = 1, .colorType = PNG_COLOR_TYPE_RGBA, .bitDepth = 16, .rows = {{0, 0, 0xFF, 0xFF, 0x01, 0x01, 0, 0}}},
         {rgb(0, 255, 1)}, {0}},
        {"grey 8 with a transparent value", {.width = 2, .colorType = PNG_COLOR_TYPE_GRAY, .rows = {{7, 8}},
                                             .transparentColour = png_color_16{0, 0, 0, 0, 7}},
         {grey(7), grey(8)}, {0, 255}},
    };
    for (const auto& c : cases) {
        const Picture picture = decoded(imagetest::png(c.layout), c.name);
        EXPECT_EQ(picture.width, static_cast<int>(c.layout.width)) << c.name;
        EXPECT_EQ(picture.pixels, c.pixels) << c.name;
        EXPECT_EQ(picture.alpha, c.alpha) << c.name;
    }
}

TEST(Png, InterlacedReadsLikeStraight) {
    imagetest::PngLayout layout{.width = 9, .height = 9};
    for (std::uint32_t y = 0; y < 9; ++y) {
        std::vector<std::uint8_t> row;
        for (std::uint32_t x = 0; x < 9; ++x) row.insert(row.end(), {static_cast<std::uint8_t>(x * 28), static_cast<std::uint8_t>(y * 28), 77});
        layout.rows.push_back(row);
    }
    const Picture straight = decoded(imagetest::png(layout), "straight");
    layout.interlaced = true;
    const Picture interlaced = decoded(imagetest::png(layout), "interlaced");
    EXPECT_EQ(interlaced.pixels, straight.pixels);
    EXPECT_EQ(straight.pixel(8, 3), rgb(224, 84, 77));
}

// At quality 100 a flat area comes back within a step or two of what was written.
TEST(Jpeg, BaselineProgressiveAndGrey) {
    std::vector<std::uint8_t> colour, greySamples(16 * 8, 90);
    for (int i = 0; i < 16 * 8; ++i) colour.insert(colour.end(), {200, 40, 120});
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
        std::uint32_t expected;
    } cases[] = {
        {"baseline", imagetest::jpeg(16, 8, colour, 3), rgb(200, 40, 120)},
        {"progressive", imagetest::jpeg(16, 8, colour, 3, true), rgb(200, 40, 120)},
        {"greyscale", imagetest::jpeg(16, 8, greySamples, 1), grey(90)},
    };
    for (const auto& c : cases) {
        const Picture picture = decoded(c.file, c.name);
        ASSERT_EQ(picture.pixels.size(), 128u) << c.name;
        for (int shift : {0, 8, 16}) {
            const int got = static_cast<int>((picture.pixel(5, 3) >> shift) & 0xFF);
            EXPECT_NEAR(got, static_cast<int>((c.expected >> shift) & 0xFF), 2) << c.name;
        }
    }
}

// Left half red, right half blue, stored 16 x 8; EXIF 6 says: turn it right to stand upright.
TEST(Jpeg, ExifOrientationTurnsThePictureUpright) {
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) samples.insert(samples.end(), {std::uint8_t(x < 8 ? 255 : 0), 0, std::uint8_t(x < 8 ? 0 : 255)});
    }
    const auto file = imagetest::jpeg(16, 8, samples, 3, false, imagetest::exifOrientation(6));
    const auto size = declaredSize(file);
    ASSERT_TRUE(std::holds_alternative<DeclaredSize>(size));
    EXPECT_EQ(std::get<DeclaredSize>(size).width, 8);
    EXPECT_EQ(std::get<DeclaredSize>(size).height, 16);
    const Picture picture = decoded(file, "orientation 6");
    ASSERT_EQ(picture.width, 8);
    EXPECT_GT(picture.pixel(4, 3) & 0xFF, 200u) << "the stored left (red) is on top";
    EXPECT_GT(picture.pixel(4, 12) >> 16, 200u) << "the stored right (blue) is below";
}

TEST(Jpeg, CutShortIsRefusedNotPatchedUp) {
    std::vector<std::uint8_t> samples;
    for (int i = 0; i < 64 * 64; ++i) samples.insert(samples.end(), {std::uint8_t(i), std::uint8_t(i / 64), 50});
    auto file = imagetest::jpeg(64, 64, samples, 3);
    file.resize(file.size() * 2 / 3);
    auto result = decodePicture(file, 1 << 20);
    ASSERT_TRUE(std::holds_alternative<DecodeError>(result));
    EXPECT_NE(std::get<DecodeError>(result).reason.find("cut short"), std::string::npos) << std::get<DecodeError>(result).reason;
}

// A 2 x 2 frame at (1, 1) on a 4 x 3 screen; its index 2 is transparent. Everything else is uncovered.
TEST(Gif, FirstFrameOnItsScreen) {
    const std::vector<std::uint32_t> colours = {rgb(255, 0, 0), rgb(0, 255, 0), rgb(0, 0, 255), rgb(1, 2, 3)};
    for (bool interlaced : {false, true}) {
        const auto file = imagetest::gif(4, 3, colours, {.left = 1, .top = 1, .width = 2, .height = 2,
                                                         .interlaced = interlaced, .indexes = {0, 1, 2, 3}, .transparentIndex = 2});
        const Picture picture = decoded(file, "gif");
        ASSERT_EQ(picture.width, 4);
        ASSERT_EQ(picture.height, 3);
        EXPECT_EQ(picture.pixel(1, 1), rgb(255, 0, 0));
        EXPECT_EQ(picture.pixel(2, 1), rgb(0, 255, 0));
        EXPECT_EQ(picture.pixel(2, 2), rgb(1, 2, 3));
        const std::vector<std::uint8_t> alpha = {0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 255, 0};
        EXPECT_EQ(picture.alpha, alpha) << (interlaced ? "interlaced" : "straight");
    }
}

// out = round((c * a + bg * (255 - a)) / 255), worked: 255 at alpha 128 over black is 32640 / 255 = 128;
// 0 at alpha 128 over white is 32385 / 255 = 127.
TEST(Transparency, LaidOverTheBackground) {
    Picture picture{.width = 3, .height = 1, .pixels = {rgb(255, 0, 0), rgb(10, 20, 30), rgb(1, 2, 3)}, .alpha = {128, 0, 255}};
    EXPECT_EQ(composite(picture, rgb(255, 255, 255)).pixels,
              (std::vector<std::uint32_t>{rgb(255, 127, 127), rgb(255, 255, 255), rgb(1, 2, 3)}));
    EXPECT_EQ(composite(picture, 0).pixels, (std::vector<std::uint32_t>{rgb(128, 0, 0), 0, rgb(1, 2, 3)}));
    EXPECT_TRUE(composite(picture, 0).alpha.empty());
}

TEST(Fit, SizesKeepTheAspectRatio) {
    struct Case {
        int w, h, fittedW, fittedH;
    };
    const Case cases[] = {
        {1024, 1024, 132, 132}, {1000, 500, 132, 66}, {100, 300, 44, 132},
        {200, 3, 132, 2},       // 3 * 0.66 = 1.98
        {8192, 1, 132, 1},      // never below one pixel
        {133, 1, 132, 1},       {132, 132, 132, 132}, {5, 7, 5, 7}, // within the panel: unchanged
    };
    for (const auto& c : cases) {
        const DeclaredSize fitted = fittedSize(c.w, c.h, 132);
        EXPECT_EQ(fitted.width, c.fittedW) << c.w << "x" << c.h;
        EXPECT_EQ(fitted.height, c.fittedH) << c.w << "x" << c.h;
    }
}

// Averaged in linear light: a quarter of white is linear 0.25, which sRGB encodes as 136.96 -> 137,
// not the 64 that averaging the encoded values would give. Three columns into two: each output covers
// one and a half inputs, white, then half of the black one: 2/3 linear -> 213.18 -> 213.
TEST(Fit, AreaAveragesInLinearLight) {
    Picture checker{.width = 4, .height = 4, .pixels = std::vector<std::uint32_t>(16, 0), .alpha = {}};
    for (int y = 0; y < 4; y += 2) {
        for (int x = 0; x < 4; x += 2) checker.pixels[static_cast<std::size_t>(y * 4 + x)] = grey(255);
    }
    EXPECT_EQ(scaleDown(checker, {2, 2}).pixels, std::vector<std::uint32_t>(4, grey(137)));
    Picture stripes{.width = 3, .height = 1, .pixels = {grey(255), grey(0), grey(255)}, .alpha = {}};
    EXPECT_EQ(scaleDown(stripes, {2, 1}).pixels, (std::vector<std::uint32_t>{grey(213), grey(213)}));
}

TEST(Loader, FormatsByContentFitAndBackground) {
    tempdir::TempDir temp{"formats"};
    // A 264 x 2 RGBA PNG: opaque red, and transparent where x is odd.
    imagetest::PngLayout layout{.width = 264, .height = 2, .colorType = PNG_COLOR_TYPE_RGBA};
    for (int y = 0; y < 2; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < 264; ++x) row.insert(row.end(), {255, 0, 0, std::uint8_t(x % 2 ? 0 : 255)});
        layout.rows.push_back(row);
    }
    const auto bytes = imagetest::png(layout);
    bmptest::writeFile(temp.path() / "wide.png", bytes);
    bmptest::writeFile(temp.path() / "wide.bmp", bytes); // named as something else, read as what it is

    const auto refused = loadPicture((temp.path() / "wide.bmp").string());
    ASSERT_TRUE(std::holds_alternative<LoadError>(refused));
    EXPECT_EQ(std::get<LoadError>(refused).message, "Image dimensions too large.");

    for (const char* name : {"wide.png", "wide.bmp"}) {
        auto result = loadPicture((temp.path() / name).string(), {.fit = true, .background = 0});
        ASSERT_TRUE(std::holds_alternative<Picture>(result)) << std::get<LoadError>(result).message;
        const Picture& picture = std::get<Picture>(result);
        // 264 x 2 halves to 132 x 1; each output pixel averages red over black in linear light: 0.5 -> 188.
        EXPECT_EQ(picture.width, 132);
        EXPECT_EQ(picture.height, 1);
        EXPECT_EQ(picture.pixel(0, 0), rgb(188, 0, 0)) << name;
        EXPECT_TRUE(picture.alpha.empty());
    }
}

// A picture is taken as it is when, turned by the panel's rotation, it fits the panel; one over in
// either side is refused unless fitted, to the whole picture (contain) or the panel filled (cover). Each
// picture is red where the result keeps it and blue elsewhere, so cover must keep exactly its middle.
TEST(Fit, PanelSizesTakeRefuseOrFit) {
    struct Case {
        const char* name;
        int w, h;
        DeclaredSize frame; // the panel turned back by the rotation, as the command line and the window pass it
        bool fit;
        FitMode mode;
        int gotW, gotH;                         // 0 x 0: refused as too large
        int left = 0, top = 0, right = 0, bottom = 0; // what cover keeps; none given: all of it
    };
    // clang-format off
    const Case cases[] = {
        {"240 x 320 on 240 x 320", 240, 320, {240, 320}, false, FitMode::Contain, 240, 320},
        {"one wider", 241, 320, {240, 320}, false, FitMode::Contain, 0, 0},
        {"one higher", 240, 321, {240, 320}, false, FitMode::Contain, 0, 0},
        {"320 x 240 on 240 x 320 turned 90", 320, 240, {320, 240}, false, FitMode::Contain, 320, 240},
        {"240 x 320 on 240 x 320 turned 90", 240, 320, {320, 240}, false, FitMode::Contain, 0, 0},
        // s = min(240 / 480, 320 / 480) = 0.5.
        {"contain 480 x 480", 480, 480, {240, 320}, true, FitMode::Contain, 240, 240},
        {"contain 1000 x 100", 1000, 100, {240, 320}, true, FitMode::Contain, 240, 24},
        // s = max(0.5, 0.667): 320 x 320, of which the middle 240 columns, 40 outputs in: source 60 to 420.
        {"cover 480 x 480", 480, 480, {240, 320}, true, FitMode::Cover, 240, 320, 60, 0, 420, 480},
        // s = min(1, max(1.2, 0.8)) = 1: never larger, the middle 320 rows kept.
        {"cover 200 x 400", 200, 400, {240, 320}, true, FitMode::Cover, 200, 320, 0, 40, 200, 360},
        {"cover within the panel", 100, 100, {240, 320}, true, FitMode::Cover, 100, 100},
        {"contain within the panel", 100, 100, {240, 320}, true, FitMode::Contain, 100, 100},
    };
    // clang-format on
    for (const auto& c : cases) {
        const bool whole = c.right == 0;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(c.w * c.h), 0xFF0000);
        for (int y = 0; y < c.h; ++y) {
            for (int x = 0; x < c.w; ++x) {
                if (whole || (x >= c.left && x < c.right && y >= c.top && y < c.bottom)) pixels[static_cast<std::size_t>(y * c.w + x)] = 0x0000FF;
            }
        }
        const auto loaded = pictureFromBytes(bmptest::bmp24(c.w, c.h, pixels), "p.bmp",
                                             {.fit = c.fit, .maxWidth = c.frame.width, .maxHeight = c.frame.height, .fitMode = c.mode});
        if (c.gotW == 0) {
            ASSERT_TRUE(std::holds_alternative<LoadError>(loaded)) << c.name;
            EXPECT_EQ(std::get<LoadError>(loaded).message, "Image dimensions too large.") << c.name;
            EXPECT_TRUE(std::get<LoadError>(loaded).fittable) << c.name;
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<Picture>(loaded)) << c.name << ": " << std::get<LoadError>(loaded).message;
        const Picture& picture = std::get<Picture>(loaded);
        EXPECT_EQ(std::pair(picture.width, picture.height), std::pair(c.gotW, c.gotH)) << c.name;
        EXPECT_TRUE(std::all_of(picture.pixels.begin(), picture.pixels.end(), [](std::uint32_t p) { return p == 0x0000FF; }))
            << c.name << ": blue from outside the part kept";
    }
}
