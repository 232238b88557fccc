#include "fonts/systemfonts.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>

namespace quorvane::fonts {

std::vector<SystemFont> systemFonts() {
    std::vector<SystemFont> fonts;
    // A configuration of our own, given back when done: fontconfig's shared one would stay for the
    // program's life.
    const std::unique_ptr<FcConfig, decltype(&FcConfigDestroy)> config(FcInitLoadConfigAndFonts(), FcConfigDestroy);
    if (!config) return fonts;
    const std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)> pattern(FcPatternCreate(), FcPatternDestroy);
    const std::unique_ptr<FcObjectSet, decltype(&FcObjectSetDestroy)> objects(FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_FILE, nullptr),
                                                                             FcObjectSetDestroy);
    const std::unique_ptr<FcFontSet, decltype(&FcFontSetDestroy)> set(FcFontList(config.get(), pattern.get(), objects.get()),
                                                                     FcFontSetDestroy);
    if (!set) return fonts;
    for (int i = 0; i < set->nfont; ++i) {
        FcChar8 *family = nullptr, *style = nullptr, *file = nullptr;
        if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        FcPatternGetString(set->fonts[i], FC_FAMILY, 0, &family);
        FcPatternGetString(set->fonts[i], FC_STYLE, 0, &style);
        fonts.push_back({family ? reinterpret_cast<const char*>(family) : "", style ? reinterpret_cast<const char*>(style) : "",
                         reinterpret_cast<const char*>(file)});
    }
    std::sort(fonts.begin(), fonts.end(), [](const SystemFont& a, const SystemFont& b) {
        return std::tie(a.family, a.style, a.file) < std::tie(b.family, b.style, b.file);
    });
    fonts.erase(std::unique(fonts.begin(), fonts.end(), [](const SystemFont& a, const SystemFont& b) { return a.file == b.file; }), fonts.end());
    return fonts;
}

} // namespace quorvane::fonts
