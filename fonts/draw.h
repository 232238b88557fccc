#pragma once
// A font read by quorvane_decode.h itself, as firmware reads it: what the tool previews and the tests
// check is what the device draws.

#include "codegen/display.h"
#include "fonts/fontfile.h"

#include <cstdint>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvane::fonts {

struct FontInfo {
    int ascent = 0, descent = 0, lineHeight = 0, glyphs = 0;
};

struct DecodedGlyph {
    int x = 0, y = 0, width = 0, height = 0, advance = 0;
    std::vector<std::uint8_t> alpha; // 0 to 255
};

struct DrawnText {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bytes; // what qv_text_read gave
};

std::optional<FontInfo> fontInfo(std::span<const std::uint8_t> font);
std::optional<DecodedGlyph> decodeGlyph(std::span<const std::uint8_t> font, char32_t code);
int fontKerning(std::span<const std::uint8_t> font, char32_t left, char32_t right);
// The line through qv_text_begin and qv_text_read, step bytes a call, at most limit bytes in all;
// nullopt when the font is refused.
std::optional<DrawnText> drawText(std::span<const std::uint8_t> font, const std::string& utf8, std::uint32_t fg, std::uint32_t bg,
                                  std::size_t step = 4096, std::size_t limit = SIZE_MAX);
// What a viewer sees of the drawn line on the panel: its pixels read back and the panel's colour order
// and inversion undone. nullopt when the bytes do not read back as the box.
std::optional<codegen::DisplayedPicture> shownText(const DrawnText& text, const PixelFormat& pixel);

} // namespace quorvane::fonts
