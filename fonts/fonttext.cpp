#include "fonts/fonttext.h"

#include "codegen/imagename.h"

#include <cstdio>

namespace quorvane::fonts {
namespace {

// A notice as comment lines: " * " before each line, and nothing that would end the comment early.
void commentLines(std::vector<std::string>& lines, const std::string& text) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        for (std::size_t at = line.find("*/"); at != std::string::npos; at = line.find("*/", at)) line.replace(at, 2, "* /");
        lines.push_back(line.empty() ? " *" : " * " + line);
        start = end + 1;
    }
}

std::string thousands(std::size_t n) {
    const std::string digits = std::to_string(n);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return grouped;
}

} // namespace

codegen::ArrayText fontSource(std::string_view identifier, codegen::Target target, const BuiltFont& font,
                              const FontDescription& description, const codegen::TextLayout& layout) {
    codegen::ArrayText text = codegen::byteArrayText(identifier, target, font.bytes, layout);
    std::vector<std::string> comment{"/* " + (font.family.empty() ? description.file : font.family) + ", " +
                                     std::to_string(description.sizePx) + " px, " + std::to_string(font.data.bpp) +
                                     (font.data.bpp == 1 ? " bit" : " bits") + " a pixel, from " + description.file + ": " +
                                     thousands(font.data.glyphs.size()) + " glyphs, " + thousands(font.data.pairs.size()) +
                                     " kerning pairs, " + thousands(font.bytes.size()) + " bytes."};
    for (const std::string& notice : font.notices) {
        comment.emplace_back(" *");
        commentLines(comment, notice);
    }
    comment.emplace_back(" */");
    text.includes.insert(text.includes.begin(), comment.begin(), comment.end());
    return text;
}

std::string fontHeader(std::string_view headerName, std::string_view identifier, codegen::Target target, const BuiltFont& font,
                       int sizePx) {
    const std::string name = codegen::upperCase(identifier);
    std::string guard = codegen::upperCase(codegen::cIdentifier(headerName));
    bool clash = false;
    for (const char* suffix : {"_SIZE_PX", "_BPP", "_LINE_HEIGHT", "_GLYPHS"}) clash = clash || guard == name + suffix;
    for (const IconName& icon : font.icons) clash = clash || guard == name + "_ICON_" + icon.name;
    if (clash) guard += "_INCLUDED";
    std::string text = "#ifndef " + guard + "\n#define " + guard + "\n\n#include \"quorvane_decode.h\"\n";
    if (const auto include = codegen::targetInclude(target)) text += "#include " + std::string(*include) + "\n";
    text += "\n#define " + name + "_SIZE_PX " + std::to_string(sizePx) + "\n";
    text += "#define " + name + "_BPP " + std::to_string(font.data.bpp) + "\n";
    text += "#define " + name + "_LINE_HEIGHT " + std::to_string(font.data.ascent + font.data.descent) + "\n";
    text += "#define " + name + "_GLYPHS " + std::to_string(font.data.glyphs.size()) + "\n";
    text += "extern " + codegen::arrayDeclarator(target, identifier, font.bytes.size()) + ";\n";
    if (!font.icons.empty()) text += "\n";
    for (const IconName& icon : font.icons) {
        std::string bytes;
        for (const char c : utf8(icon.code)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
            bytes += escaped;
        }
        text += "#define " + name + "_ICON_" + icon.name + " \"" + bytes + "\"\n";
    }
    return text + "\n#endif\n";
}

} // namespace quorvane::fonts
