#include "codegen/header.h"

#include "codegen/imagename.h"
#include "codegen/numbers.h"

namespace quorvane::codegen {

std::string headerText(std::string_view headerName, std::string_view arrayName, Target target, PictureSize size,
                       std::size_t declaredCount, const Storage& storage) {
    const std::string identifier = cIdentifier(arrayName);
    const std::string macro = upperCase(identifier);
    // "logo.h" guards itself as LOGO_H, "1st.h" as _1ST_H; a name that would stand for one of the
    // macros ("logo_size") takes a suffix.
    std::string guard = upperCase(cIdentifier(headerName));
    for (std::string_view suffix : {"_WIDTH", "_HEIGHT", "_SIZE", "_BITS", "_PALETTE_SIZE"}) {
        if (guard == macro + std::string(suffix)) guard += "_INCLUDED";
    }
    const auto define = [&macro](std::string_view suffix, std::int64_t value) {
        return "#define " + macro + std::string(suffix) + " " + decimalText(value) + "\n";
    };

    std::string text = "#ifndef " + guard + "\n#define " + guard + "\n\n";
    if (const auto include = targetInclude(target)) text += "#include " + std::string(*include) + "\n";
    if (!storage.plain()) text += "#include \"quorvane_decode.h\"\n";
    if (targetInclude(target) || !storage.plain()) text += "\n";
    text += define("_WIDTH", size.width);
    text += define("_HEIGHT", size.height);
    text += define("_SIZE", static_cast<std::int64_t>(declaredCount));
    if (storage.indexBits() > 0) text += define("_BITS", storage.indexBits());
    if (storage.paletteSize > 0) text += define("_PALETTE_SIZE", storage.paletteSize);
    text += "\nextern " + arrayDeclarator(target, identifier, declaredCount) + ";\n";
    if (!storage.plain()) text += "extern const qv_image " + identifier + "_image;\n";
    text += "\n#endif\n";
    return text;
}

} // namespace quorvane::codegen
