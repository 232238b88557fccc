// A picture handed over row by row against the same picture loaded whole: every pixel, in every order
// a decoder gives its rows in, and the same refusal for a file that cannot be read.
#include "capture/capture.h"
#include "support/bmpwriter.h"
#include "support/imagewriters.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quorvane::capture;

namespace {

class CollectedRows : public PictureRows {
  public:
    void begin(int width, int height) override { width_ = width, height_ = height, ++begun_; }
    void row(std::span<const std::uint8_t> rgb) override {
        EXPECT_EQ(rgb.size(), 3 * static_cast<std::size_t>(width_));
        for (std::size_t x = 0; 3 * x + 2 < rgb.size(); ++x) pixels_.push_back(colorValue(rgb[3 * x], rgb[3 * x + 1], rgb[3 * x + 2]));
    }
    int width_ = 0, height_ = 0, begun_ = 0;
    std::vector<std::uint32_t> pixels_;
};

std::vector<std::vector<std::uint8_t>> pngRows(int width, int height, int channels) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width * channels; ++x) row.push_back(static_cast<std::uint8_t>(37 * x + 91 * y));
        rows.push_back(row);
    }
    return rows;
}

} // namespace

TEST(StreamPicture, HandsOnThePixelsThatLoadingGives) {
    const tempdir::TempDir dir("streampicture");
    const std::vector<std::uint32_t> noise = bmptest::noise(7 * 5);
    bmptest::Layout topDown;
    topDown.width = 7, topDown.height = -5;
    {
        std::vector<std::vector<std::uint8_t>> rows;
        for (int y = 0; y < 5; ++y) {
            std::vector<std::uint8_t> row;
            for (int x = 0; x < 7; ++x) {
                const std::uint32_t c = noise[static_cast<std::size_t>(y * 7 + x)];
                row.insert(row.end(), {static_cast<std::uint8_t>(c >> 16), static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
            }
            rows.push_back(row);
        }
        topDown.pixelData = bmptest::packRows(rows, true);
    }
    imagetest::GifFrame frame{.left = 1, .top = 2, .width = 9, .height = 11, .interlaced = true, .transparentIndex = 2};
    for (int i = 0; i < 9 * 11; ++i) frame.indexes.push_back(static_cast<std::uint8_t>(i % 4));
    const std::vector<std::uint8_t> samples(12 * 10 * 3, 150);
    struct Case {
        const char* name;
        std::vector<std::uint8_t> file;
        LoadOptions options;
    };
    const Case cases[] = {
        {"bottom-up BMP", bmptest::bmp24(7, 5, noise), {}},
        {"top-down BMP", bmptest::buildBmp(topDown), {}},
        {"RGB PNG", imagetest::png({.width = 6, .height = 4, .rows = pngRows(6, 4, 3)}), {}},
        {"RGBA PNG over a background", imagetest::png({.width = 6, .height = 4, .colorType = PNG_COLOR_TYPE_RGBA, .rows = pngRows(6, 4, 4)}),
         {.background = 0x336699}},
        {"interlaced RGBA PNG",
         imagetest::png({.width = 9, .height = 10, .colorType = PNG_COLOR_TYPE_RGBA, .interlaced = true, .rows = pngRows(9, 10, 4)}), {}},
        {"interlaced GIF with a transparent index, smaller than its screen",
         imagetest::gif(12, 14, {0x0000FF, 0x00FF00, 0xFF0000, 0x123456}, frame), {.background = 0x00AA00}},
        {"JPEG", imagetest::jpeg(12, 10, samples, 3), {}},
        {"PNG fitted", imagetest::png({.width = 40, .height = 30, .rows = pngRows(40, 30, 3)}), {.fit = true, .maxWidth = 9, .maxHeight = 9}},
    };
    for (const Case& c : cases) {
        const std::string path = (dir.path() / "picture").string();
        bmptest::writeFile(path, c.file);
        const auto loaded = loadPicture(path, c.options);
        ASSERT_TRUE(std::holds_alternative<Picture>(loaded)) << c.name;
        const Picture& picture = std::get<Picture>(loaded);
        CollectedRows rows;
        EXPECT_FALSE(streamPicture(path, c.options, rows).has_value()) << c.name;
        EXPECT_EQ(rows.begun_, 1) << c.name;
        EXPECT_EQ(rows.width_, picture.width) << c.name;
        EXPECT_EQ(rows.height_, picture.height) << c.name;
        EXPECT_EQ(rows.pixels_, picture.pixels) << c.name;
    }
}

TEST(StreamPicture, RefusesAsLoadingDoes) {
    const tempdir::TempDir dir("streamrefusal");
    std::vector<std::uint8_t> cut = imagetest::png({.width = 6, .height = 40, .rows = pngRows(6, 40, 3)});
    cut.resize(cut.size() - 30);
    const std::vector<std::uint8_t> large = imagetest::png({.width = 200, .height = 2, .rows = pngRows(200, 2, 3)});
    for (const auto& file : {cut, large, std::vector<std::uint8_t>{'B', 'M', 0}}) {
        const std::string path = (dir.path() / "picture").string();
        bmptest::writeFile(path, file);
        const auto loaded = loadPicture(path);
        ASSERT_TRUE(std::holds_alternative<LoadError>(loaded));
        CollectedRows rows;
        const auto refused = streamPicture(path, {}, rows);
        ASSERT_TRUE(refused.has_value());
        EXPECT_EQ(refused->message, std::get<LoadError>(loaded).message);
        EXPECT_EQ(refused->kind, std::get<LoadError>(loaded).kind);
    }
}
