// quorvane-cli pack from the outside: its refusals, everything it writes, and firmware that plays it.
#include "packs/playback.h"
#include "support/animwriters.h"
#include "support/bmpwriter.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;
using proctest::run;

namespace {

const std::string cli = QUORVANE_CLI_PATH;

class CliPack : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir / "icons");
        for (const char* name : {"icon10", "icon2", "1up"}) {
            bmptest::writeFile(dir / "icons" / (std::string(name) + ".bmp"), bmptest::bmp24(3, 2, {0xFF, 0xFF00, 0xFF0000, 0, 0xFFFFFF, 0x808080}));
        }
        std::ofstream(dir / "icons" / "notes.txt") << "not a picture";
        fs::create_directories(dir / "walk");
        for (int f = 0; f < 3; ++f) {
            std::vector<std::uint32_t> pixels(20, 0xFFFFFF);
            pixels[static_cast<std::size_t>(f * 5)] = 0xFF;
            bmptest::writeFile(dir / "walk" / ("step" + std::to_string(f) + ".bmp"), bmptest::bmp24(5, 4, pixels));
        }
        std::vector<animtest::GifFrameSpec> frames;
        for (int f = 0; f < 4; ++f) frames.push_back({.width = 6, .height = 6, .indexes = std::vector<std::uint8_t>(36, static_cast<std::uint8_t>(f % 2)), .delayCs = 5});
        bmptest::writeFile(dir / "blink.gif", animtest::animatedGif(6, 6, {0x000000, 0x00FFFF}, frames, 0));
        bmptest::writeFile(dir / "sheet.bmp", bmptest::bmp24(6, 2, std::vector<std::uint32_t>(12, 0x00FF00)));
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    tempdir::TempDir temp{"clipack"};
    const fs::path& dir = temp.path();
};

std::vector<std::uint8_t> valuesOf(const std::string& source) {
    const std::string values = source.substr(source.find("= {") + 3);
    std::vector<std::uint8_t> bytes;
    std::istringstream in(values);
    for (int v; in >> v;) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        in.ignore(1);
    }
    return bytes;
}

} // namespace

TEST_F(CliPack, RefusalsNameWhatIsWrongAndWriteNothing) {
    std::ofstream(dir / "text.png") << "plain text";
    fs::create_directories(dir / "empty");
    bmptest::writeFile(dir / "wide.bmp", bmptest::bmp24(200, 1, std::vector<std::uint32_t>(200)));
    auto cut = proctest::slurp(dir / "blink.gif");
    std::ofstream(dir / "cut.gif", std::ios::binary) << cut.substr(0, cut.size() - 30);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"pack"}, 2, "no INPUT given"},
        {{"pack", "--bogus", path("blink.gif")}, 2, "unknown option --bogus"},
        {{"pack", "--frames"}, 2, "describe the INPUT that follows them"},
        {{"pack", "--sheet", "3y2", path("sheet.bmp")}, 2, "--sheet must be WxH"},
        {{"pack", "--sheet", "4x2", path("sheet.bmp")}, 2, "6 x 2, not a whole number of tiles"},
        {{"pack", "--shared-palette", path("blink.gif")}, 2, "--shared-palette applies to --palette only"},
        {{"pack", "--jobs", "0", path("blink.gif")}, 2, "--jobs must be"},
        {{"pack", "--size-header", "16", path("blink.gif")}, 2, "--size-header does not apply to pack"},
        {{"pack", "--delay", "50", path("blink.gif")}, 2, "--delay applies to --frames and --sheet"},
        {{"pack", path("text.png")}, 1, "text.png"},
        {{"pack", path("empty")}, 1, "the folder holds no picture"},
        {{"pack", path("wide.bmp")}, 1, "larger than the panel's 132 x 132; use --fit"},
        {{"pack", path("blink.gif"), path("cut.gif")}, 1, "cut.gif: frame 2: the file is truncated"},
        {{"pack", "--frames", path("blink.gif")}, 1, "--frames takes a folder"},
        {{"pack", "--target", "avr", "--depth", "24", "--frames", "--fit", "--panel", "132x132", path("walk"), "--sheet", "1x1", path("sheet.bmp"),
          path("icons"), path("blink.gif")}, 0, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {cli};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        argv.insert(argv.end() - 1, {"--hex", path("out.hex"), "--output", path("out.c")});
        if (c.args.size() == 1 || c.args.back() == "--frames") argv = {cli, "pack", "--hex", path("out.hex")};
        if (c.args.back() == "--frames") argv.push_back("--frames");
        const auto result = run(argv);
        EXPECT_EQ(result.status, c.status) << c.message << "\n" << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        if (c.status == 2) {
            EXPECT_NE(result.err.find("Try 'quorvane-cli --help'"), std::string::npos) << result.err;
        }
        EXPECT_EQ(result.err.find("Usage:"), std::string::npos) << "a usage error points to --help instead of printing it";
        if (c.status != 0) {
            EXPECT_FALSE(fs::exists(path("out.hex")) || fs::exists(path("out.c"))) << c.message;
        }
        fs::remove(path("out.hex")), fs::remove(path("out.c"));
    }
}

// Everything written for one set of inputs, and firmware built from it (host, Cortex-M0, AVR) that plays
// every part of every frame.
TEST_F(CliPack, WritesTheArrayHeaderHexAndPreviewThatFirmwarePlays) {
    fs::create_directories(dir / "preview");
    const auto made = run({cli, "pack", "--target", "arm", "--depth", "16", "--compress", "auto", "--palette", "16", "--name", "assets",
                           "--header", path("assets.h"), "--output", path("assets.c"), "--hex", path("assets.bin"), "--preview",
                           path("preview"), path("icons"), "--frames", "--delay", "70", path("walk"), "--delay", "30", "--sheet", "2x2", path("sheet.bmp"),
                           path("blink.gif")});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "") << "no progress line on a pipe";
    // For a build system: the source, then every folder and picture read, so that a picture added re-makes it.
    ASSERT_EQ(run({cli, "pack", "--depfile", path("p.d"), "--output", path("p.c"), path("icons"), "--frames", path("walk")}).status, 0);
    const std::string rule = proctest::slurp(dir / "p.d");
    EXPECT_EQ(rule.rfind(path("p.c") + ":", 0), 0u) << rule;
    for (const char* read : {"icons \\", "icons/icon2.bmp", "walk \\", "walk/step2.bmp"}) {
        EXPECT_NE(rule.find(read), std::string::npos) << read << "\n" << rule;
    }
    EXPECT_EQ(rule.find("notes.txt"), std::string::npos) << "not a picture, not read";
    const auto drawn = run({cli, "pack", "--progress", "--output", path("p.c"), path("icons")});
    EXPECT_EQ(drawn.err.rfind("\rquorvane-cli pack: 1/3 assets", 0), 0u) << drawn.err;
    EXPECT_EQ(drawn.err.back(), '\r') << "the line is cleared at the end";
    EXPECT_EQ(run({cli, "pack", "--progress", "--quiet", "--output", path("p.c"), path("icons")}).err, "");
    const std::string header = proctest::slurp(dir / "assets.h"), source = proctest::slurp(dir / "assets.c");
    const std::string hex = proctest::slurp(dir / "assets.bin");
    EXPECT_EQ(valuesOf(source), std::vector<std::uint8_t>(hex.begin(), hex.end())) << "the array is the raw file, byte for byte";
    const auto assets = quorvane::packs::playPack(std::vector<std::uint8_t>(hex.begin(), hex.end()));
    ASSERT_TRUE(assets && assets->size() == 6);
    EXPECT_EQ((*assets)[3].frames[1].delayMs, 70) << "walk";
    EXPECT_EQ((*assets)[4].frames[2].delayMs, 30) << "sheet";
    EXPECT_EQ((*assets)[5].frames[0].delayMs, 50) << "blink: the GIF's own";
    EXPECT_NE(source.find("const unsigned char assets[" + std::to_string(hex.size()) + "] = {"), std::string::npos) << source.substr(0, 200);
    EXPECT_TRUE(std::regex_search(header, std::regex("ASSETS__1UP = 0,\\s+ASSETS_ICON2 = 1,\\s+ASSETS_ICON10 = 2,\\s+ASSETS_WALK = 3,\\s+"
                                                     "ASSETS_SHEET = 4,\\s+ASSETS_BLINK = 5,\\s+ASSETS_COUNT")))
        << header;
    for (const char* line : {"#define ASSETS_WALK_FRAMES 3", "#define ASSETS_SHEET_FRAMES 3", "#define ASSETS_BLINK_WIDTH 6",
                             "#define ASSETS_ICON10_HEIGHT 2", "#include \"quorvane_decode.h\""}) {
        EXPECT_NE(header.find(line), std::string::npos) << line << "\n" << header;
    }
    for (const char* png : {"_1up_0.png", "icon10_0.png", "walk_2.png", "sheet_2.png", "blink_3.png"}) {
        EXPECT_TRUE(fs::exists(dir / "preview" / png)) << png;
    }
    EXPECT_FALSE(fs::exists(dir / "preview" / "blink_4.png"));

    ASSERT_EQ(run({cli, "decoder", path("quorvane_decode.h")}).status, 0);
    const std::string unit = std::string(QUORVANE_TEST_DATA) + "/firmware/plays_pack.c";
    const std::string armGcc = QUORVANE_ARM_GCC, avrGcc = QUORVANE_AVR_GCC;
    const auto host = run({QUORVANE_HOST_CC, "-DHOSTED", "-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic", "-I", dir.string(), unit,
                           path("assets.c"), "-o", path("player")});
    ASSERT_EQ(host.status, 0) << host.err;
    const auto played = run({path("player")});
    ASSERT_EQ(played.status, 0) << played.out;
    // The blinking GIF: its first frame whole, then the whole square each time, as it all changes.
    EXPECT_NE(played.out.find("0 0 6 6\n0 0 6 6\n0 0 6 6\n0 0 6 6\n"), std::string::npos) << played.out;
    const auto m0 = run({armGcc, "-Os", "-mcpu=cortex-m0", "-mthumb", "-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic", "-I",
                         dir.string(), "-c", unit, "-o", path("m0.o")});
    ASSERT_EQ(m0.status, 0) << m0.err;
    const auto avr = run({avrGcc, "-Os", "-mmcu=atmega328p", "-std=c99", "-Wall", "-Wextra", "-Werror", "-pedantic", "-I", dir.string(),
                          "-c", unit, "-o", path("avr.o")});
    EXPECT_EQ(avr.status, 0) << avr.err;
    const auto size = run({QUORVANE_ARM_SIZE, path("m0.o")});
    std::istringstream table(size.out.substr(size.out.find('\n') + 1));
    std::size_t text = 0;
    table >> text;
    EXPECT_GT(text, 0u) << size.out;
    RecordProperty("cortex_m0_pack_player_bytes", static_cast<int>(text));
    std::cout << "a Cortex-M0 unit that plays packs: " << text << " bytes of code\n";
}
