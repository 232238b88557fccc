#include "cli/options.h"

#include "cli/codeoptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <system_error>
#include <vector>

namespace quorvane::cli {

// A plain whole number from low to high: no sign, no blank, no fraction, no exponent.
std::optional<int> parseWhole(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

namespace {

using Refusal = std::optional<std::string>; // why a value is refused; nothing when it is taken

std::optional<int> parseComponent(std::string_view text) { return parseWhole(text, 0, 255); }

// Six hex digits RRGGBB, either case, as 0x00BBGGRR.
std::optional<std::uint32_t> parseHexColour(std::string_view text) {
    std::uint32_t rgb = 0;
    if (text.size() != 6) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return (rgb >> 16) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// WxH, each side a whole number from 1 to 1024.
std::optional<codegen::PictureSize> parsePanel(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = parseWhole(text.substr(0, x), 1, 1024), height = parseWhole(text.substr(x + 1), 1, 1024);
    if (!width || !height) return std::nullopt;
    return codegen::PictureSize{*width, *height};
}

std::optional<capture::FitMode> parseFitMode(std::string_view text) {
    if (text == "contain") return capture::FitMode::Contain;
    if (text == "cover") return capture::FitMode::Cover;
    return std::nullopt;
}

std::optional<codegen::ByteOrder> parseByteOrder(std::string_view text) {
    if (text == "big") return codegen::ByteOrder::Big;
    if (text == "little") return codegen::ByteOrder::Little;
    return std::nullopt;
}

std::optional<int> parseRotation(std::string_view text) {
    const auto degrees = parseWhole(text, 0, 270);
    if (!degrees || !codegen::isRotation(*degrees)) return std::nullopt;
    return degrees;
}

// Takes a parsed value into its field, or says what the option takes.
template <typename T>
Refusal take(T& field, const std::optional<T>& parsed, std::string_view option, std::string_view rule,
             std::string_view value) {
    if (!parsed) return std::string(option) + " must be " + std::string(rule) + ", not \"" + std::string(value) + "\"";
    field = *parsed;
    return std::nullopt;
}

Refusal takeFile(std::optional<std::string>& field, std::string_view option, std::string_view value) {
    if (value.empty()) return std::string(option) + " needs a file name";
    field = std::string(value);
    return std::nullopt;
}

struct ValueOption {
    std::string_view name;
    Refusal (*set)(CodeCommand&, std::string_view option, std::string_view value);
};

// clang-format off
constexpr ValueOption kValueOptions[] = {
    {"--depth", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.depth, codegen::depthFromName(v), o, "8, 12, 16, 18 or 24", v); }},
    {"--panel", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.panelSize, parsePanel(v), o, "WxH, each side 1 to 1024 (240x320)", v); }},
    {"--display", [](CodeCommand& c, std::string_view o, std::string_view v) {
         codegen::DisplayPreset preset{};
         auto refusal = take(preset, codegen::displayPreset(v), o, "a name that `quorvane-cli displays` lists", v);
         if (!refusal) c.display = preset;
         return refusal; }},
    {"--size-header", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.sizeHeader, codegen::sizeHeaderFromName(v), o, "8, 16 or none", v); }},
    {"--palette", [](CodeCommand& c, std::string_view o, std::string_view v) {
         auto colours = parseWhole(v, 2, 256);
         if (colours && !codegen::isPaletteSize(*colours)) colours.reset();
         return take(c.storage.paletteSize, colours, o, "2, 4, 16 or 256", v); }},
    {"--mono-layout", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.storage.monoLayout, codegen::monoLayoutFromName(v), o, "rows, rows-lsb or pages", v); }},
    {"--compress", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.storage.compression, codegen::compressionFromName(v), o, "none, rle, lz4 or auto", v); }},
    {"--target", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.target, codegen::targetFromName(v), o, "pic, arm or avr", v); }},
    {"--dither", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.dither, codegen::ditherFromName(v), o, "none, ordered or fs", v); }},
    {"--background", [](CodeCommand& c, std::string_view o, std::string_view v) {
         // "#FFFFFF" is refused too: a shell comment sign that a build script may not quote.
         return take(c.background, parseHexColour(v), o, "six hex digits RRGGBB", v); }},
    {"--rotate", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.panel.rotation, parseRotation(v), o, "0, 90, 180 or 270", v); }},
    {"--mirror", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.panel.mirror, codegen::mirrorFromName(v), o, "none, h or v", v); }},
    {"--byte-order", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.byteOrder, parseByteOrder(v), o, "big or little", v); }},
    {"--columns", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.columns, parseWhole(v, 1, 1 << 20), o, "a whole number of at least 1", v); }},
    {"--radix", [](CodeCommand& c, std::string_view o, std::string_view v) {
         return take(c.radix, codegen::radixFromName(v), o, "dec or hex", v); }},
    {"--name", [](CodeCommand& c, std::string_view, std::string_view v) -> Refusal {
         c.name = std::string(v);
         return std::nullopt; }},
    {"--output", [](CodeCommand& c, std::string_view o, std::string_view v) { return takeFile(c.output, o, v); }},
    {"--hex", [](CodeCommand& c, std::string_view o, std::string_view v) { return takeFile(c.hex, o, v); }},
    {"--preview", [](CodeCommand& c, std::string_view o, std::string_view v) { return takeFile(c.preview, o, v); }},
    {"--header", [](CodeCommand& c, std::string_view o, std::string_view v) { return takeFile(c.header, o, v); }},
};

struct FlagOption {
    std::string_view name;
    void (*set)(CodeCommand&);
};

constexpr FlagOption kFlagOptions[] = {
    {"--invert", [](CodeCommand& c) { c.panel.invert = true; }},
    {"--bgr", [](CodeCommand& c) { c.panel.bgr = true; }},
    {"--mono", [](CodeCommand& c) { c.storage.mono = true; }},
};
// clang-format on

// A word that can only be meant as a mode of --fit: letters alone, and no file of that name.
bool looksLikeAMode(std::string_view word) {
    if (word.empty() || !std::all_of(word.begin(), word.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); })) {
        return false;
    }
    std::error_code ignored;
    return !std::filesystem::exists(std::filesystem::path(word), ignored);
}

bool isGiven(const std::vector<std::string_view>& given, std::string_view option) {
    return std::find(given.begin(), given.end(), option) != given.end();
}

// A preset's values for what the user did not give; a depth the controller cannot take is refused, and
// so is colour for a monochrome module and one bit a pixel for a colour one.
std::optional<UsageError> applyDisplay(CodeCommand& code, const std::vector<std::string_view>& given) {
    if (!code.display) return std::nullopt;
    const codegen::DisplayPreset& display = *code.display;
    const std::string named = "--display " + std::string(display.name) + " (" + std::string(display.controller) + ")";
    if (display.mono) {
        for (std::string_view colour : {"--depth", "--palette"}) {
            if (isGiven(given, colour)) return UsageError{named + " takes --mono only, not " + std::string(colour)};
        }
        code.storage.mono = true;
        if (!isGiven(given, "--mono-layout")) code.storage.monoLayout = codegen::MonoLayout::Pages;
    } else {
        if (code.storage.mono) return UsageError{named + " takes --depth " + codegen::depthsText(display) + ", not --mono"};
        if (!isGiven(given, "--depth")) code.depth = display.defaultDepth;
        if (!display.takes(code.depth)) {
            return UsageError{named + " takes --depth " + codegen::depthsText(display) + ", not " +
                              std::string(codegen::depthName(code.depth))};
        }
    }
    if (!isGiven(given, "--panel")) code.panelSize = display.size;
    if (!isGiven(given, "--size-header")) code.sizeHeader = display.sizeHeader();
    return std::nullopt;
}

// The storage options that cannot go together.
std::optional<UsageError> storageRefusal(const CodeCommand& code, const std::vector<std::string_view>& given) {
    const codegen::Storage& storage = code.storage;
    if (storage.mono && storage.paletteSize > 0) return UsageError{"--palette does not apply to --mono: one bit a pixel has no palette"};
    if (storage.mono && !code.display && isGiven(given, "--depth")) return UsageError{"--depth does not apply to --mono"};
    if (!storage.mono && isGiven(given, "--mono-layout")) return UsageError{"--mono-layout applies to --mono only"};
    if (storage.paletteSize > 0 && code.dither == codegen::Dither::Ordered) {
        return UsageError{"--dither ordered does not apply to --palette: use --dither fs or none"};
    }
    return std::nullopt;
}

} // namespace

// One option of code's (and of pack's, which takes the same) at args[i], moving i past its value.
std::optional<UsageError> takeCodeOption(CodeCommand& code, std::span<const std::string_view> args, std::size_t& i,
                                         std::vector<std::string_view>& given) {
    const std::string_view arg = args[i];
    // --fit takes a mode when one follows, and stands alone before an image.
    if (arg == "--fit" || arg.starts_with("--fit=")) {
        code.fit = true;
        std::optional<std::string_view> mode;
        if (arg != "--fit") mode = arg.substr(6);
        else if (i + 1 < args.size() && (parseFitMode(args[i + 1]) || looksLikeAMode(args[i + 1]))) mode = args[++i];
        if (mode) {
            if (auto refusal = take(code.fitMode, parseFitMode(*mode), "--fit", "contain or cover", *mode)) {
                return UsageError{std::move(*refusal)};
            }
        }
        return std::nullopt;
    }
    if (const auto* flag = std::find_if(std::begin(kFlagOptions), std::end(kFlagOptions),
                                        [arg](const FlagOption& f) { return f.name == arg; });
        flag != std::end(kFlagOptions)) {
        flag->set(code);
        return std::nullopt;
    }
    std::string_view option = arg;
    std::optional<std::string_view> value;
    if (const auto eq = arg.find('='); eq != std::string_view::npos) {
        option = arg.substr(0, eq);
        value = arg.substr(eq + 1);
    }
    const auto* known = std::find_if(std::begin(kValueOptions), std::end(kValueOptions),
                                     [option](const ValueOption& o) { return o.name == option; });
    if (known == std::end(kValueOptions)) return UsageError{"unknown option " + std::string(option)};
    if (!value) {
        if (i + 1 >= args.size()) return UsageError{std::string(option) + " needs a value"};
        value = args[++i];
    }
    if (auto refusal = known->set(code, option, *value)) return UsageError{std::move(*refusal)};
    given.push_back(known->name);
    return std::nullopt;
}

// The checks of code's options once all are read: the preset's values, and what cannot go together.
std::optional<UsageError> settleCodeOptions(CodeCommand& code, const std::vector<std::string_view>& given) {
    if (auto refusal = applyDisplay(code, given)) return refusal;
    if (auto refusal = storageRefusal(code, given)) return refusal;
    return std::nullopt;
}

std::optional<UsageError> byteOrderRefusal(const CodeCommand& code, const std::vector<std::string_view>& given) {
    // Only 5-6-5 pixels are 16-bit words; at any other depth a byte order would silently mean nothing.
    if (isGiven(given, "--byte-order") && !codegen::colorFormat(code.depth).hasByteOrder()) {
        return UsageError{"--byte-order applies to 16-bit output only (--depth 16)"};
    }
    return std::nullopt;
}

namespace {

Command parseCode(std::span<const std::string_view> args) {
    CodeCommand code;
    bool haveImage = false;
    std::vector<std::string_view> given; // the value options given, for the preset to leave alone
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (!arg.starts_with("--") || arg == "--") {
            if (arg == "--") {
                if (i + 2 != args.size()) return UsageError{"give exactly one IMAGE after --"};
                arg = args[++i];
            }
            if (haveImage) return UsageError{"more than one IMAGE given: " + std::string(arg)};
            code.image = std::string(arg);
            haveImage = true;
            continue;
        }
        if (auto refusal = takeCodeOption(code, args, i, given)) return *refusal;
    }
    if (auto refusal = settleCodeOptions(code, given)) return *refusal;
    if (!haveImage) return UsageError{"no IMAGE given"};
    if (auto refusal = byteOrderRefusal(code, given)) return *refusal;
    return code;
}

// R G B as three whole numbers, or one colour as RRGGBB (a leading # allowed, either case).
Command parseColor(std::span<const std::string_view> args) {
    if (args.size() == 1) {
        std::string_view text = args[0];
        if (text.starts_with('#')) text.remove_prefix(1);
        const auto colour = parseHexColour(text);
        if (!colour) {
            return UsageError{"color takes R G B or RRGGBB (six hex digits), not \"" + std::string(args[0]) + "\""};
        }
        return ColorCommand{static_cast<int>(*colour & 0xFF), static_cast<int>((*colour >> 8) & 0xFF),
                            static_cast<int>(*colour >> 16)};
    }
    if (args.size() != 3) return UsageError{"color takes exactly three components: R G B, or one colour RRGGBB"};
    int parsed[3] = {};
    const char* names[3] = {"red", "green", "blue"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto component = parseComponent(args[i]);
        if (!component) {
            return UsageError{std::string(names[i]) + " must be a whole number from 0 to 255, not \"" +
                              std::string(args[i]) + "\""};
        }
        parsed[i] = *component;
    }
    return ColorCommand{parsed[0], parsed[1], parsed[2]};
}

} // namespace

Command parseCommandLine(std::span<const std::string_view> args) {
    if (args.empty()) return UsageError{"no command given"};
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help") return HelpCommand{};
    if (command == "--version") return VersionCommand{};
    for (std::string_view arg : args.subspan(1)) {
        if (arg == "--help") return HelpCommand{};
    }
    if (command == "code") return parseCode(args.subspan(1));
    if (command == "pack") return parsePack(args.subspan(1));
    if (command == "font") return parseFont(args.subspan(1));
    if (command == "color") return parseColor(args.subspan(1));
    if (command == "decoder") {
        if (args.size() != 2 || args[1].empty() || args[1].starts_with("--")) return UsageError{"decoder takes one FILE.h"};
        return DecoderCommand{std::string(args[1])};
    }
    if (command == "displays") {
        if (args.size() > 1) return UsageError{"displays takes no arguments"};
        return DisplaysCommand{};
    }
    return UsageError{"unknown command \"" + std::string(command) + "\""};
}

} // namespace quorvane::cli
