#pragma once
// A font made from a font file: every chosen character rendered by FreeType, its coverage reduced to
// the levels of bpp bits and trimmed to its ink, advanced and kerned as HarfBuzz positions it.

#include "fonts/charset.h"
#include "fonts/face.h"
#include "fonts/fontfile.h"

#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::fonts {

// Characters taken from a second font at the same size: an icon font's.
struct IconSource {
    std::string path;
    std::vector<CodeRange> ranges;
};

struct FontRequest {
    std::string path;
    int sizePx = 16;
    int bpp = 4;
    Hinting hinting = Hinting::Light;
    bool kerning = true;
    bool tabularDigits = false;
    std::vector<char32_t> chars; // sorted, each once
    std::vector<IconSource> icons;
    PixelFormat pixel;
};

struct IconName {
    std::string name; // a C identifier's upper-case words, from the glyph's name in the icon font
    char32_t code = 0;
};

struct BuiltFont {
    std::vector<std::uint8_t> bytes;
    FontData data;
    std::vector<char32_t> missing;     // chosen characters the font lacks, left out
    std::vector<IconName> icons;
    std::vector<std::string> notices;  // the fonts' copyright and licence
    std::vector<std::string> warnings; // a font whose licence forbids embedding it
    std::string family;
};

struct FontFailure {
    std::string message;
};

// Called after each glyph; false stops the work.
using FontProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The characters a font lacks, named: "U+00E9 é, U+4E2D 中", the first `shown` of them and how many more.
std::string missingText(const std::vector<char32_t>& missing, std::size_t shown = 20);

// The level of FreeType's 8-bit coverage v at bpp bits: round(v * (2^bpp - 1) / 255).
int levelOf(int coverage, int bpp);

std::variant<BuiltFont, FontFailure> buildFont(const FontRequest& request, const FontProgress& progress = {});

} // namespace quorvane::fonts
