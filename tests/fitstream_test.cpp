// Pictures far larger than the panel through each loader's streaming road, against the whole picture
// decoded and then averaged: the same pixels, or for a JPEG decoded at a reduced scale, within a part
// level of them.
#include "capture/capture.h"
#include "capture/fit.h"
#include "capture/formats.h"
#include "capture/jpeg.h"
#include "capture/source.h"
#include "support/bmpwriter.h"
#include "support/imagewriters.h"
#include "support/photolike.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

using namespace quorvane::capture;

namespace {

constexpr std::uint32_t kBackground = 0x336699;

// The road that holds the whole picture: decoded, laid over the background, then averaged.
Picture wholeThenAveraged(const std::vector<std::uint8_t>& file) {
    auto decoded = decodePicture(file, std::uint64_t{1} << 24);
    if (const auto* error = std::get_if<DecodeError>(&decoded)) {
        ADD_FAILURE() << error->reason;
        return {};
    }
    const Picture picture = composite(std::get<Picture>(std::move(decoded)), kBackground);
    return scaleDown(picture, fittedSize(picture.width, picture.height, kMaxSide));
}

Picture streamed(const std::vector<std::uint8_t>& file) {
    auto loaded = pictureFromBytes(file, "big", {.fit = true, .background = kBackground});
    if (const auto* error = std::get_if<LoadError>(&loaded)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    return std::get<Picture>(std::move(loaded));
}

// 400 x 150, R, G, B per pixel: photo-like, so every output pixel averages different values.
constexpr int kWidth = 400, kHeight = 150;

std::vector<std::uint8_t> pngOf(const std::vector<std::uint8_t>& rgb, int colorType, bool interlaced) {
    imagetest::PngLayout layout{.width = kWidth, .height = kHeight, .colorType = colorType, .interlaced = interlaced};
    for (int y = 0; y < kHeight; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t at = 3 * static_cast<std::size_t>(y * kWidth + x);
            row.insert(row.end(), rgb.begin() + static_cast<std::ptrdiff_t>(at), rgb.begin() + static_cast<std::ptrdiff_t>(at) + 3);
            if (colorType == PNG_COLOR_TYPE_RGBA) row.push_back(static_cast<std::uint8_t>((x * 7 + y) % 256));
        }
        layout.rows.push_back(row);
    }
    return imagetest::png(layout);
}

std::vector<std::uint8_t> bmpOf(const std::vector<std::uint8_t>& rgb, bool topDown) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < kHeight; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t at = 3 * static_cast<std::size_t>(y * kWidth + x);
            row.insert(row.end(), {rgb[at + 2], rgb[at + 1], rgb[at]});
        }
        rows.push_back(row);
    }
    return bmptest::buildBmp({.width = kWidth, .height = topDown ? -kHeight : kHeight,
                              .pixelData = bmptest::packRows(rows, topDown)});
}

// Runs of up to 255 of a palette index that changes along each row, in RLE8, bottom-up.
std::vector<std::uint8_t> rle8() {
    std::vector<bmptest::Rgb> palette;
    for (int i = 0; i < 256; ++i) palette.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 3)});
    std::vector<std::uint8_t> data;
    for (int fileRow = 0; fileRow < kHeight; ++fileRow) {
        data.insert(data.end(), {std::uint8_t(150), std::uint8_t(fileRow), std::uint8_t(250), std::uint8_t(fileRow + 90)});
        data.insert(data.end(), {0, 0}); // the rest of the row keeps the background
    }
    data.insert(data.end(), {0, 1});
    return bmptest::buildBmp({.width = kWidth, .height = kHeight, .bitCount = 8, .compression = 1,
                              .palette = palette, .pixelData = data});
}

// An interlaced frame that leaves a margin of the screen uncovered, with a transparent index.
std::vector<std::uint8_t> gifOf() {
    std::vector<std::uint32_t> colours;
    for (std::uint32_t i = 0; i < 256; ++i) colours.push_back(i | ((255 - i) << 8) | ((i * 5 % 256) << 16));
    imagetest::GifFrame frame{.left = 10, .top = 7, .width = kWidth - 30, .height = kHeight - 20, .interlaced = true,
                              .transparentIndex = 3};
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) frame.indexes.push_back(static_cast<std::uint8_t>((x / 3 + y * 5) % 256));
    return imagetest::gif(kWidth, kHeight, colours, frame);
}

} // namespace

TEST(StreamingFit, EveryLoaderGivesTheWholePicturesAverage) {
    const auto rgb = phototest::PhotoLike(kWidth, kHeight).all();
    const struct {
        const char* name;
        std::vector<std::uint8_t> file;
    } cases[] = {
        {"PNG", pngOf(rgb, PNG_COLOR_TYPE_RGB, false)},
        {"PNG, alpha, interlaced", pngOf(rgb, PNG_COLOR_TYPE_RGBA, true)},
        {"BMP, bottom-up", bmpOf(rgb, false)},
        {"BMP, top-down", bmpOf(rgb, true)},
        {"BMP, RLE8", rle8()},
        {"GIF, interlaced, on a larger screen", gifOf()},
    };
    for (const auto& c : cases) {
        const Picture expected = wholeThenAveraged(c.file), got = streamed(c.file);
        ASSERT_EQ(got.width, 132) << c.name;
        ASSERT_EQ(got.height, 50) << c.name; // 400 x 150 fits as 132 x 49.5
        if (std::string(c.name).find("interlaced") == std::string::npos) {
            EXPECT_EQ(got.pixels, expected.pixels) << c.name;
            continue;
        }
        // Interlaced rows come in passes and are summed in another order: the same average, give or
        // take the last bit of a double.
        for (std::size_t i = 0; i < got.pixels.size(); ++i) {
            for (int shift = 0; shift <= 16; shift += 8) {
                const int a = static_cast<int>((got.pixels[i] >> shift) & 0xFF), b = static_cast<int>((expected.pixels[i] >> shift) & 0xFF);
                ASSERT_LE(std::abs(a - b), 1) << c.name << " at " << i;
            }
        }
    }
}

namespace {

// What the JPEG decoder hands a sink that wants four samples under each pixel of `out`.
struct DecodeSizeSink : RowSink {
    explicit DecodeSizeSink(DeclaredSize wanted) : out(wanted) {}
    std::optional<DecodeError> declared(DeclaredSize) override { return std::nullopt; }
    DeclaredSize smallestUseful(DeclaredSize d) const override {
        return {std::min(d.width, 4 * out.width), std::min(d.height, 4 * out.height)};
    }
    void start(DeclaredSize size, bool, const Sampling&) override { decoded = size; }
    void row(int, int, int, std::span<const std::uint32_t>, std::span<const std::uint8_t>) override {}
    void rgbRow(int, std::span<const std::uint8_t>) override {}
    std::uint64_t pixelLimit() const override { return std::uint64_t{1} << 28; }
    DeclaredSize out, decoded;
};

} // namespace

// Every DCT scale that fitting can choose, on panels from 132 x 132 to 320 x 480: the smallest n/8 at
// which each output pixel spans at least four decoded samples each way (n * w >= 32 * output width, and
// the same down), each sample weighed by the pixels it stands for, the last row and column by what is
// left (4400 x 660 at 1/8 is 550 x 83 samples, the last row 4 pixels high). The result stays within the
// stated tolerance of averaging the full decode: a mean of 0.6 levels, at most 2.
TEST(StreamingFit, AJpegDecodedSmallerStaysWithinTolerance) {
    struct Case {
        int panelW, panelH, w, h;
        int outW, outH; // fitted
        int eighths;    // worked by hand: n - 1 would leave fewer than four samples under a pixel
        int orientation = 1; // turned upright from its EXIF orientation, the short samples come first
    };
    const Case cases[] = {
        {132, 132, 640, 96, 132, 20, 7},   {132, 132, 768, 116, 132, 20, 6},  {132, 132, 1000, 150, 132, 20, 5},
        {132, 132, 1200, 180, 132, 20, 4}, {132, 132, 1800, 270, 132, 20, 3}, {132, 132, 3000, 450, 132, 20, 2},
        {132, 132, 4400, 660, 132, 20, 1},  {240, 320, 1800, 1300, 240, 173, 5}, {320, 480, 4000, 250, 320, 20, 3},
        {320, 480, 100, 8000, 6, 480, 2},
        {132, 132, 4400, 660, 132, 20, 1, 3},  {132, 132, 4400, 660, 132, 20, 1, 8},
    };
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.w) + " x " + std::to_string(c.h) + " on " +
                                 std::to_string(c.panelW) + " x " + std::to_string(c.panelH) + ", orientation " +
                                 std::to_string(c.orientation);
        const bool turned = c.orientation >= 5; // stored the other way round
        const int storedW = turned ? c.h : c.w, storedH = turned ? c.w : c.h;
        const auto file = imagetest::jpeg(storedW, storedH, phototest::PhotoLike(storedW, storedH).all(), 3, false,
                                          c.orientation == 1 ? std::vector<std::uint8_t>{} : imagetest::exifOrientation(
                                                                                                 static_cast<std::uint16_t>(c.orientation)));

        DecodeSizeSink probe({c.outW, c.outH});
        ByteSource source(file);
        ASSERT_FALSE(decodeJpeg(source, probe)) << name;
        EXPECT_EQ(probe.decoded.width, (c.w * c.eighths + 7) / 8) << name;
        EXPECT_EQ(probe.decoded.height, (c.h * c.eighths + 7) / 8) << name;

        auto loaded = pictureFromBytes(file, "big", {.fit = true, .background = kBackground,
                                                     .maxWidth = c.panelW, .maxHeight = c.panelH});
        ASSERT_TRUE(std::holds_alternative<Picture>(loaded)) << name;
        const Picture got = std::get<Picture>(std::move(loaded));
        ASSERT_EQ(std::pair(got.width, got.height), std::pair(c.outW, c.outH)) << name;
        auto whole = decodePicture(file, std::uint64_t{1} << 24);
        ASSERT_TRUE(std::holds_alternative<Picture>(whole)) << name;
        const Picture exact = scaleDown(std::get<Picture>(whole), {c.outW, c.outH});
        double total = 0;
        int largest = 0;
        for (std::size_t i = 0; i < got.pixels.size(); ++i) {
            for (int shift = 0; shift <= 16; shift += 8) {
                const int d = std::abs(static_cast<int>((got.pixels[i] >> shift) & 0xFF) -
                                       static_cast<int>((exact.pixels[i] >> shift) & 0xFF));
                total += d;
                largest = std::max(largest, d);
            }
        }
        const double mean = total / (3.0 * static_cast<double>(got.pixels.size()));
        EXPECT_LE(mean, 0.6) << name;
        EXPECT_LE(largest, 2) << name;
    }
}
