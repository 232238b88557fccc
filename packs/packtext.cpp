#include "packs/packtext.h"

#include "codegen/imagename.h"

namespace quorvane::packs {

codegen::ArrayText packSource(std::string_view identifier, codegen::Target target, std::span<const std::uint8_t> bytes,
                              const codegen::TextLayout& layout) {
    return codegen::byteArrayText(identifier, target, bytes, layout);
}

std::string packHeader(std::string_view headerName, std::string_view identifier, codegen::Target target, const Pack& pack,
                       std::size_t bytes) {
    const std::string name = codegen::upperCase(identifier);
    // "assets.h" guards itself as ASSETS_H, as a picture's header does; a name that would stand for one
    // of the macros below gets _INCLUDED.
    std::string guard = codegen::upperCase(codegen::cIdentifier(headerName));
    bool clash = guard == name + "_SIZE" || guard == name + "_COUNT";
    for (const Asset& asset : pack.assets) {
        const std::string a = name + "_" + codegen::upperCase(asset.name);
        for (const char* suffix : {"", "_WIDTH", "_HEIGHT", "_FRAMES"}) clash = clash || guard == a + suffix;
    }
    if (clash) guard += "_INCLUDED";
    std::string text = "#ifndef " + guard + "\n#define " + guard + "\n\n#include \"quorvane_decode.h\"\n";
    if (const auto include = codegen::targetInclude(target)) text += "#include " + std::string(*include) + "\n";
    text += "\n#define " + name + "_SIZE " + std::to_string(bytes) + "\n";
    text += "extern " + codegen::arrayDeclarator(target, identifier, bytes) + ";\n\nenum {\n";
    for (std::size_t i = 0; i < pack.assets.size(); ++i) text += "    " + name + "_" + codegen::upperCase(pack.assets[i].name) + " = " + std::to_string(i) + ",\n";
    text += "    " + name + "_COUNT\n};\n\n";
    for (const Asset& asset : pack.assets) {
        const std::string a = name + "_" + codegen::upperCase(asset.name);
        text += "#define " + a + "_WIDTH " + std::to_string(asset.width) + "\n";
        text += "#define " + a + "_HEIGHT " + std::to_string(asset.height) + "\n";
        text += "#define " + a + "_FRAMES " + std::to_string(asset.frames.size()) + "\n";
    }
    return text + "\n#endif\n";
}

} // namespace quorvane::packs
