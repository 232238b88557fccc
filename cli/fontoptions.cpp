// quorvane-cli font's command line: the font, its size and characters, and code's options for the
// panel's pixels and the text.
#include "cli/codeoptions.h"

#include <algorithm>
#include <array>

namespace quorvane::cli {
namespace {

// Code's options that say nothing of a line of text's pixels.
constexpr std::array<std::string_view, 9> kNotForFonts{"--fit", "--palette", "--compress", "--dither", "--background",
                                                        "--rotate", "--mirror", "--panel", "--size-header"};

std::optional<fonts::Hinting> hintingFromName(std::string_view name) {
    if (name == "none") return fonts::Hinting::None;
    if (name == "light") return fonts::Hinting::Light;
    if (name == "full") return fonts::Hinting::Full;
    return std::nullopt;
}

} // namespace

Command parseFont(std::span<const std::string_view> args) {
    FontCommand font;
    CodeCommand& code = font.code;
    fonts::FontRequest& request = font.request;
    std::vector<std::string_view> given;
    bool haveFont = false, haveSize = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const std::string_view option = arg.substr(0, arg.find('='));
        const auto valueOf = [&]() -> std::optional<std::string_view> {
            if (option.size() < arg.size()) return arg.substr(option.size() + 1);
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        const auto needs = [&](std::string_view what) { return UsageError{std::string(option) + " needs " + std::string(what)}; };
        if (!arg.starts_with("--")) {
            if (haveFont) return UsageError{"more than one FONT given: " + std::string(arg)};
            request.path = std::string(arg);
            haveFont = true;
        } else if (option == "--size") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            const auto size = parseWhole(*value, 1, 255);
            if (!size) return UsageError{"--size must be pixels from 1 to 255, not \"" + std::string(*value) + "\""};
            request.sizePx = *size;
            haveSize = true;
        } else if (option == "--bpp") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            const auto bpp = parseWhole(*value, 1, 8);
            if (!bpp || (*bpp != 1 && *bpp != 2 && *bpp != 4 && *bpp != 8)) {
                return UsageError{"--bpp must be 1, 2, 4 or 8, not \"" + std::string(*value) + "\""};
            }
            request.bpp = *bpp;
            font.bppGiven = true;
        } else if (option == "--range") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            const auto range = fonts::parseRange(*value);
            if (!range) {
                return UsageError{"--range must be code points A-B or A, hex (0x41) or decimal, up to 0x10FFFF, not \"" +
                                  std::string(*value) + "\""};
            }
            font.ranges.push_back(*range);
        } else if (option == "--chars") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            if (fonts::decodeUtf8(*value).badByte) return UsageError{"--chars must be UTF-8 text"};
            font.chars.emplace_back(*value);
        } else if (option == "--chars-from") {
            const auto value = valueOf();
            if (!value || value->empty()) return needs("a file name");
            font.charsFrom.emplace_back(*value);
        } else if (option == "--with") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            const auto colon = value->rfind(':');
            const auto ranges = colon == std::string_view::npos ? std::nullopt : fonts::parseRanges(value->substr(colon + 1));
            if (!ranges || colon == 0) {
                return UsageError{"--with must be ICONFONT:RANGES, the ranges separated by commas (icons.otf:0xF011,0xF0E7), not \"" +
                                  std::string(*value) + "\""};
            }
            request.icons.push_back({std::string(value->substr(0, colon)), *ranges});
        } else if (option == "--hinting") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            const auto hinting = hintingFromName(*value);
            if (!hinting) return UsageError{"--hinting must be none, light or full, not \"" + std::string(*value) + "\""};
            request.hinting = *hinting;
        } else if (option == "--kerning") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            if (*value != "on" && *value != "off") return UsageError{"--kerning must be on or off, not \"" + std::string(*value) + "\""};
            request.kerning = *value == "on";
        } else if (arg == "--tabular-digits") {
            request.tabularDigits = true;
        } else if (arg == "--strict") {
            font.strict = true;
        } else if (option == "--text") {
            const auto value = valueOf();
            if (!value) return needs("a value");
            if (fonts::decodeUtf8(*value).badByte) return UsageError{"--text must be UTF-8 text"};
            font.text = std::string(*value);
        } else if (option == "--depfile") {
            const auto value = valueOf();
            if (!value || value->empty()) return needs("a file name");
            font.depfile = std::string(*value);
        } else if (std::find(kNotForFonts.begin(), kNotForFonts.end(), option) != kNotForFonts.end()) {
            return UsageError{std::string(option) + " does not apply to font"};
        } else if (auto refusal = takeCodeOption(code, args, i, given)) {
            return *refusal;
        }
    }
    if (auto refusal = settleCodeOptions(code, given)) return *refusal;
    if (!haveFont) return UsageError{"no FONT given"};
    if (!haveSize) return UsageError{"--size is needed: the font's size in pixels"};
    if (auto refusal = byteOrderRefusal(code, given)) return *refusal;
    if (code.preview.has_value() != font.text.has_value()) return UsageError{"--preview and --text go together: the line it draws"};
    if (!font.bppGiven && code.storage.mono) request.bpp = 1;
    request.pixel = {code.depth, code.byteOrder, code.panel.bgr, code.panel.invert, code.storage.mono, code.storage.monoLayout};
    return font;
}

} // namespace quorvane::cli
