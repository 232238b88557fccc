#include "packs/packtext.h"

#include <cctype>

namespace quorvane::packs {
namespace {

std::string upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string guardOf(std::string_view headerName) {
    std::string guard;
    for (const char c : headerName) guard += std::isalnum(static_cast<unsigned char>(c)) ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : '_';
    if (guard.empty() || std::isdigit(static_cast<unsigned char>(guard[0]))) guard.insert(0, "_");
    return guard;
}

} // namespace

codegen::ArrayText packSource(std::string_view identifier, codegen::Target target, std::span<const std::uint8_t> bytes,
                              const codegen::TextLayout& layout) {
    return codegen::byteArrayText(identifier, target, bytes, layout);
}

std::string packHeader(std::string_view headerName, std::string_view identifier, codegen::Target target, const Pack& pack,
                       std::size_t bytes) {
    const std::string guard = guardOf(headerName), name = upper(identifier);
    std::string text = "#ifndef " + guard + "\n#define " + guard + "\n\n#include \"quorvane_decode.h\"\n";
    if (const auto include = codegen::targetInclude(target)) text += "#include " + std::string(*include) + "\n";
    text += "\n#define " + name + "_SIZE " + std::to_string(bytes) + "\n";
    text += "extern " + codegen::arrayDeclarator(target, identifier, bytes) + ";\n\nenum {\n";
    for (std::size_t i = 0; i < pack.assets.size(); ++i) text += "    " + name + "_" + upper(pack.assets[i].name) + " = " + std::to_string(i) + ",\n";
    text += "    " + name + "_COUNT\n};\n\n";
    for (const Asset& asset : pack.assets) {
        const std::string a = name + "_" + upper(asset.name);
        text += "#define " + a + "_WIDTH " + std::to_string(asset.width) + "\n";
        text += "#define " + a + "_HEIGHT " + std::to_string(asset.height) + "\n";
        text += "#define " + a + "_FRAMES " + std::to_string(asset.frames.size()) + "\n";
    }
    return text + "\n#endif\n";
}

} // namespace quorvane::packs
