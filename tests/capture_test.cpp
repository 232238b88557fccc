#include "capture/capture.h"
#include "support/bmpwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quorvane::capture;
namespace fs = std::filesystem;

namespace {

class LoadPicture : public ::testing::Test {
protected:
    std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        bmptest::writeFile(dir / name, bytes);
        return (dir / name).string();
    }
    tempdir::TempDir temp{"load"};
    const fs::path& dir = temp.path();
};

std::string messageOf(const std::variant<Picture, LoadError>& result) {
    if (auto* error = std::get_if<LoadError>(&result)) return error->message;
    return "(loaded)";
}

} // namespace

TEST_F(LoadPicture, SizeLimitIsOnEachDimension) {
    struct Case {
        int width, height;
        bool accepted;
    };
    const Case cases[] = {{132, 132, true}, {1, 1, true}, {133, 1, false}, {1, 133, false},
                          {133, 132, false}, {200, 200, false}};
    for (const auto& c : cases) {
        const auto path = file("p.bmp", bmptest::bmp24(c.width, c.height,
                                                       std::vector<std::uint32_t>(static_cast<std::size_t>(c.width * c.height))));
        const auto result = loadPicture(path);
        EXPECT_EQ(std::holds_alternative<Picture>(result), c.accepted) << c.width << "x" << c.height;
        if (!c.accepted) {
            EXPECT_EQ(std::get<LoadError>(result).kind, LoadError::Kind::TooLarge);
            EXPECT_EQ(std::get<LoadError>(result).message, "Image dimensions too large.");
        }
    }
}

// A too-large picture is refused from its declared size, even when its pixels are not there at all.
TEST_F(LoadPicture, RefusesATooLargeDeclarationBeforeReadingPixels) {
    const auto path = file("huge.bmp", bmptest::buildBmp({.width = 100000, .height = 100000, .bitCount = 24}));
    const auto result = loadPicture(path);
    ASSERT_TRUE(std::holds_alternative<LoadError>(result));
    EXPECT_EQ(std::get<LoadError>(result).kind, LoadError::Kind::TooLarge);
}

TEST_F(LoadPicture, UnreadableFilesNameTheFileAndTheReason) {
    fs::create_directories(dir / "folder.bmp");
    std::vector<std::uint8_t> cut = bmptest::bmp24(4, 4, std::vector<std::uint32_t>(16));
    cut.resize(60);
    struct Case {
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {(dir / "missing.bmp").string(), "does not exist"},
        {(dir / "folder.bmp").string(), "is a folder"},
        {file("empty.bmp", {}), "is empty"},
        {file("png.bmp", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}), "truncated"},
        {file("text.bmp", {'h', 'e', 'l', 'l', 'o'}), "not a BMP file"},
        {file("cut.bmp", cut), "truncated"},
    };
    for (const auto& c : cases) {
        const auto result = loadPicture(c.path);
        ASSERT_TRUE(std::holds_alternative<LoadError>(result)) << c.path;
        EXPECT_EQ(std::get<LoadError>(result).kind, LoadError::Kind::Unreadable);
        const std::string message = messageOf(result);
        EXPECT_NE(message.find(c.path), std::string::npos) << message;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
}

TEST(Capture, ComponentsRowByRowFromTheTopLeft) {
    // 100 wide, 50 high: the first pixel of the second row starts at entry 300.
    Picture picture{100, 50, std::vector<std::uint32_t>(5000, 0)};
    picture.pixels[0] = 0x0000FF;   // pure red
    picture.pixels[1] = 0xFF0000;   // pure blue
    picture.pixels[100] = 0x563412; // (18, 52, 86)
    std::vector<std::int32_t> store(kStoreEntries, -1);
    EXPECT_EQ(captureComponents(picture, store), 15000);
    EXPECT_EQ(std::vector<std::int32_t>(store.begin(), store.begin() + 6), (std::vector<std::int32_t>{255, 0, 0, 0, 0, 255}));
    EXPECT_EQ(std::vector<std::int32_t>(store.begin() + 300, store.begin() + 303), (std::vector<std::int32_t>{18, 52, 86}));
    EXPECT_EQ(store[15000], -1) << "nothing written past the components";
}

TEST(Capture, LargestPictureFitsTheStore) {
    const Picture picture{132, 132, std::vector<std::uint32_t>(132 * 132, 0xFFFFFF)};
    std::vector<std::int32_t> store(kStoreEntries);
    EXPECT_EQ(captureComponents(picture, store), 52272);
    EXPECT_EQ(store[52271], 255);
    std::vector<std::int32_t> small(10, 7);
    EXPECT_THROW(captureComponents(picture, small), std::length_error);
    EXPECT_EQ(small, std::vector<std::int32_t>(10, 7));
}
