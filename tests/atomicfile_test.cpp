#include "codegen/atomicfile.h"

#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace quorvane::codegen;
namespace fs = std::filesystem;

namespace {

class AtomicFileTest : public ::testing::Test {
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

TEST_F(AtomicFileTest, WritesANewFile) {
    EXPECT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(read(dir / "logo.hex"), bytes);
    EXPECT_EQ(entries(), 1u) << "no temporary file left behind";
}

TEST_F(AtomicFileTest, ReplacesALongerOlderFileWhole) {
    std::ofstream(dir / "logo.hex", std::ios::binary) << std::string(100, 'x');
    EXPECT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(read(dir / "logo.hex"), bytes);
}

TEST_F(AtomicFileTest, RefusesAReadOnlyFileAndKeepsIt) {
    std::ofstream(dir / "ro.hex", std::ios::binary) << "keep";
    fs::permissions(dir / "ro.hex", fs::perms::owner_read | fs::perms::group_read);
    const auto error = writeFileAtomically(dir / "ro.hex", bytes);
    ASSERT_TRUE(error);
    EXPECT_NE(error->find((dir / "ro.hex").string()), std::string::npos) << *error;
    EXPECT_NE(error->find("read-only"), std::string::npos) << *error;
    EXPECT_EQ(read(dir / "ro.hex"), (std::vector<std::uint8_t>{'k', 'e', 'e', 'p'}));
    EXPECT_EQ(entries(), 1u);
}

TEST_F(AtomicFileTest, ReportsPathsThatCannotHoldAFile) {
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

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces) {
    std::ofstream(dir / "logo.hex") << "old";
    fs::permissions(dir / "logo.hex", fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_EQ(writeFileAtomically(dir / "logo.hex", bytes), std::nullopt);
    EXPECT_EQ(fs::status(dir / "logo.hex").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

// Renaming over a link would turn the link into a file and leave the file it named stale.
TEST_F(AtomicFileTest, ThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
    std::ofstream(dir / "real.hex") << "old contents";
    fs::create_symlink(dir / "real.hex", dir / "link.hex");
    ASSERT_EQ(writeFileAtomically(dir / "link.hex", bytes), std::nullopt);
    EXPECT_TRUE(fs::is_symlink(dir / "link.hex"));
    EXPECT_EQ(read(dir / "real.hex"), bytes);
    EXPECT_EQ(entries(), 2u);
}

// Renaming over a device or a pipe (quorvane-cli --output /dev/null) would put a plain file in its place.
TEST_F(AtomicFileTest, WritesIntoAPipeInsteadOfReplacingIt) {
    const fs::path pipe = dir / "pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // The reading end is open first, so the write neither blocks nor fails; the bytes fit the pipe.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(writeFileAtomically(pipe, bytes), std::nullopt);
    std::vector<std::uint8_t> received(16);
    const ssize_t n = ::read(reader, received.data(), received.size());
    ::close(reader);
    received.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(received, bytes);
    EXPECT_EQ(fs::status(pipe).type(), fs::file_type::fifo);
    EXPECT_EQ(entries(), 1u);
}

// A file written a piece at a time is in place only once committed; a process that stops before then
// (killed while it decodes a large picture) leaves the old file and nothing else.
TEST_F(AtomicFileTest, APieceAtATimeIsInPlaceOnlyWhenCommitted) {
    std::ofstream(dir / "logo.hex", std::ios::binary) << "old";
    const int unnamed = ::open(dir.c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (unnamed < 0) GTEST_SKIP() << "this file system has no files without a name (O_TMPFILE)";
    ::close(unnamed);
    const pid_t child = ::fork();
    if (child == 0) {
        AtomicFile file(dir / "logo.hex");
        file.write(bytes);
        ::_exit(0); // no commit, no destructor
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(entries(), 1u) << "the stopped writer left a file behind";
    EXPECT_EQ(read(dir / "logo.hex"), std::vector<std::uint8_t>({'o', 'l', 'd'}));

    AtomicFile file(dir / "logo.hex");
    file.write(std::span(bytes).first(2));
    file.write(std::span(bytes).subspan(2));
    EXPECT_EQ(read(dir / "logo.hex"), std::vector<std::uint8_t>({'o', 'l', 'd'}));
    EXPECT_EQ(file.commit(), std::nullopt);
    EXPECT_EQ(read(dir / "logo.hex"), bytes);
    EXPECT_EQ(entries(), 1u);
}
