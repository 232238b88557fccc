#include "codegen/atomicfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace quorvane::codegen;
namespace fs = std::filesystem;

namespace {

class AtomicFile : public ::testing::Test {
protected:
    static std::vector<std::uint8_t> read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }
    tempdir::TempDir temp{"atomic"};
    const fs::path& dir = temp.path();
};

const std::vector<std::uint8_t> bytes = {0x00, 0x01, 0xF0, 0x03};

} // namespace

TEST_F(AtomicFile, WritesANewFile) {
    EXPECT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(read(dir / "logo.hex"), bytes);
    EXPECT_EQ(entries(), 1u) << "no temporary file left behind";
}

TEST_F(AtomicFile, ReplacesALongerOlderFileWhole) {
    std::ofstream(dir / "logo.hex", std::ios::binary) << std::string(100, 'x');
    EXPECT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(read(dir / "logo.hex"), bytes);
}

TEST_F(AtomicFile, RefusesAReadOnlyFileAndKeepsIt) {
    std::ofstream(dir / "ro.hex", std::ios::binary) << "keep";
    fs::permissions(dir / "ro.hex", fs::perms::owner_read | fs::perms::group_read);
    const auto error = writeFileAtomically(dir / "ro.hex", bytes);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find((dir / "ro.hex").string()), std::string::npos) << *error;
    EXPECT_NE(error->find("read-only"), std::string::npos) << *error;
    EXPECT_EQ(read(dir / "ro.hex"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFile, ReportsPathsThatCannotHoldAFile) {
    fs::create_directories(dir / "taken.hex");
    std::ofstream(dir / "plain") << "not a folder";
    const fs::path targets[] = {dir / "taken.hex", dir / "plain" / "x.hex", dir / "missing" / "x.hex"};
    for (const auto& target : targets) {
        const auto error = writeFileAtomically(target, bytes);
        ASSERT_TRUE(error) << target;
        EXPECT_NE(error->find(target.string()), std::string::npos) << *error;
    }
    EXPECT_TRUE(fs::is_directory(dir / "taken.hex"));
    EXPECT_EQ(entries(), 2u);
}

TEST_F(AtomicFile, KeepsThePermissionsOfTheFileItReplaces) {
    std::ofstream(dir / "logo.hex") << "old";
    fs::permissions(dir / "logo.hex", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(fs::status(dir / "logo.hex").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}
