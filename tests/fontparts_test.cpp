// The parts of a font conversion that are not FreeType's or HarfBuzz's: the characters named on the
// command line and in files, the source's and header's text, and what the choices do to the array.
#include "fonts/build.h"
#include "fonts/charset.h"
#include "fonts/draw.h"
#include "fonts/fonttext.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace quorvane;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

} // namespace

TEST(FontParts, RangesParseOrRefuse) {
    const struct {
        std::string text;
        std::optional<std::pair<char32_t, char32_t>> range;
    } cases[] = {
        {"0x20-0x7E", std::pair{U' ', U'~'}}, {"65-90", std::pair{U'A', U'Z'}}, {"0X41", std::pair{U'A', U'A'}},
        {"0x10FFFF", std::pair{char32_t{0x10FFFF}, char32_t{0x10FFFF}}}, {"0x110000", std::nullopt}, {"0x7E-0x20", std::nullopt},
        {"0x", std::nullopt}, {"", std::nullopt}, {"-5", std::nullopt}, {"12a", std::nullopt}, {"0x41-", std::nullopt},
        {" 65", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto range = fonts::parseRange(c.text);
        EXPECT_EQ(range.has_value(), c.range.has_value()) << c.text;
        if (range && c.range) {
            EXPECT_EQ(std::pair(range->first, range->last), *c.range) << c.text;
        }
    }
    EXPECT_EQ(fonts::parseRanges("0xF011,0xF0E7-0xF0E9")->size(), 2u);
    EXPECT_FALSE(fonts::parseRanges("0xF011,,0x41"));
}

// UTF-8 is taken strictly: what a file of the interface's strings holds, or the first byte that is not.
TEST(FontParts, Utf8AndTheCharactersGathered) {
    const struct {
        std::string text;
        std::u32string decoded;
        std::optional<std::size_t> bad;
    } cases[] = {
        {"A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", U"A\u00E9\u4E2D\U0001F600", std::nullopt},
        {"A\xC0\x80", U"A", 1},        // an overlong NUL
        {"\xED\xA0\x80", U"", 0},      // a surrogate
        {"ab\xE4\xB8", U"ab", 2},      // cut short
        {"\x80", U"", 0},              // a continuation alone
        {"\xF4\x90\x80\x80", U"", 0},  // past U+10FFFF
    };
    for (const auto& c : cases) {
        const auto decoded = fonts::decodeUtf8(c.text);
        EXPECT_EQ(decoded.text, c.decoded);
        EXPECT_EQ(decoded.badByte, c.bad);
    }

    const tempdir::TempDir temp("fontparts");
    std::ofstream(temp / "ui.c") << "\tA\xC3\xA9\r\n";
    std::ofstream(temp / "latin1.c", std::ios::binary) << "Temp\xE9";
    const auto chars = [&](std::vector<fonts::CodeRange> ranges, std::vector<std::string> texts, std::vector<std::string> files) {
        return fonts::gatherCharacters(ranges, texts, files);
    };
    EXPECT_EQ(std::get<std::vector<char32_t>>(chars({}, {}, {})), fonts::printableAscii());
    EXPECT_EQ(std::get<std::vector<char32_t>>(chars({{'B', 'C'}}, {"CA\x7F"}, {(temp / "ui.c").string()})),
              (std::vector<char32_t>{'A', 'B', 'C', 0xE9}))
        << "each once, in order, controls aside";
    EXPECT_EQ(std::get<std::string>(chars({}, {}, {(temp / "latin1.c").string()})), (temp / "latin1.c").string() + ": not UTF-8 text (byte 4)");
    EXPECT_EQ(std::get<std::string>(chars({}, {}, {temp.path().string()})), temp.path().string() + ": cannot be read");
}

// The source's comment carries the notices without letting one end it; the header's guard steps aside
// from the names it defines; an icon's string is its UTF-8 bytes escaped.
TEST(FontParts, SourceAndHeaderText) {
    fonts::BuiltFont font;
    font.data.bpp = 2;
    font.data.ascent = 10;
    font.data.descent = 3;
    font.data.glyphs.push_back({.code = 'A'});
    font.bytes = {1, 2, 3};
    font.family = "Test Sans";
    font.notices = {"Copyright */ 2026\nline two", "Licence"};
    font.icons = {{"OFF", 0xF011}};
    const std::string source = fonts::fontSource("test", codegen::Target::Arm, font, {"test.ttf", 12}, {}).joined("\n");
    EXPECT_TRUE(source.starts_with("/* Test Sans, 12 px, 2 bits a pixel, from test.ttf: 1 glyphs, 0 kerning pairs, 3 bytes.\n *\n"
                                   " * Copyright * / 2026\n * line two\n *\n * Licence\n */\n"))
        << source;
    EXPECT_NE(source.find("const unsigned char test[3] = {\n1,2,3\n};"), std::string::npos) << source;
    EXPECT_TRUE(fonts::fontHeader("test_bpp", "test", codegen::Target::Arm, font, 12).starts_with("#ifndef TEST_BPP_INCLUDED\n"))
        << "TEST_BPP is a name the header defines";
    const std::string header = fonts::fontHeader("test.h", "test", codegen::Target::Avr, font, 12);
    EXPECT_TRUE(header.starts_with("#ifndef TEST_H\n")) << header;
    for (const char* line : {"#define TEST_SIZE_PX 12\n", "#define TEST_BPP 2\n", "#define TEST_LINE_HEIGHT 13\n", "#define TEST_GLYPHS 1\n",
                             "#include <avr/pgmspace.h>\n", "#define TEST_ICON_OFF \"\\xEF\\x80\\x91\"\n"}) {
        EXPECT_NE(header.find(line), std::string::npos) << line << header;
    }
}

// Tabular digits share the widest digit's advance and lose the kerning that would move them.
TEST(FontParts, TabularDigits) {
    fonts::FontRequest request;
    request.path = kDejaVu;
    request.sizePx = 17;
    request.chars = {'1', '4', '7', 'A', 'T', 'V'};
    request.tabularDigits = true;
    const auto font = std::get<fonts::BuiltFont>(fonts::buildFont(request));
    std::set<int> advances;
    for (const char32_t c : {U'1', U'4', U'7'}) advances.insert(fonts::decodeGlyph(font.bytes, c)->advance);
    EXPECT_EQ(advances.size(), 1u);
    const auto digit = [](char32_t c) { return c >= '0' && c <= '9'; };
    for (const auto& pair : font.data.pairs) EXPECT_FALSE(digit(pair.left) || digit(pair.right)) << fonts::describe(pair.left);
    EXPECT_NE(fonts::fontKerning(font.bytes, 'A', 'V'), 0) << "letters keep theirs";
}

// Kerning between glyphs past the 256th, with values wider than a byte and of both signs, and a glyph
// with no pairs between two that have them: each pair found, none invented.
TEST(FontParts, KerningAcrossManyGlyphs) {
    fonts::FontData font;
    font.ascent = 8;
    for (char32_t c = 0; c < 300; ++c) font.glyphs.push_back({.code = 0x100 + c, .advance = 640});
    const std::vector<fonts::KernPair> pairs{{0x100, 0x100 + 299, -20000}, {0x100, 0x100 + 5, 7}, {0x100 + 2, 0x100, 31000},
                                             {0x100 + 299, 0x100 + 298, -1}};
    font.pairs = pairs;
    const auto bytes = fonts::encodeFont(font);
    for (const auto& pair : pairs) EXPECT_EQ(fonts::fontKerning(bytes, pair.left, pair.right), pair.value) << fonts::describe(pair.right);
    for (const auto& [left, right] : std::vector<std::pair<char32_t, char32_t>>{{0x101, 0x100}, {0x100, 0x104}, {0x100 + 299, 0x100}, {0x100, 0x99}}) {
        EXPECT_EQ(fonts::fontKerning(bytes, left, right), 0) << fonts::describe(left) << fonts::describe(right);
    }
    font.pairs.push_back({0x100 + 299, 0x100 + 299, 32768});
    EXPECT_THROW((void)fonts::encodeFont(font), fonts::FieldOverflow);
}
