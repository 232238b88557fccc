#include "fonts/draw.h"

#include "codegen/panel.h"
#include "codegen/rawfile.h"
#include "fonts/drawrun.h"

namespace quorvane::fonts {
namespace {

std::uint32_t sizeOf(std::span<const std::uint8_t> font) { return static_cast<std::uint32_t>(std::min<std::size_t>(font.size(), UINT32_MAX)); }

} // namespace

std::optional<FontInfo> fontInfo(std::span<const std::uint8_t> font) {
    std::uint32_t info[4];
    if (!quorvane_font_info(font.data(), sizeOf(font), info)) return std::nullopt;
    return FontInfo{static_cast<int>(info[0]), static_cast<int>(info[1]), static_cast<int>(info[2]), static_cast<int>(info[3])};
}

std::optional<DecodedGlyph> decodeGlyph(std::span<const std::uint8_t> font, char32_t code) {
    std::int32_t box[5];
    if (!quorvane_font_glyph(font.data(), sizeOf(font), code, box, nullptr)) return std::nullopt;
    DecodedGlyph g{box[0], box[1], box[2], box[3], box[4], {}};
    g.alpha.resize(static_cast<std::size_t>(g.width) * static_cast<std::size_t>(g.height));
    quorvane_font_glyph(font.data(), sizeOf(font), code, box, g.alpha.data());
    return g;
}

int fontKerning(std::span<const std::uint8_t> font, char32_t left, char32_t right) {
    return quorvane_font_kerning(font.data(), sizeOf(font), left, right);
}

std::optional<DrawnText> drawText(std::span<const std::uint8_t> font, const std::string& utf8, std::uint32_t fg, std::uint32_t bg,
                                  std::size_t step, std::size_t limit) {
    DrawnText drawn;
    std::uint16_t box[2];
    const auto sink = [](void* to, const unsigned char* bytes, std::size_t n) {
        auto& out = *static_cast<std::vector<std::uint8_t>*>(to);
        out.insert(out.end(), bytes, bytes + n);
    };
    if (!quorvane_font_text(font.data(), sizeOf(font), utf8.c_str(), fg, bg, box, sink, &drawn.bytes, step, limit)) return std::nullopt;
    drawn.width = box[0];
    drawn.height = box[1];
    return drawn;
}

std::optional<codegen::DisplayedPicture> shownText(const DrawnText& text, const PixelFormat& pixel) {
    if (text.width == 0 || text.height == 0) return codegen::DisplayedPicture{text.width, text.height, {}};
    codegen::Storage stream;
    stream.mono = pixel.mono;
    stream.monoLayout = pixel.monoLayout;
    const codegen::RawLayout layout{pixel.depth, pixel.byteOrder, codegen::SizeHeader::None, stream};
    const codegen::PictureSize size{text.width, text.height};
    const auto decoded = codegen::decodeRawFile(text.bytes, layout, size);
    if (!decoded || decoded->width != text.width || decoded->height != text.height) return std::nullopt;
    codegen::PanelOptions panel;
    panel.bgr = pixel.bgr;
    panel.invert = pixel.invert;
    const std::vector<std::uint8_t> levels = codegen::displayedComponents(decoded->parts, pixel.depth);
    return codegen::DisplayedPicture{text.width, text.height, codegen::fromPanel(levels, size, panel)};
}

} // namespace quorvane::fonts
