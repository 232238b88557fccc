// quorvane-cli font from the outside: its refusals, everything it writes, and firmware that draws with it.
#include "fonts/draw.h"
#include "support/firmwarebuilds.h"
#include "support/process.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using proctest::bytesOf;
using proctest::run;

namespace {

const std::string cli = QUORVANE_CLI_PATH;
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kAwesome = "/usr/share/fonts/opentype/font-awesome/FontAwesome.otf";
const std::string kPcf = "/usr/share/fonts/X11/misc/10x20-ISO8859-1.pcf.gz";

class CliFont : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (dir / name).string(); }
    tempdir::TempDir temp{"clifont"};
    const fs::path& dir = temp.path();
};

} // namespace

TEST_F(CliFont, RefusalsNameWhatIsWrongAndWriteNothing) {
    std::ofstream(dir / "notes.txt") << "plain text";
    std::ofstream(dir / "latin1.c", std::ios::binary) << "Temp\xE9rature";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{kDejaVu, "--size", "0"}, 2, "--size must be pixels from 1 to 255, not \"0\""},
        {{kDejaVu, "--size", "256"}, 2, "--size must be pixels from 1 to 255"},
        {{kDejaVu}, 2, "--size is needed"},
        {{kDejaVu, "--size", "16", "--bpp", "3"}, 2, "--bpp must be 1, 2, 4 or 8, not \"3\""},
        {{kDejaVu, "--size", "16", "--range", "0x7E-0x20"}, 2, "--range must be code points A-B or A"},
        {{kDejaVu, "--size", "16", "--range", "0x110000"}, 2, "--range must be code points"},
        {{kDejaVu, "--size", "16", "--with", kAwesome}, 2, "--with must be ICONFONT:RANGES"},
        {{kDejaVu, "--size", "16", "--palette", "4"}, 2, "--palette does not apply to font"},
        {{kDejaVu, "--size", "16", "--preview", "p.png"}, 2, "--preview and --text go together"},
        {{"notes.txt", "--size", "16"}, 1, "notes.txt: not a font FreeType can read"},
        {{kPcf, "--size", "16"}, 1, "the font is drawn at 20 pixels only, not at 16"},
        {{kDejaVu, "--size", "16", "--with", kAwesome + ":0xF011,0x41"}, 1, "FontAwesome.otf lacks U+0041 A"},
        {{kDejaVu, "--size", "16", "--chars", "A\xE4\xB8\xAD", "--strict"}, 1, "lacks U+4E2D \xE4\xB8\xAD"},
        {{kDejaVu, "--size", "16", "--chars-from", "missing.c"}, 1, "missing.c: cannot be read"},
        {{kDejaVu, "--size", "16", "--chars-from", "latin1.c"}, 1, "latin1.c: not UTF-8 text (byte 4)"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv{cli, "font"};
        for (const std::string& arg : c.args) argv.push_back(arg.ends_with(".txt") || arg.ends_with(".c") || arg.ends_with(".png") ? path(arg) : arg);
        argv.insert(argv.end(), {"--output", path("out.c"), "--hex", path("out.hex")});
        const auto result = run(argv);
        SCOPED_TRACE(c.message);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find("Try 'quorvane-cli --help'") != std::string::npos, c.status == 2) << result.err;
        EXPECT_FALSE(fs::exists(dir / "out.c") || fs::exists(dir / "out.hex")) << "nothing is written";
    }
}

// Everything written agrees: the array is the raw file, the header's numbers are the font's, icons have
// their strings, the characters of the interface's sources come in, missing ones are named, and the
// depfile names every file read.
TEST_F(CliFont, WritesSourceHeaderRawFilePreviewAndDepfile) {
    std::ofstream(dir / "ui.txt") << "Temp\xC3\xA9rature \xE4\xB8\xAD\n"; // a translation
    const auto result = run({cli, "font", kDejaVu, "--size", "14", "--chars-from", path("ui.txt"), "--with", kAwesome + ":0xF011",
                             "--depth", "16", "--name", "label", "--output", path("label.c"), "--header", path("label.h"), "--hex",
                             path("label.hex"), "--preview", path("label.png"), "--text", "Temp\xC3\xA9rature", "--depfile", path("label.d")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "quorvane-cli: " + kDejaVu + " lacks U+4E2D \xE4\xB8\xAD\n");
    const auto font = bytesOf(path("label.hex"));
    const std::string source = proctest::slurp(path("label.c")), header = proctest::slurp(path("label.h"));
    EXPECT_TRUE(source.starts_with("/* DejaVu Sans Book, 14 px, 4 bits a pixel, from DejaVuSans.ttf: ")) << source.substr(0, 200);
    EXPECT_NE(source.find(" * Copyright (c) 2003 by Bitstream, Inc. All Rights Reserved."), std::string::npos);
    EXPECT_NE(source.find("#include \"label.h\"\n"), std::string::npos);
    std::vector<std::uint8_t> values;
    std::istringstream in(source.substr(source.find("= {") + 3));
    for (int v; in >> v; in.ignore(1)) values.push_back(static_cast<std::uint8_t>(v));
    EXPECT_EQ(values, font) << "the array is the raw file, no closing value";
    const auto info = quorvane::fonts::fontInfo(font);
    ASSERT_TRUE(info);
    for (const std::string& line : {std::string("#define LABEL_SIZE_PX 14\n"), std::string("#define LABEL_BPP 4\n"),
                                    "#define LABEL_LINE_HEIGHT " + std::to_string(info->lineHeight) + "\n",
                                    "#define LABEL_GLYPHS " + std::to_string(info->glyphs) + "\n",
                                    "extern unsigned rom char label[" + std::to_string(font.size()) + "];\n",
                                    std::string("#define LABEL_ICON_OFF \"\\xEF\\x80\\x91\"\n")}) {
        EXPECT_NE(header.find(line), std::string::npos) << line << header;
    }
    EXPECT_EQ(info->glyphs, 11) << "T e m p \xC3\xA9 r a t u space, and the icon";
    const std::string depfile = proctest::slurp(path("label.d"));
    for (const std::string& file : {path("label.c") + ":", kDejaVu, kAwesome, path("ui.txt")}) EXPECT_NE(depfile.find(file), std::string::npos) << depfile;
    EXPECT_TRUE(fs::file_size(path("label.png")) > 0);
}

// What firmware does with the output: the generated source and header compile with the decoder at
// -Wall -Wextra -Werror -pedantic on the host (where it draws the line as the tool does), for a
// Cortex-M0, where the unit that opens the font and draws is at most 2,048 bytes of code, and for an AVR.
TEST_F(CliFont, FirmwareDrawsTheLineInTwoKilobytes) {
    const std::string armGcc = QUORVANE_ARM_GCC, armSize = QUORVANE_ARM_SIZE, avrGcc = QUORVANE_AVR_GCC;
    ASSERT_TRUE(fs::exists(armGcc) && fs::exists(avrGcc)) << "scripts/install-deps.sh installs gcc-arm-none-eabi and gcc-avr";
    ASSERT_EQ(run({cli, "decoder", path("quorvane_decode.h")}).status, 0);
    const std::string unit = std::string(QUORVANE_TEST_DATA) + "/firmware/draws_text.c";
    const std::string text = "Temp\xC3\xA9rature 21 \xEF\x80\x91";
    for (const auto& c : firmwaretest::builds(dir, armGcc, avrGcc)) {
        ASSERT_EQ(run({cli, "font", kDejaVu, "--size", "16", "--target", c.target, "--depth", "16", "--range", "0x20-0x7E", "--chars", "\xC3\xA9",
                       "--with", kAwesome + ":0xF011", "--header", path("label.h"), "--output", path("label.c"), "--hex", path("label.hex")})
                      .status,
                  0);
        const auto built = run(firmwaretest::command(c, dir, unit, path("label.c")));
        ASSERT_EQ(built.status, 0) << c.compiler.front() << ":\n" << built.err;
        if (c.host) {
            const auto drawn = run({path("firmware")});
            ASSERT_EQ(drawn.status, 0);
            const auto expected = quorvane::fonts::drawText(bytesOf(path("label.hex")), text, 0xFFFFFF, 0x102030);
            ASSERT_TRUE(expected);
            EXPECT_EQ(std::vector<std::uint8_t>(drawn.out.begin(), drawn.out.end()), expected->bytes);
        }
    }
    const std::size_t code = proctest::codeBytes(armSize, path("m0.o"));
    EXPECT_GT(code, 0u) << "arm-none-eabi-size reads m0.o";
    EXPECT_LE(code, 2048u);
}

// A monochrome display's font is one bit a pixel unless told otherwise, its preview drawn all the same.
TEST_F(CliFont, MonochromeDisplayDefaults) {
    const struct {
        std::vector<std::string> args;
        int bpp;
    } cases[] = {{{"--display", "ssd1306-128x64"}, 1}, {{"--display", "ssd1306-128x64", "--bpp", "4"}, 4}, {{"--mono"}, 1}};
    for (const auto& c : cases) {
        std::vector<std::string> argv{cli, "font", kDejaVu, "--size", "10", "--chars", "Ab", "--header", path("m.h"), "--output", path("m.c"),
                                      "--preview", path("m.png"), "--text", "Ab"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        const auto result = run(argv);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_NE(proctest::slurp(path("m.h")).find("#define M_BPP " + std::to_string(c.bpp) + "\n"), std::string::npos);
    }
}
