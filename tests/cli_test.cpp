#include "capture/capture.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "support/bmpwriter.h"
#include "support/firmwarebuilds.h"
#include "support/imagewriters.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;
using proctest::bytesOf;
using proctest::run;
using namespace quorvane;

namespace {

const std::string cli = QUORVANE_CLI_PATH;

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        // The image of the walk-through: 2 x 1, (255, 128, 0) and (0, 0, 255).
        bmptest::writeFile(dir / "logo.bmp", bmptest::bmp24(2, 1, {0x0080FF, 0xFF0000}));
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    tempdir::TempDir temp{"cli"};
    const fs::path& dir = temp.path();
};

// Reads a PNG back with libpng into R, G, B bytes.
std::vector<std::uint8_t> readPng(const std::string& file, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    return rgb;
}

} // namespace

TEST_F(Cli, ArrayTextOfTheWalkThroughImage) {
    struct Case {
        std::vector<std::string> options;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "unsigned rom char logo[7] = {\n0,1,240,3,0,0\n};\n"},
        {{"--depth", "12", "--target", "arm"}, "const unsigned char logo[8] = {\n0,1,248,0,15,0,0\n};\n"},
        {{"--depth=16", "--name", "my logo"}, "unsigned rom char my_logo[8] = {\n0,1,252,0,0,31,0\n};\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {cli, "code"};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.push_back(path("logo.bmp"));
        const auto result = run(argv);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.expected);
    }
}

// The program and the library's one road must never disagree: same image, same options, same text and
// bytes; and the preview is the hex file read back, level for level, at every depth and dithering mode.
TEST_F(Cli, OutputIsTheCoresForALargerImage) {
    std::vector<std::uint32_t> pixels(7 * 5);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 0x3B1F27u) & 0xFFFFFF;
    bmptest::writeFile(dir / "odd.bmp", bmptest::bmp24(7, 5, pixels));
    std::vector<std::int32_t> components;
    for (std::uint32_t p : pixels) components.insert(components.end(), {std::int32_t(p & 0xFF), std::int32_t((p >> 8) & 0xFF), std::int32_t(p >> 16)});
    using codegen::Dither;
    for (auto [depth, flag] : {std::pair{codegen::Depth::Bits8, "8"}, {codegen::Depth::Bits12, "12"}, {codegen::Depth::Bits16, "16"}}) {
        for (Dither dither : {Dither::None, Dither::Ordered, Dither::ErrorDiffusion}) {
            const std::string mode(codegen::ditherName(dither));
            const auto core = codegen::makeImageCode(
                components, {7, 5}, {.depth = depth, .target = codegen::Target::Arm, .arrayName = "odd", .dither = dither});
            const auto result = run({cli, "code", "--target", "arm", "--depth", flag, "--dither", mode, "--output",
                                     path("odd.c"), "--hex", path("odd.hex"), "--preview", path("odd.png"), path("odd.bmp")});
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(proctest::slurp(path("odd.c")), core.text.joined("\n") + "\n") << flag << " " << mode;
            const auto hex = bytesOf(path("odd.hex"));
            EXPECT_EQ(hex, core.rawFile) << flag << " " << mode;
            const auto decoded = codegen::decodeRawFile(hex, {.depth = depth});
            ASSERT_TRUE(decoded);
            int width = 0, height = 0;
            EXPECT_EQ(readPng(path("odd.png"), width, height), codegen::displayedComponents(decoded->parts, depth))
                << flag << " " << mode;
            EXPECT_EQ(width, 7);
            EXPECT_EQ(height, 5);
        }
    }
}

TEST_F(Cli, HexFileAtEachDepth) {
    struct Case {
        const char* depth;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {{"8", {0x00, 0x01, 0xF0, 0x03}},
                          {"12", {0x00, 0x01, 0xF8, 0x00, 0x0F}},
                          {"16", {0x00, 0x01, 0xFC, 0x00, 0x00, 0x1F}}};
    for (const auto& c : cases) {
        const auto result = run({cli, "code", "--depth", c.depth, "--hex", path("logo.hex"), path("logo.bmp")});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(bytesOf(path("logo.hex")), c.bytes) << c.depth;
    }
}

TEST_F(Cli, PreviewShowsThePartsExpandedBack) {
    struct Case {
        const char* depth;
        std::vector<std::uint8_t> rgb;
    };
    // Parts (7, 4, 0) at 8 Bit give 255, round(4 * 255 / 7) = 146, 0; (15, 8, 0) at 12 Bit 255, 136, 0;
    // (31, 32, 0) at 16 Bit 255, round(32 * 255 / 63) = 130, 0. Blue 255 is always full.
    const Case cases[] = {{"8", {255, 146, 0, 0, 0, 255}}, {"12", {255, 136, 0, 0, 0, 255}},
                          {"16", {255, 130, 0, 0, 0, 255}}};
    for (const auto& c : cases) {
        const auto result = run({cli, "code", "--depth", c.depth, "--preview", path("p.png"), path("logo.bmp")});
        ASSERT_EQ(result.status, 0) << result.err;
        int width = 0, height = 0;
        EXPECT_EQ(readPng(path("p.png"), width, height), c.rgb) << c.depth;
        EXPECT_EQ(width, 2);
        EXPECT_EQ(height, 1);
    }
}

TEST_F(Cli, ExitStatusesAndMessages) {
    std::vector<std::uint32_t> wide(133);
    bmptest::writeFile(dir / "wide.bmp", bmptest::bmp24(133, 1, wide));
    bmptest::writeFile(dir / "bad.bmp", {'B', 'M', 1, 2, 3});
    std::ofstream(dir / "file") << "not a folder";
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* message; // on standard error, or standard output for status 0
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage:"},
        {{"--version"}, 0, "quorvane-cli "},
        {{}, 2, "no command"},
        {{"paint"}, 2, "unknown command"},
        {{"code"}, 2, "no IMAGE"},
        {{"code", "--bogus", path("logo.bmp")}, 2, "unknown option --bogus"},
        {{"code", "--depth", "7", path("logo.bmp")}, 2, "--depth must be 8, 12, 16, 18 or 24"},
        {{"code", "--target", "avr8", path("logo.bmp")}, 2, "--target must be pic, arm or avr"},
        {{"code", "--rotate", "45", path("logo.bmp")}, 2, "--rotate must be 0, 90, 180 or 270"},
        {{"code", "--rotate=-90", path("logo.bmp")}, 2, "--rotate must be"},
        {{"code", "--mirror", "x", path("logo.bmp")}, 2, "--mirror must be none, h or v"},
        {{"code", "--columns", "0", path("logo.bmp")}, 2, "--columns must be a whole number of at least 1"},
        {{"code", "--columns", "1e3", path("logo.bmp")}, 2, "--columns must be"},
        {{"code", "--radix", "oct", path("logo.bmp")}, 2, "--radix must be dec or hex"},
        {{"code", "--byte-order", "middle", "--depth", "16", path("logo.bmp")}, 2, "--byte-order must be big or little"},
        {{"code", "--byte-order", "little", path("logo.bmp")}, 2, "--byte-order applies to 16-bit output only"},
        {{"code", "--depth", "12", "--byte-order=big", path("logo.bmp")}, 2, "--byte-order applies"},
        {{"code", "--header=", path("logo.bmp")}, 2, "--header needs a file name"},
        {{"color", "#GGHHII"}, 2, "color takes R G B or RRGGBB"},
        {{"color", "FFF"}, 2, "color takes R G B or RRGGBB"},
        {{"color", "##FF8000"}, 2, "color takes R G B or RRGGBB"},
        {{"code", "--dither", "bayer", path("logo.bmp")}, 2, "--dither must be none, ordered or fs"},
        {{"code", "--dither=FS", path("logo.bmp")}, 2, "--dither must be none, ordered or fs"},
        {{"code", "--background", "#FFFFFF", path("logo.bmp")}, 2, "--background must be six hex digits"},
        {{"code", "--background", "FFFFF", path("logo.bmp")}, 2, "--background must be six hex digits"},
        {{"code", "--background=12345G", path("logo.bmp")}, 2, "--background must be six hex digits"},
        {{"code", "--depth"}, 2, "needs a value"},
        {{"code", path("logo.bmp"), path("logo.bmp")}, 2, "more than one IMAGE"},
        {{"code", path("missing.bmp")}, 1, "does not exist"},
        {{"code", path("bad.bmp")}, 1, "truncated"},
        {{"code", path("wide.bmp")}, 1, "Image dimensions too large."},
        {{"code", "--output", path("file/out.c"), path("logo.bmp")}, 1, "Cannot write"},
        {{"code", "--hex", path("nowhere/x.hex"), path("logo.bmp")}, 1, "nowhere/x.hex"},
        {{"color", "255", "0", "0"}, 0, "full 255 0 0\n8 7 0 0 0xE0\n12 15 0 0 0xF000\n16 31 0 0 0xF800\nvalue 0x0000FF\n"},
        {{"color", "18", "52", "86"}, 0, "12 1 3 5 0x1350\n16 2 12 10 0x118A\nvalue 0x563412\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {cli};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto result = run(argv);
        const std::string joined = c.args.empty() ? "(none)" : c.args[0] + (c.args.size() > 1 ? " " + c.args.back() : "");
        EXPECT_EQ(result.status, c.status) << joined << "\n" << result.err;
        const std::string& shown = c.status == 0 ? result.out : result.err;
        EXPECT_NE(shown.find(c.message), std::string::npos) << joined << ": " << shown;
    }
}

TEST_F(Cli, ColorRefusesAnythingButThreeWholeComponents) {
    const std::vector<std::vector<std::string>> bad = {
        {"256", "0", "0"}, {"-1", "0", "0"}, {"1.5", "0", "0"}, {"abc", "0", "0"}, {"12abc", "0", "0"},
        {"", "0", "0"},    {"1e2", "0", "0"}, {" 86", "0", "0"}, {"0", "0"},         {"0", "0", "0", "0"}};
    for (const auto& args : bad) {
        std::vector<std::string> argv = {cli, "color"};
        argv.insert(argv.end(), args.begin(), args.end());
        const auto result = run(argv);
        EXPECT_EQ(result.status, 2) << '"' << args[0] << '"';
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(result.err.empty());
    }
}

TEST_F(Cli, ColorInHexIsTheSameAsItsComponents) {
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"FF8000", {"255", "128", "0"}}, {"#ff8000", {"255", "128", "0"}}, {"123456", {"18", "52", "86"}},
        {"#000000", {"0", "0", "0"}},    {"0000FF", {"0", "0", "255"}}};
    for (const auto& [hex, components] : cases) {
        std::vector<std::string> argv = {cli, "color"};
        argv.insert(argv.end(), components.begin(), components.end());
        const auto fromHex = run({cli, "color", hex});
        EXPECT_EQ(fromHex.status, 0) << hex << fromHex.err;
        EXPECT_EQ(fromHex.out, run(argv).out) << hex;
    }
}

TEST_F(Cli, AFailureLeavesExistingOutputsAsTheyWere) {
    std::vector<std::uint32_t> tall(200);
    bmptest::writeFile(dir / "tall.bmp", bmptest::bmp24(1, 200, tall));
    std::ofstream(dir / "keep.c") << "previous";
    std::ofstream(dir / "keep.hex") << "previous";
    // Refused at its size, or cut off after some of its rows went into the outputs (a PNG too wide for
    // one size byte: the file's fault is said first): nothing is written, nor on standard output.
    const std::vector<std::uint8_t> png = imagetest::png({.width = 300, .height = 64, .rows = imagetest::patternRows(300, 64, 3)});
    bmptest::writeFile(dir / "cut.png", std::vector<std::uint8_t>(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(png.size() * 2 / 3)));
    for (const std::vector<std::string>& picture : {std::vector<std::string>{path("tall.bmp")},
                                                    {"--panel", "320x240", "--rotate", "180", path("cut.png")},
                                                    {"--panel", "320x240", "--preview", path("keep.png"), path("cut.png")}}) {
        std::vector<std::string> args = {cli, "code", "--output", path("keep.c"), "--hex", path("keep.hex")};
        args.insert(args.end(), picture.begin(), picture.end());
        const auto result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(proctest::slurp(path("keep.c")), "previous");
        EXPECT_EQ(proctest::slurp(path("keep.hex")), "previous");
        EXPECT_FALSE(fs::exists(path("keep.png")));
        std::vector<std::string> toStandardOutput = {cli, "code"};
        toStandardOutput.insert(toStandardOutput.end(), picture.begin(), picture.end());
        const auto plain = run(toStandardOutput);
        EXPECT_EQ(plain.out, "");
        EXPECT_EQ(plain.err, result.err);
    }
    EXPECT_NE(run({cli, "code", "--panel", "320x240", path("cut.png")}).err.find("Cannot open"), std::string::npos);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 5) << "logo.bmp, tall.bmp, cut.png, keep.c, keep.hex";
    // An output that cannot be written leaves no file and no temporary behind.
    fs::create_directories(dir / "sub");
    const auto blocked = run({cli, "code", "--output", path("sub/a.c"), "--hex", path("sub"), path("logo.bmp")});
    EXPECT_EQ(blocked.status, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "sub"), {}), 1) << "only a.c, written whole before the failure";
    // A header meant for a folder that is not there is found out before anything is written.
    const auto noFolder = run({cli, "code", "--output", path("keep.c"), "--hex", path("keep.hex"), "--header",
                               path("missing/logo.h"), path("logo.bmp")});
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_NE(noFolder.err.find("missing/logo.h"), std::string::npos) << noFolder.err;
    EXPECT_EQ(proctest::slurp(path("keep.c")), "previous");
    EXPECT_EQ(proctest::slurp(path("keep.hex")), "previous");
}

// pack and font go on to quorvane-cli-full, beside quorvane-cli, their messages and exit status with them
// (the installed and packaged programs are tried on their bytes). Without it, code still runs, a usage
// error is still found, and pack says where it looked.
TEST_F(Cli, PackAndFontGoOnToTheFullProgram) {
    const std::string full = (fs::path(cli).parent_path() / "quorvane-cli-full").string();
    const auto missing = run({cli, "font", "--size", "12", path("none.ttf")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, run({full, "font", "--size", "12", path("none.ttf")}).err);
    fs::create_directories(dir / "alone");
    const std::string alone = path("alone/quorvane-cli");
    fs::copy_file(cli, alone);
    EXPECT_EQ(run({alone, "code", path("logo.bmp")}).status, 0);
    EXPECT_EQ(run({alone, "pack"}).status, 2);
    const auto lost = run({alone, "pack", path("logo.bmp")});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("quorvane-cli: pack is run by quorvane-cli-full, which is not installed in "), std::string::npos)
        << lost.err;
}

// What firmware does with the output: include the header, link the source, build with -Wall -Werror.
// The host's compiler stands in for pic (with rom defined away) and arm, and runs the check; avr-gcc
// builds the avr one for a real AVR, and its static assertions check the macros.
TEST_F(Cli, SourceAndHeaderCompileForEveryTarget) {
    struct Case {
        const char* target;
        std::vector<std::string> options;
        std::vector<std::string> compile; // compiler and flags
        bool runs;
    };
    const std::string hostCc = QUORVANE_HOST_CC, avrGcc = QUORVANE_AVR_GCC;
    ASSERT_TRUE(fs::exists(avrGcc)) << "avr-gcc not found; scripts/install-deps.sh installs gcc-avr and avr-libc";
    const Case cases[] = {
        {"arm", {"--depth", "12", "--radix", "hex", "--columns", "4"}, {hostCc, "-std=c99"}, true},
        {"pic", {"--depth", "8"}, {hostCc, "-std=c99", "-Drom="}, true},
        {"avr", {"--depth", "16", "--byte-order", "little", "--columns", "3"}, {avrGcc, "-mmcu=atmega2560", "-Os"}, false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {cli, "code", "--target", c.target, "--rotate", "90", "--header",
                                         path("logo.h"), "--output", path("logo.c")};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.push_back(path("logo.bmp"));
        const auto made = run(argv);
        ASSERT_EQ(made.status, 0) << c.target << ": " << made.err;
        std::vector<std::string> compile = c.compile;
        compile.insert(compile.end(), {"-Wall", "-Wextra", "-Werror", "-I", dir.string(),
                                       std::string(QUORVANE_TEST_DATA) + "/firmware/uses_header.c", path("logo.c"),
                                       "-o", path("firmware")});
        const auto built = run(compile);
        ASSERT_EQ(built.status, 0) << c.target << ":\n" << built.err << proctest::slurp(path("logo.h"));
        if (c.runs) {
            EXPECT_EQ(run({path("firmware")}).status, 0) << c.target;
        }
        fs::remove(path("firmware"));
    }
}

// The decoder as firmware builds it, with a generated palette picture that includes it: C99 with
// -Wall -Wextra -Werror -pedantic on the host (where it runs), for a Cortex-M0 and for an AVR; on the
// Cortex-M0 the whole decoder, with the unit that calls it, is at most 1,024 bytes of code.
TEST_F(Cli, DecoderCompilesEverywhereInOneKilobyte) {
    const std::string armGcc = QUORVANE_ARM_GCC, armSize = QUORVANE_ARM_SIZE, avrGcc = QUORVANE_AVR_GCC;
    ASSERT_TRUE(fs::exists(armGcc) && fs::exists(avrGcc)) << "scripts/install-deps.sh installs gcc-arm-none-eabi and gcc-avr";
    ASSERT_EQ(run({cli, "decoder", path("quorvane_decode.h")}).status, 0);
    const std::string unit = std::string(QUORVANE_TEST_DATA) + "/firmware/decodes_logo.c";
    for (const auto& c : firmwaretest::builds(dir, armGcc, avrGcc)) {
        ASSERT_EQ(run({cli, "code", "--target", c.target, "--depth", "16", "--palette", "4", "--compress", "auto", "--header",
                       path("logo.h"), "--output", path("logo.c"), path("logo.bmp")}).status, 0);
        const auto built = run(firmwaretest::command(c, dir, unit, path("logo.c")));
        ASSERT_EQ(built.status, 0) << c.compiler.front() << ":\n" << built.err;
    }
    EXPECT_EQ(run({path("firmware")}).status, 0) << "the host decodes the whole logo";
    const std::size_t code = proctest::codeBytes(armSize, path("m0.o"));
    EXPECT_GT(code, 0u) << "arm-none-eabi-size reads m0.o";
    EXPECT_LE(code, 1024u);
}

// A PNG, named as a JPEG: read by its content, named after its file, its transparent pixel laid over
// the chosen background. At 16 Bit red is F800 and green (0, 255, 0) is 07E0.
TEST_F(Cli, PngWithTransparencyOverTheBackground) {
    const auto png = imagetest::png({.width = 2, .colorType = PNG_COLOR_TYPE_RGBA, .rows = {{255, 0, 0, 255, 0, 0, 255, 0}}});
    bmptest::writeFile(dir / "photo.jpeg", png);
    for (const char* background : {"00FF00", "00ff00"}) {
        const auto result = run({cli, "code", "--depth", "16", "--background", background, "--hex", path("photo.hex"), path("photo.jpeg")});
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out.substr(0, result.out.find('[')), "unsigned rom char photo");
        EXPECT_EQ(bytesOf(path("photo.hex")), (std::vector<std::uint8_t>{0, 1, 0xF8, 0x00, 0x07, 0xE0}));
    }
    const auto white = run({cli, "code", "--depth", "16", "--hex", path("white.hex"), path("photo.jpeg")});
    ASSERT_EQ(white.status, 0) << white.err;
    EXPECT_EQ(bytesOf(path("white.hex")), (std::vector<std::uint8_t>{0, 1, 0xF8, 0x00, 0xFF, 0xFF}));
}

// Without --fit a larger picture is refused by its declared size; with it, the array's size bytes are
// the fitted size.
TEST_F(Cli, FitScalesALargerPictureDown) {
    bmptest::writeFile(dir / "wide.bmp", bmptest::bmp24(300, 100, std::vector<std::uint32_t>(30000, 0x0000FF)));
    const auto refused = run({cli, "code", path("wide.bmp")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Image dimensions too large."), std::string::npos);
    const auto fitted = run({cli, "code", "--fit", "--hex", path("wide.hex"), path("wide.bmp")});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    const auto hex = bytesOf(path("wide.hex"));
    ASSERT_EQ(hex.size(), 2u + 132u * 44u); // 300 x 100 fits as 132 x 44
    EXPECT_EQ(hex[0], 43);
    EXPECT_EQ(hex[1], 131);
    EXPECT_EQ(hex[2], 0xE0) << "pure red stays pure red";
}

// The displays as a firmware developer names them, typed from the modules' data sheets rather than read
// from the program's table: each gives its size and default depth (a red picture covering it: the size
// bytes, two of them over 256, then red's first byte at that depth), refuses every depth its controller
// cannot take, and `displays` lists it.
TEST_F(Cli, DisplayPresets) {
    struct Case {
        const char* name;
        const char* controller;
        int width, height;
        std::vector<std::string> depths;
        const char* defaultDepth;
    };
    const Case cases[] = {
        {"nokia6100", "PCF8833", 132, 132, {"8", "12", "16"}, "8"},
        {"s1d15g00-132x132", "S1D15G00", 132, 132, {"8", "12"}, "12"},
        {"st7735-128x160", "ST7735", 128, 160, {"12", "16", "18"}, "16"},
        {"st7735-128x128", "ST7735", 128, 128, {"12", "16", "18"}, "16"},
        {"st7735-80x160", "ST7735", 80, 160, {"12", "16", "18"}, "16"},
        {"st7789-240x240", "ST7789", 240, 240, {"12", "16", "18"}, "16"},
        {"st7789-240x320", "ST7789", 240, 320, {"12", "16", "18"}, "16"},
        {"st7789-135x240", "ST7789", 135, 240, {"12", "16", "18"}, "16"},
        {"st7789-170x320", "ST7789", 170, 320, {"12", "16", "18"}, "16"},
        {"st7789-172x320", "ST7789", 172, 320, {"12", "16", "18"}, "16"},
        {"st7789-240x280", "ST7789", 240, 280, {"12", "16", "18"}, "16"},
        {"ili9341-240x320", "ILI9341", 240, 320, {"16", "18"}, "16"},
        {"ili9488-320x480", "ILI9488", 320, 480, {"16", "18"}, "18"},
        {"gc9a01-240x240", "GC9A01", 240, 240, {"12", "16", "18"}, "16"},
        {"ssd1351-128x128", "SSD1351", 128, 128, {"16"}, "16"},
        {"ssd1331-96x64", "SSD1331", 96, 64, {"8", "16"}, "16"},
        // One bit a pixel, in pages of eight rows: no depth at all.
        {"ssd1306-128x64", "SSD1306", 128, 64, {}, "mono"},
        {"ssd1306-128x32", "SSD1306", 128, 32, {}, "mono"},
        {"sh1106-128x64", "SH1106", 128, 64, {}, "mono"},
        {"st7565-128x64", "ST7565", 128, 64, {}, "mono"},
        {"pcd8544-84x48", "PCD8544", 84, 48, {}, "mono"},
    };
    // Red's first data byte: RRRGGGBB, RRRRGGGG, RRRRRGGG, RRRRRR00; in mono red is too dark to light.
    const std::map<std::string, int> redByte = {{"8", 0xE0}, {"12", 0xF0}, {"16", 0xF8}, {"18", 0xFC}, {"mono", 0x00}};
    bmptest::writeFile(dir / "red.bmp", bmptest::bmp24(480, 480, std::vector<std::uint32_t>(480 * 480, 0x0000FF)));

    const auto listed = run({cli, "displays"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), static_cast<long>(std::size(cases)));
    for (const auto& c : cases) {
        std::string depths;
        for (const auto& d : c.depths) depths += (depths.empty() ? "" : ",") + d;
        const std::regex line(std::string("(^|\n)") + c.name + " +" + c.controller + " +" + std::to_string(c.width) + "x" +
                              std::to_string(c.height) +
                              (depths.empty() ? std::string(" +mono, pages\n") : " +depths " + depths + " +default " + c.defaultDepth + "[ \n]"));
        EXPECT_TRUE(std::regex_search(listed.out, line)) << c.name << "\n" << listed.out;

        const auto covered = run({cli, "code", "--display", c.name, "--fit", "cover", "--hex", path("red.hex"), path("red.bmp")});
        ASSERT_EQ(covered.status, 0) << c.name << covered.err;
        const auto hex = bytesOf(path("red.hex"));
        const bool twoBytes = std::max(c.width, c.height) > 256;
        const int h = twoBytes ? (hex[0] << 8 | hex[1]) + 1 : hex[0] + 1, w = twoBytes ? (hex[2] << 8 | hex[3]) + 1 : hex[1] + 1;
        EXPECT_EQ(std::pair(w, h), std::pair(c.width, c.height)) << c.name;
        EXPECT_EQ(hex[twoBytes ? 4 : 2], redByte.at(c.defaultDepth)) << c.name << ": the default depth";
        if (depths.empty()) {
            EXPECT_EQ(hex.size(), 2u + std::size_t(c.width * c.height / 8)) << c.name << ": a bit a pixel";
        }

        for (const char* depth : {"8", "12", "16", "18", "24"}) {
            const bool takes = std::find(c.depths.begin(), c.depths.end(), depth) != c.depths.end();
            const auto result = run({cli, "code", "--display", c.name, "--depth", depth, path("logo.bmp")});
            EXPECT_EQ(result.status, takes ? 0 : 2) << c.name << " --depth " << depth << ": " << result.err;
        }
    }
}

// What the display options refuse, before anything is written: a bad value is a usage error (2) that
// names its option; a size that one byte cannot describe, or an array larger than avr-gcc takes, is found
// after the picture is read (1).
TEST_F(Cli, DisplayOptionsRefusedWithNothingWritten) {
    bmptest::writeFile(dir / "wide.bmp", bmptest::bmp24(300, 2, std::vector<std::uint32_t>(600, 0)));
    bmptest::writeFile(dir / "tall.bmp", bmptest::bmp24(2, 300, std::vector<std::uint32_t>(600, 0)));
    bmptest::writeFile(dir / "p240x320.bmp", bmptest::bmp24(240, 320, std::vector<std::uint32_t>(240 * 320, 0)));
    const struct {
        std::vector<std::string> options;
        int status;
        const char* message;
    } cases[] = {
        {{"--panel", "0x10"}, 2, "--panel must be WxH"},
        {{"--panel", "1025x10"}, 2, "--panel must be WxH"},
        {{"--panel", "240"}, 2, "--panel must be WxH"},
        {{"--panel", "240x320x2"}, 2, "--panel must be WxH"},
        {{"--panel", "axb"}, 2, "--panel must be WxH"},
        {{"--depth", "20"}, 2, "--depth must be 8, 12, 16, 18 or 24"},
        {{"--display", "st7789"}, 2, "--display must be a name"},
        {{"--display", "ili9341-240x320", "--depth", "12"}, 2, "--display ili9341-240x320 (ILI9341) takes --depth 16 or 18, not 12"},
        {{"--size-header", "12"}, 2, "--size-header must be 8, 16 or none"},
        {{"--fit", "sideways"}, 2, "--fit must be contain or cover"},
        {{"--fit=sideways"}, 2, "--fit must be contain or cover"},
        {{"--byte-order", "little", "--depth", "18"}, 2, "--byte-order applies to 16-bit output only"},
        {{"--palette", "3"}, 2, "--palette must be 2, 4, 16 or 256"},
        {{"--palette", "512"}, 2, "--palette must be 2, 4, 16 or 256"},
        {{"--palette", "16", "--dither", "ordered"}, 2, "--dither ordered does not apply to --palette"},
        {{"--mono", "--palette", "4"}, 2, "--palette does not apply to --mono"},
        {{"--mono", "--mono-layout", "columns"}, 2, "--mono-layout must be rows, rows-lsb or pages"},
        {{"--mono-layout", "pages"}, 2, "--mono-layout applies to --mono only"},
        {{"--compress", "zip"}, 2, "--compress must be none, rle, lz4 or auto"},
        {{"--display", "ssd1306-128x64", "--depth", "16"}, 2, "--display ssd1306-128x64 (SSD1306) takes --mono only, not --depth"},
        {{"--display", "pcd8544-84x48", "--palette", "2"}, 2, "takes --mono only, not --palette"},
        {{"--display", "st7789-240x320", "--mono"}, 2, "(ST7789) takes --depth 12, 16 or 18, not --mono"},
        {{"--panel", "300x300", path("wide.bmp")}, 1, "the picture is 300 pixels wide as the panel receives it"},
        {{"--panel", "300x300", "--size-header", "8", path("tall.bmp")}, 1, "300 pixels high"},
        // Turned, the 300 rows become 300 columns.
        {{"--panel", "300x300", "--rotate", "90", path("tall.bmp")}, 1, "300 pixels wide"},
        {{"--display", "st7789-240x320", "--size-header", "8", path("p240x320.bmp")}, 1, "use --size-header 16 or none"},
        {{"--display", "st7789-240x320", "--target", "avr", path("p240x320.bmp")}, 1,
         "the array of 153606 bytes is larger than avr-gcc takes in one object (32767 bytes)"},
    };
    // The decoder's header, meant for a folder that is not there.
    const auto decoder = run({cli, "decoder", path("missing/quorvane_decode.h")});
    EXPECT_EQ(decoder.status, 1);
    EXPECT_NE(decoder.err.find("Cannot write " + path("missing/quorvane_decode.h")), std::string::npos) << decoder.err;
    EXPECT_FALSE(fs::exists(dir / "missing"));
    for (const auto& c : cases) {
        std::vector<std::string> argv = {cli, "code", "--hex", path("out.hex"), "--output", path("out.c")};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        if (c.status == 2) argv.push_back(path("logo.bmp"));
        const auto result = run(argv);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(path("out.hex")) || fs::exists(path("out.c"))) << c.message;
    }
}

// The largest panels' arrays, as firmware builds them: 240 x 320 at 16 Bit and 320 x 480 at 18 Bit, for
// arm and pic, with -Wall -Werror; the check reads the two-byte sizes against the header's macros.
TEST_F(Cli, LargePanelsCompile) {
    const std::tuple<const char*, int, const char*> cases[] = {
        {"st7789-240x320", 240, "arm"}, {"st7789-240x320", 240, "pic"}, {"ili9488-320x480", 320, "arm"}, {"ili9488-320x480", 320, "pic"}};
    for (const auto& [display, width, target] : cases) {
        bmptest::writeFile(dir / "panel.bmp", bmptest::bmp24(width, width * 4 / 3, bmptest::noise(std::size_t(width * width * 4 / 3))));
        const auto made = run({cli, "code", "--display", display, "--target", target, "--header", path("panel.h"), "--output",
                               path("panel.c"), path("panel.bmp")});
        ASSERT_EQ(made.status, 0) << display << ": " << made.err;
        const auto built = run({QUORVANE_HOST_CC, "-std=c99", "-Drom=", "-Wall", "-Wextra", "-Werror", "-I", dir.string(),
                                std::string(QUORVANE_TEST_DATA) + "/firmware/large_panel.c", path("panel.c"), "-o", path("firmware")});
        ASSERT_EQ(built.status, 0) << display << " " << target << ":\n" << built.err;
        EXPECT_EQ(run({path("firmware")}).status, 0) << display << " " << target;
    }
}
