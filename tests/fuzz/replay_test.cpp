// Every input the fuzzers keep, seeds and past findings alike, replayed on every test run.
#include "tests/fuzz/targets.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> bytesOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::size_t replay(const char* corpus, void (*target)(const std::uint8_t*, std::size_t)) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(QUORVANE_FUZZ_CORPUS) / corpus)) {
        const auto bytes = bytesOf(entry.path());
        SCOPED_TRACE(entry.path().filename().string());
        target(bytes.data(), bytes.size());
        ++count;
    }
    return count;
}

} // namespace

TEST(FuzzCorpus, PictureInputsRunClean) { EXPECT_GT(replay("picture", quorvane::fuzz::pictureInput), 10u); }

TEST(FuzzCorpus, ColorInputsRunClean) { EXPECT_GT(replay("colorconv", quorvane::fuzz::colorInput), 5u); }

TEST(FuzzCorpus, StoredInputsRunClean) { EXPECT_GT(replay("stored", quorvane::fuzz::storedInput), 10u); }

TEST(FuzzCorpus, PackInputsRunClean) { EXPECT_GE(replay("pack", quorvane::fuzz::packInput), 4u); }

TEST(FuzzCorpus, FontInputsRunClean) { EXPECT_GE(replay("font", quorvane::fuzz::fontInput), 4u); }
