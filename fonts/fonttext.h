#pragma once
// The font as C source and header for the firmware project.

#include "codegen/arraytext.h"
#include "fonts/build.h"

#include <string>
#include <string_view>

namespace quorvane::fonts {

// What the source's opening comment says of the font.
struct FontDescription {
    std::string file;   // the font file's name, without its folder
    int sizePx = 0;
};

// The array of the font's bytes, exactly (sizeof NAME is the font's length), after a comment that names
// the font and copies its copyright and licence.
codegen::ArrayText fontSource(std::string_view identifier, codegen::Target target, const BuiltFont& font,
                              const FontDescription& description, const codegen::TextLayout& layout);

// An include guard, quorvane_decode.h, the array declared extern, NAME_SIZE_PX, NAME_BPP,
// NAME_LINE_HEIGHT, NAME_GLYPHS and a UTF-8 string NAME_ICON_<GLYPH> for each icon.
std::string fontHeader(std::string_view headerName, std::string_view identifier, codegen::Target target, const BuiltFont& font,
                       int sizePx);

} // namespace quorvane::fonts
