#include "cli/options.h"

#include <charconv>

namespace quorvane::cli {
namespace {

std::optional<codegen::Depth> parseDepth(std::string_view text) {
    if (text == "8") return codegen::Depth::Bits8;
    if (text == "12") return codegen::Depth::Bits12;
    if (text == "16") return codegen::Depth::Bits16;
    return std::nullopt;
}

// A component is a plain whole number 0 to 255: no sign, no blank, no fraction, no exponent.
std::optional<int> parseComponent(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || value < 0 || value > 255) {
        return std::nullopt;
    }
    return value;
}

// Six hex digits, RRGGBB, either case; nothing else ("#FFFFFF" included).
std::optional<std::uint32_t> parseBackground(std::string_view text) {
    std::uint32_t rgb = 0;
    if (text.size() != 6) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), rgb, 16);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return (rgb >> 16) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16); // as 0x00BBGGRR
}

Command parseCode(std::span<const std::string_view> args) {
    CodeCommand code;
    bool haveImage = false;
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
        if (arg == "--fit") {
            code.fit = true;
            continue;
        }
        std::string_view option = arg;
        std::optional<std::string_view> value;
        if (const auto eq = arg.find('='); eq != std::string_view::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const bool known = option == "--depth" || option == "--target" || option == "--dither" ||
                           option == "--background" || option == "--name" || option == "--output" ||
                           option == "--hex" || option == "--preview";
        if (!known) return UsageError{"unknown option " + std::string(option)};
        if (!value) {
            if (i + 1 >= args.size()) return UsageError{std::string(option) + " needs a value"};
            value = args[++i];
        }
        if (option == "--depth") {
            const auto depth = parseDepth(*value);
            if (!depth) return UsageError{"--depth must be 8, 12 or 16, not \"" + std::string(*value) + "\""};
            code.depth = *depth;
        } else if (option == "--target") {
            if (*value == "pic") code.target = codegen::Target::Pic;
            else if (*value == "arm") code.target = codegen::Target::Arm;
            else return UsageError{"--target must be pic or arm, not \"" + std::string(*value) + "\""};
        } else if (option == "--dither") {
            const auto dither = codegen::ditherFromName(*value);
            if (!dither) return UsageError{"--dither must be none, ordered or fs, not \"" + std::string(*value) + "\""};
            code.dither = *dither;
        } else if (option == "--background") {
            const auto background = parseBackground(*value);
            if (!background) {
                return UsageError{"--background must be six hex digits RRGGBB, not \"" + std::string(*value) + "\""};
            }
            code.background = *background;
        } else if (option == "--name") {
            code.name = std::string(*value);
        } else if (value->empty()) {
            return UsageError{std::string(option) + " needs a file name"};
        } else if (option == "--output") {
            code.output = std::string(*value);
        } else if (option == "--hex") {
            code.hex = std::string(*value);
        } else {
            code.preview = std::string(*value);
        }
    }
    if (!haveImage) return UsageError{"no IMAGE given"};
    return code;
}

Command parseColor(std::span<const std::string_view> args) {
    if (args.size() != 3) return UsageError{"color takes exactly three components: R G B"};
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
    if (command == "color") return parseColor(args.subspan(1));
    return UsageError{"unknown command \"" + std::string(command) + "\""};
}

std::string_view usageText() {
    return "Usage:\n"
           "  quorvane-cli code [--depth 8|12|16] [--target pic|arm] [--dither none|ordered|fs]\n"
           "                    [--fit] [--background RRGGBB] [--name NAME] [--output FILE]\n"
           "                    [--hex FILE] [--preview FILE.png] IMAGE\n"
           "  quorvane-cli color R G B\n"
           "  quorvane-cli --help | --version\n"
           "\n"
           "code    Converts a picture of at most 132 x 132 pixels (BMP, PNG, JPEG or GIF, recognised\n"
           "        by its content) into C array source for the display (standard output, or FILE with\n"
           "        --output), the raw file for the firmware (--hex) and a PNG of the picture as the\n"
           "        display shows it (--preview). Defaults: --depth 8, --target pic, --dither none;\n"
           "        the array is named after IMAGE unless --name is given. --dither ordered (a Bayer\n"
           "        matrix) or fs (Floyd-Steinberg error diffusion) trades banding in gradients for a\n"
           "        fine pattern. --fit scales a larger picture (up to 8192 x 8192) down to fit the\n"
           "        panel. Transparent pixels are laid over white, or over --background RRGGBB.\n"
           "color   Prints one colour's parts and codes at every depth, each component 0 to 255.\n"
           "\n"
           "Exit status: 0 on success, 1 when the image or an output fails, 2 for a usage error.\n";
}

} // namespace quorvane::cli
