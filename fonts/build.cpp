#include "fonts/build.h"

#include "codegen/imagename.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace quorvane::fonts {
namespace {

// The glyph's levels, its box shrunk to the pixels that have ink at this many bits.
FontGlyph trimmed(char32_t code, const Coverage& c, int advance, int bpp) {
    FontGlyph g;
    g.code = code;
    g.advance = advance;
    int left = c.width, right = -1, top = c.height, bottom = -1;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            if (levelOf(c.values[static_cast<std::size_t>(y * c.width + x)], bpp) == 0) continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return g;
    g.x = c.x + left;
    g.y = c.y + top;
    g.width = right - left + 1;
    g.height = bottom - top + 1;
    for (int y = top; y <= bottom; ++y) {
        for (int x = left; x <= right; ++x) g.levels.push_back(static_cast<std::uint8_t>(levelOf(c.values[static_cast<std::size_t>(y * c.width + x)], bpp)));
    }
    return g;
}

std::variant<FontGlyph, FontFailure> glyphOf(const Face& face, char32_t code, int bpp, const std::string& fontName) {
    const unsigned index = face.glyphIndex(code);
    auto coverage = face.render(index);
    if (const auto* error = std::get_if<FaceError>(&coverage)) return FontFailure{fontName + ": " + describe(code) + ": " + error->message};
    return trimmed(code, std::get<Coverage>(coverage), face.advance(index), bpp);
}

// 0 to 9 on the widest digit's advance, each centred in it, and no kerning that would move them.
void makeDigitsTabular(FontData& font) {
    int widest = 0;
    for (const FontGlyph& g : font.glyphs) {
        if (g.code >= '0' && g.code <= '9') widest = std::max(widest, g.advance);
    }
    for (FontGlyph& g : font.glyphs) {
        if (g.code < '0' || g.code > '9') continue;
        g.x += ((widest - g.advance) / 2 + 32) >> 6;
        g.advance = widest;
    }
    const auto digit = [](char32_t c) { return c >= '0' && c <= '9'; };
    std::erase_if(font.pairs, [&](const KernPair& p) { return digit(p.left) || digit(p.right); });
}

std::string iconName(const Face& face, char32_t code) {
    const std::string name = face.glyphName(face.glyphIndex(code));
    char fallback[16];
    std::snprintf(fallback, sizeof fallback, "U%04X", static_cast<unsigned>(code));
    return codegen::upperCase(codegen::cIdentifier(name.empty() ? fallback : name));
}

} // namespace

std::string missingText(const std::vector<char32_t>& missing, std::size_t shown) {
    std::string text;
    for (std::size_t i = 0; i < missing.size() && i < shown; ++i) text += (i ? ", " : "") + describe(missing[i]);
    if (missing.size() > shown) text += " and " + std::to_string(missing.size() - shown) + " more";
    return text;
}

int levelOf(int coverage, int bpp) {
    const int top = (1 << bpp) - 1;
    return (coverage * top + 127) / 255;
}

std::variant<BuiltFont, FontFailure> buildFont(const FontRequest& request, const FontProgress& progress) {
    const bool mono = request.bpp == 1;
    auto opened = Face::open(request.path, request.sizePx, request.hinting, mono);
    if (const auto* error = std::get_if<FaceError>(&opened)) return FontFailure{request.path + ": " + error->message};
    const Face& face = std::get<Face>(opened);

    BuiltFont built;
    built.family = face.familyName();
    built.notices = face.notices();
    if (face.embeddingRestricted()) built.warnings.push_back(request.path + ": the font's licence does not allow embedding it");
    FontData& font = built.data;
    font.bpp = request.bpp;
    font.ascent = face.ascent();
    font.descent = face.descent();
    font.pixel = request.pixel;

    // The icon fonts' characters first: they take the place of the main font's.
    std::set<char32_t> iconCodes;
    std::vector<FontGlyph> glyphs;
    std::size_t total = request.chars.size(), done = 0;
    for (const IconSource& source : request.icons) {
        auto iconOpened = Face::open(source.path, request.sizePx, request.hinting, mono);
        if (const auto* error = std::get_if<FaceError>(&iconOpened)) return FontFailure{source.path + ": " + error->message};
        const Face& icons = std::get<Face>(iconOpened);
        for (const std::string& notice : icons.notices()) built.notices.push_back(notice);
        if (icons.embeddingRestricted()) built.warnings.push_back(source.path + ": the font's licence does not allow embedding it");
        for (const CodeRange& range : source.ranges) {
            for (char32_t c = range.first; c <= range.last; ++c) {
                if (!icons.glyphIndex(c)) return FontFailure{source.path + " lacks " + describe(c)};
                if (!iconCodes.insert(c).second) continue;
                auto glyph = glyphOf(icons, c, request.bpp, source.path);
                if (auto* failure = std::get_if<FontFailure>(&glyph)) return std::move(*failure);
                glyphs.push_back(std::move(std::get<FontGlyph>(glyph)));
                built.icons.push_back({iconName(icons, c), c});
            }
        }
    }
    std::vector<char32_t> kerned;
    for (const char32_t c : request.chars) {
        if (progress && !progress(done++, total)) return FontFailure{"cancelled"};
        if (iconCodes.contains(c)) continue;
        if (!face.glyphIndex(c)) {
            built.missing.push_back(c);
            continue;
        }
        auto glyph = glyphOf(face, c, request.bpp, request.path);
        if (auto* failure = std::get_if<FontFailure>(&glyph)) return std::move(*failure);
        glyphs.push_back(std::move(std::get<FontGlyph>(glyph)));
        kerned.push_back(c);
    }
    std::sort(glyphs.begin(), glyphs.end(), [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    font.glyphs = std::move(glyphs);
    if (request.kerning) font.pairs = kerningPairs(face, kerned);
    if (request.tabularDigits) makeDigitsTabular(font);

    // Icons named alike (or named as another's) get _2, _3.
    std::set<std::string> names;
    for (IconName& icon : built.icons) {
        std::string name = icon.name;
        for (int n = 2; !names.insert(name).second; ++n) name = icon.name + "_" + std::to_string(n);
        icon.name = name;
    }
    try {
        built.bytes = encodeFont(font);
    } catch (const FieldOverflow& e) {
        return FontFailure{e.what()};
    }
    return built;
}

} // namespace quorvane::fonts
