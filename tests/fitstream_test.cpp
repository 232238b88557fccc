// Pictures far larger than the panel through each loader's streaming road, against the whole picture
// decoded and then averaged: the same pixels, or for a JPEG decoded at a reduced scale, within a part
// level of them.
#include "capture/capture.h"
#include "capture/fit.h"
#include "capture/formats.h"
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

// 1600 x 1200 is decoded at 2/8, 400 x 300, for 132 x 99: each output pixel still spans more than
// three samples each way. The average of those stays within one level of the full decode's average.
TEST(StreamingFit, AJpegDecodedSmallerStaysWithinALevel) {
    const int width = 1600, height = 1200;
    const auto file = imagetest::jpeg(width, height, phototest::PhotoLike(width, height).all(), 3);
    const Picture exact = wholeThenAveraged(file), got = streamed(file);
    ASSERT_EQ(got.width, 132);
    ASSERT_EQ(got.height, 99);
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
    EXPECT_LE(mean, 0.6);
    EXPECT_LE(largest, 2);
    EXPECT_GT(mean, 0) << "decoded at full size: the reduced decode was not used";
}
