// Fonts made from Debian's font files and read back by the shipped decoder, against what FreeType and
// HarfBuzz make of the same fonts in the test itself, and against the picture road's own packing.
#include "codegen/panel.h"
#include "codegen/reduce.h"
#include "codegen/storage.h"
#include "fonts/build.h"
#include "fonts/draw.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <map>

using namespace quorvane;
using fonts::FontRequest;
using fonts::Hinting;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const std::string kWenQuanYi = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"; // a collection; kerns in GPOS only
const std::string kLiberation = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const std::string kAwesome = "/usr/share/fonts/opentype/font-awesome/FontAwesome.otf";
const std::string kPcf = "/usr/share/fonts/X11/misc/10x20-ISO8859-1.pcf.gz";

std::vector<char32_t> codes(std::u32string_view text) {
    std::vector<char32_t> chars(text.begin(), text.end());
    std::sort(chars.begin(), chars.end());
    chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
    return chars;
}

fonts::BuiltFont build(FontRequest request) {
    auto built = fonts::buildFont(request);
    if (auto* failure = std::get_if<fonts::FontFailure>(&built)) ADD_FAILURE() << failure->message;
    return std::get<fonts::BuiltFont>(std::move(built));
}

FT_Int32 loadFlags(Hinting hinting) {
    return hinting == Hinting::None ? FT_LOAD_NO_HINTING : hinting == Hinting::Light ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_NORMAL;
}

// FreeType and HarfBuzz opened by the test, as a font's user would: the reference for what the tool made.
class Reference {
  public:
    Reference(const std::string& path, int size, Hinting hinting, int bpp) : flags_(loadFlags(hinting)), bpp_(bpp) {
        FT_Init_FreeType(&library_);
        EXPECT_EQ(FT_New_Face(library_, path.c_str(), 0, &face_), 0) << path;
        if (FT_IS_SCALABLE(face_)) FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size));
        else FT_Select_Size(face_, 0);
        font_ = hb_ft_font_create_referenced(face_);
        hb_ft_font_set_load_flags(font_, flags_);
    }
    ~Reference() {
        hb_font_destroy(font_);
        FT_Done_Face(face_);
        FT_Done_FreeType(library_);
    }
    bool has(char32_t c) const { return FT_Get_Char_Index(face_, c) != 0; }

    // The glyph's coverage as alpha at its level's bits, by pixel from the pen on the baseline.
    std::map<std::pair<int, int>, int> alpha(char32_t c) const {
        FT_Load_Glyph(face_, FT_Get_Char_Index(face_, c), flags_);
        if (face_->glyph->format != FT_GLYPH_FORMAT_BITMAP) FT_Render_Glyph(face_->glyph, bpp_ == 1 ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL);
        const FT_Bitmap& b = face_->glyph->bitmap;
        std::map<std::pair<int, int>, int> pixels;
        const int top = (1 << bpp_) - 1;
        for (unsigned y = 0; y < b.rows; ++y) {
            for (unsigned x = 0; x < b.width; ++x) {
                const unsigned char* row = b.buffer + static_cast<int>(y) * b.pitch;
                const int v = b.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255 : row[x];
                const int level = (v * top + 127) / 255;
                if (level) pixels[{face_->glyph->bitmap_left + static_cast<int>(x), static_cast<int>(y) - face_->glyph->bitmap_top}] = level * 255 / top;
            }
        }
        return pixels;
    }
    // The pen's position, 1/64 pixel, before each character of the text as HarfBuzz shapes it, and at its end.
    std::vector<int> pens(std::u32string_view text, bool kerning = true) const {
        hb_buffer_t* buffer = hb_buffer_create();
        hb_buffer_add_utf32(buffer, reinterpret_cast<const std::uint32_t*>(text.data()), static_cast<int>(text.size()), 0, -1);
        hb_buffer_guess_segment_properties(buffer);
        const hb_feature_t features[] = {{HB_TAG('k', 'e', 'r', 'n'), kerning ? 1u : 0u, 0, ~0u}, {HB_TAG('l', 'i', 'g', 'a'), 0, 0, ~0u},
                                         {HB_TAG('c', 'l', 'i', 'g'), 0, 0, ~0u}};
        hb_shape(font_, buffer, features, 3);
        unsigned n = 0;
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer, &n);
        std::vector<int> pens;
        int pen = 0;
        for (unsigned i = 0; i < n; ++i) {
            pens.push_back(pen + pos[i].x_offset);
            pen += pos[i].x_advance;
        }
        pens.push_back(pen);
        hb_buffer_destroy(buffer);
        return pens;
    }
    int ascent() const { return static_cast<int>((face_->size->metrics.ascender + 63) >> 6); }

  private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    hb_font_t* font_ = nullptr;
    FT_Int32 flags_;
    int bpp_;
};

} // namespace

// Every glyph the decoder reads back is FreeType's own rendering at those settings, level for level (bit
// for bit at 1 bpp), with HarfBuzz's advance.
TEST(Fonts, GlyphsAreFreeTypesRendering) {
    const struct {
        std::string path;
        int size, bpp;
        Hinting hinting;
    } cases[] = {
        {kDejaVu, 16, 4, Hinting::Light}, {kDejaVu, 12, 1, Hinting::Full}, {kDejaVu, 24, 2, Hinting::None},
        {kLiberation, 13, 8, Hinting::Light}, {kPcf, 20, 1, Hinting::Light}, {kAwesome, 16, 4, Hinting::Full},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " " + std::to_string(c.size) + " px " + std::to_string(c.bpp) + " bpp");
        const auto chars = c.path == kAwesome ? codes(U"\uF011\uF0E7\uF0E8\uF240") : codes(U" !AVWaegjy.,@{}~\u00E9\u00C5");
        const auto font = build({.path = c.path, .sizePx = c.size, .bpp = c.bpp, .hinting = c.hinting, .chars = chars});
        const Reference reference(c.path, c.size, c.hinting, c.bpp);
        ASSERT_EQ(fonts::fontInfo(font.bytes)->glyphs, static_cast<int>(chars.size()));
        for (const char32_t ch : chars) {
            const auto glyph = fonts::decodeGlyph(font.bytes, ch);
            ASSERT_TRUE(glyph) << fonts::describe(ch);
            std::map<std::pair<int, int>, int> decoded;
            for (int y = 0; y < glyph->height; ++y) {
                for (int x = 0; x < glyph->width; ++x) {
                    const int a = glyph->alpha[static_cast<std::size_t>(y * glyph->width + x)];
                    if (a) decoded[{glyph->x + x, glyph->y + y}] = a;
                }
            }
            EXPECT_EQ(decoded, reference.alpha(ch)) << fonts::describe(ch);
            EXPECT_EQ(glyph->advance, reference.pens(std::u32string(1, ch), false).back()) << fonts::describe(ch);
        }
    }
}

// The decoder finds exactly the characters chosen: dense and sparse ones, above U+FFFF, runs longer than
// a range holds, an icon font's; those the font lacks are named and left out.
TEST(Fonts, CharacterMaps) {
    const std::vector<char32_t> cyrillic = [] {
        std::vector<char32_t> chars;
        for (char32_t c = 0x400; c <= 0x52F; ++c) chars.push_back(c); // 304 in a row: more than one range
        return chars;
    }();
    const struct {
        std::string name;
        std::vector<char32_t> chars;
        std::vector<fonts::IconSource> icons;
        std::vector<char32_t> absent; // never in the font made, though some are in the font file
    } cases[] = {
        {"dense", fonts::printableAscii(), {}, {0x1F, 0x7F, 0xA0}},
        {"sparse, above U+FFFF", codes(U"A\u00E9\u20AC\U0001D538\U0001F600\u4E00"), {}, {'B', 0x1D537, 0x1D539, 0x1F601, 0x20AB}},
        {"long run", cyrillic, {}, {0x3FF, 0x530}},
        {"icons merged", codes(U"ab"), {{kAwesome, {{0xF011, 0xF011}, {0xF0E7, 0xF0E9}}}}, {0xF010, 0xF012, 0xF0E6, 0xF0EA, 'c'}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto font = build({.path = kDejaVu, .sizePx = 14, .chars = c.chars, .icons = c.icons});
        const Reference dejavu(kDejaVu, 14, Hinting::Light, 4);
        std::vector<char32_t> missing;
        for (const char32_t ch : c.chars) {
            if (!dejavu.has(ch)) {
                missing.push_back(ch);
            } else {
                EXPECT_TRUE(fonts::decodeGlyph(font.bytes, ch)) << fonts::describe(ch);
            }
        }
        EXPECT_EQ(font.missing, missing);
        for (const auto& icons : c.icons) {
            for (const auto& range : icons.ranges) {
                for (char32_t ch = range.first; ch <= range.last; ++ch) EXPECT_TRUE(fonts::decodeGlyph(font.bytes, ch));
            }
        }
        for (const char32_t ch : c.absent) EXPECT_FALSE(fonts::decodeGlyph(font.bytes, ch)) << fonts::describe(ch);
        for (const char32_t ch : missing) EXPECT_FALSE(fonts::decodeGlyph(font.bytes, ch)) << fonts::describe(ch);
    }
    // A range of thousands the font lacks is named in a line, not thousands.
    std::vector<char32_t> many(22, 0x4E00);
    many[0] = 0xE9;
    const std::string named = fonts::missingText(many);
    EXPECT_TRUE(named.starts_with("U+00E9 \u00E9, U+4E00 \u4E00, ")) << named;
    EXPECT_TRUE(named.ends_with(", U+4E00 \u4E00 and 2 more")) << named;
}

// Kerning as HarfBuzz applies it between two characters, from a font that keeps it in a 'kern' table and
// GPOS and from one that keeps it in GPOS only; none with --kerning off.
TEST(Fonts, KerningPairsAreHarfBuzzs) {
    for (const std::string& path : {kDejaVu, kWenQuanYi, kLiberation}) {
        SCOPED_TRACE(path);
        const auto chars = codes(U"AVTor.y,");
        const auto font = build({.path = path, .sizePx = 20, .chars = chars});
        const auto off = build({.path = path, .sizePx = 20, .kerning = false, .chars = chars});
        const Reference reference(path, 20, Hinting::Light, 4);
        int kerned = 0;
        for (const std::u32string pair : {U"AV", U"To", U"r.", U"Ty", U"VA", U"oo"}) {
            const auto pens = reference.pens(pair);
            const int expected = pens[1] - reference.pens(pair.substr(0, 1)).back();
            EXPECT_EQ(fonts::fontKerning(font.bytes, pair[0], pair[1]), expected) << fonts::describe(pair[0]) << fonts::describe(pair[1]);
            EXPECT_EQ(fonts::fontKerning(off.bytes, pair[0], pair[1]), 0);
            kerned += expected != 0;
        }
        EXPECT_GE(kerned, 2) << "a font that kerns none of these pairs tests nothing";
    }
}

namespace {

struct Style {
    std::string name;
    fonts::PixelFormat pixel;
    int bpp = 4;
};

// The line as the test draws it: HarfBuzz's pens, each glyph at its pen rounded half up, the larger
// coverage where two overlap, the colours blended per channel, then the picture road's own reduction
// and packing (or its mono bits and layout).
std::vector<std::uint8_t> composed(const Reference& reference, std::u32string_view text, const fonts::FontInfo& info, const Style& style,
                                   std::uint32_t fg, std::uint32_t bg, int& width) {
    const auto pens = reference.pens(text);
    width = std::max(0, (pens.back() + 63) / 64);
    const codegen::PictureSize size{width, info.lineHeight};
    std::vector<int> alpha(size.pixels(), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int origin = static_cast<int>(std::floor((pens[i] + 32) / 64.0));
        for (const auto& [at, a] : reference.alpha(text[i])) {
            const int x = origin + at.first, y = info.ascent + at.second;
            if (x < 0 || x >= size.width || y < 0 || y >= size.height) continue;
            int& cell = alpha[static_cast<std::size_t>(y * size.width + x)];
            cell = std::max(cell, a);
        }
    }
    std::vector<std::int32_t> components;
    for (const int a : alpha) {
        for (const int shift : {16, 8, 0}) {
            const int f = (fg >> shift) & 255, b = (bg >> shift) & 255;
            components.push_back((f * a + b * (255 - a) + 127) / 255);
        }
    }
    codegen::PanelOptions panel;
    panel.bgr = style.pixel.bgr;
    panel.invert = style.pixel.invert;
    components = codegen::toPanel(components, size, panel);
    if (style.pixel.mono) {
        codegen::PictureSize pages = size;
        if (style.pixel.monoLayout == codegen::MonoLayout::Pages) {
            pages.height = (size.height + 7) / 8 * 8;
            components.resize(3 * pages.pixels(), 0); // the extra rows unlit
        }
        return codegen::monoBytes(codegen::monoBits(components, pages, codegen::Dither::None), pages, style.pixel.monoLayout);
    }
    const auto packed = codegen::packParts(codegen::reduceComponents(components, style.pixel.depth), style.pixel.depth, style.pixel.byteOrder);
    const std::size_t bytes = (size.pixels() * static_cast<std::size_t>(codegen::colorFormat(style.pixel.depth).bitsPerPixel()) + 7) / 8;
    return {packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(bytes)}; // without the packing's value past the data
}

} // namespace

// A line drawn by qv_text_read is the line the test composes from FreeType's bitmaps and HarfBuzz's pens,
// at every depth and in every mono layout, odd widths included, read a few bytes at a time or whole.
TEST(Fonts, LinesAreDrawnAsPicturesArePacked) {
    using codegen::ByteOrder;
    using codegen::Depth;
    using codegen::MonoLayout;
    const Style styles[] = {
        {"8", {Depth::Bits8}},
        {"12", {Depth::Bits12}, 2},
        {"16 little bgr", {Depth::Bits16, ByteOrder::Little, true}},
        {"16 inverted", {Depth::Bits16, ByteOrder::Big, false, true}, 8},
        {"18", {Depth::Bits18}},
        {"24", {Depth::Bits24}, 1},
        {"mono rows", {.mono = true, .monoLayout = MonoLayout::Rows}, 1},
        {"mono rows-lsb", {.mono = true, .monoLayout = MonoLayout::RowsLsb}, 4},
        {"mono pages", {.mono = true, .monoLayout = MonoLayout::Pages}, 1},
    };
    const std::u32string texts[] = {U"AVATAR To,", U"Wy", U"j"};
    for (const Style& style : styles) {
        SCOPED_TRACE(style.name);
        const auto font = build({.path = kDejaVu, .sizePx = 15, .bpp = style.bpp, .chars = codes(U"AVTRo, Wyj"), .pixel = style.pixel});
        const Reference reference(kDejaVu, 15, Hinting::Light, style.bpp);
        const auto info = fonts::fontInfo(font.bytes);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->ascent, reference.ascent());
        for (const std::u32string& text : texts) {
            std::string utf8;
            for (const char32_t c : text) utf8 += fonts::utf8(c);
            int width = 0;
            const auto expected = composed(reference, text, *info, style, 0xF0E0D0, 0x102030, width);
            for (const std::size_t step : {std::size_t{3}, std::size_t{4096}}) {
                const auto drawn = fonts::drawText(font.bytes, utf8, 0xF0E0D0, 0x102030, step);
                ASSERT_TRUE(drawn);
                EXPECT_EQ(drawn->width, width) << utf8;
                EXPECT_EQ(drawn->height, info->lineHeight);
                EXPECT_EQ(drawn->bytes, expected) << utf8 << ", " << step << " bytes a read";
            }
        }
    }
}

// Text drawn over older text leaves nothing of it: "11" over "88" on tabular digits, the whole box
// written; a character the font lacks or a malformed byte takes no space; the text ends at its NUL.
TEST(Fonts, RedrawingAndWhatTakesNoSpace) {
    const auto font = build({.path = kLiberation, .sizePx = 18, .tabularDigits = true, .chars = codes(U"18AV"),
                             .pixel = {codegen::Depth::Bits16}});
    const auto eights = fonts::drawText(font.bytes, "88", 0xFFFFFF, 0), ones = fonts::drawText(font.bytes, "11", 0xFFFFFF, 0);
    ASSERT_TRUE(eights && ones);
    ASSERT_EQ(ones->width, eights->width) << "tabular digits: one box for any number";
    std::vector<std::uint8_t> panel = eights->bytes;
    std::copy(ones->bytes.begin(), ones->bytes.end(), panel.begin());
    EXPECT_EQ(panel, ones->bytes);
    EXPECT_NE(ones->bytes, eights->bytes);

    const auto widthOf = [&](const std::string& text) { return fonts::drawText(font.bytes, text, 0xFFFFFF, 0)->width; };
    EXPECT_EQ(widthOf("A\xFFV"), widthOf("AV"));
    EXPECT_EQ(widthOf("A\xE4\xB8\xADV"), widthOf("AV")) << "U+4E2D, which the font lacks";
    EXPECT_EQ(widthOf("A\xE4\xB8V"), widthOf("AV")) << "a sequence cut short";
    EXPECT_EQ(widthOf(std::string("A\0V", 3)), widthOf("A"));
    EXPECT_EQ(fonts::drawText(font.bytes, "", 0xFFFFFF, 0)->bytes.size(), 0u);
}

// Each field at the largest value it holds reads back; one past it is refused, naming the glyph and the
// field, never wrapped.
TEST(Fonts, FieldLimits) {
    const auto fontWith = [](fonts::FontGlyph g, int ascent) {
        fonts::FontData font;
        font.ascent = ascent;
        font.descent = 3;
        g.code = 'A';
        g.levels.assign(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height), 15);
        font.glyphs.push_back(g);
        return font;
    };
    const struct {
        std::string field;
        fonts::FontGlyph largest, past;
        int ascent = 10, ascentPast = 10;
    } cases[] = {
        {"box width", {.width = 255, .height = 2}, {.width = 256, .height = 2}},
        {"box height", {.width = 2, .height = 255}, {.width = 2, .height = 256}},
        {"advance", {.advance = 65535}, {.advance = 65536}},
        {"box position", {.x = 32767, .y = -32768, .width = 1, .height = 1}, {.x = 32768, .width = 1, .height = 1}},
        {"ascent", {.width = 1, .height = 1}, {.width = 1, .height = 1}, 255, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const auto bytes = fonts::encodeFont(fontWith(c.largest, c.ascent));
        const auto glyph = fonts::decodeGlyph(bytes, 'A');
        ASSERT_TRUE(glyph);
        EXPECT_EQ(std::tie(glyph->x, glyph->y, glyph->width, glyph->height, glyph->advance),
                  std::tie(c.largest.x, c.largest.y, c.largest.width, c.largest.height, c.largest.advance));
        EXPECT_EQ(std::count(glyph->alpha.begin(), glyph->alpha.end(), 255), static_cast<long>(glyph->alpha.size()));
        EXPECT_EQ(fonts::fontInfo(bytes)->ascent, c.ascent);
        try {
            (void)fonts::encodeFont(fontWith(c.past, c.ascentPast));
            ADD_FAILURE() << "one past the largest was stored";
        } catch (const fonts::FieldOverflow& e) {
            EXPECT_NE(std::string(e.what()).find(c.field), std::string::npos) << e.what();
            if (c.field != "ascent") {
                EXPECT_NE(std::string(e.what()).find("U+0041 A"), std::string::npos) << e.what();
            }
        }
    }
    fonts::FontData many;
    for (char32_t c = 0; c < 65535; ++c) many.glyphs.push_back({.code = 0x10000 + c});
    EXPECT_TRUE(fonts::decodeGlyph(fonts::encodeFont(many), 0x10000 + 65534)) << "65,535 glyphs, the most a font holds";
    many.glyphs.push_back({.code = 0x10000 + 65535});
    EXPECT_THROW((void)fonts::encodeFont(many), fonts::FieldOverflow);
}
