// quorvane-cli pack's command line: code's options for the panel and the text, and the inputs with
// what --frames, --sheet and --delay say of each.
#include "cli/codeoptions.h"

#include <utility>

namespace quorvane::cli {
namespace {

// WxH for --sheet: each side a whole number from 1 to 8192.
std::optional<std::pair<int, int>> parseTile(std::string_view text) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return std::nullopt;
    const auto width = parseWhole(text.substr(0, x), 1, 8192), height = parseWhole(text.substr(x + 1), 1, 8192);
    if (!width || !height) return std::nullopt;
    return std::pair{*width, *height};
}

} // namespace

Command parsePack(std::span<const std::string_view> args) {
    PackCommand pack;
    CodeCommand& code = pack.code;
    std::vector<std::string_view> given;
    std::optional<packs::PackInput> next; // what --frames, --sheet and --delay said of the INPUT that follows
    const auto pending = [&]() -> packs::PackInput& {
        if (!next) next.emplace();
        return *next;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        const auto valueOf = [&](std::string_view option) -> std::optional<std::string_view> {
            if (arg.starts_with(std::string(option) + "=")) return arg.substr(option.size() + 1);
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        const auto is = [&](std::string_view option) { return arg == option || arg.starts_with(std::string(option) + "="); };
        if (!arg.starts_with("--")) {
            packs::PackInput input = next.value_or(packs::PackInput{});
            if (input.delayMs && input.kind == packs::PackInput::Kind::Path) {
                return UsageError{"--delay applies to --frames and --sheet, which " + std::string(arg) + " is not given with"};
            }
            input.path = std::string(arg);
            pack.inputs.push_back(std::move(input));
            next.reset();
        } else if (arg == "--shared-palette") {
            pack.sharedPalette = true;
        } else if (arg == "--progress") {
            pack.progress = true;
        } else if (arg == "--quiet") {
            pack.quiet = true;
        } else if (is("--jobs")) {
            const auto value = valueOf("--jobs");
            if (!value) return UsageError{"--jobs needs a value"};
            const auto jobs = parseWhole(*value, 1, 1024);
            if (!jobs) return UsageError{"--jobs must be a whole number from 1 to 1024, not \"" + std::string(*value) + "\""};
            pack.jobs = *jobs;
        } else if (is("--delay")) {
            const auto value = valueOf("--delay");
            if (!value) return UsageError{"--delay needs a value"};
            const auto delay = parseWhole(*value, 0, 65535);
            if (!delay) return UsageError{"--delay must be milliseconds from 0 to 65535, not \"" + std::string(*value) + "\""};
            pending().delayMs = *delay;
        } else if (arg == "--frames") {
            if (pending().kind == packs::PackInput::Kind::Sheet) return UsageError{"--frames and --sheet cannot both describe one INPUT"};
            pending().kind = packs::PackInput::Kind::Frames;
        } else if (is("--sheet")) {
            const auto value = valueOf("--sheet");
            if (!value) return UsageError{"--sheet needs a value"};
            const auto tile = parseTile(*value);
            if (!tile) return UsageError{"--sheet must be WxH, the tile's size (16x16), not \"" + std::string(*value) + "\""};
            if (pending().kind == packs::PackInput::Kind::Frames) return UsageError{"--frames and --sheet cannot both describe one INPUT"};
            pending().kind = packs::PackInput::Kind::Sheet;
            pending().tileWidth = tile->first;
            pending().tileHeight = tile->second;
        } else if (is("--depfile")) {
            const auto value = valueOf("--depfile");
            if (!value || value->empty()) return UsageError{"--depfile needs a file name"};
            pack.depfile = std::string(*value);
        } else if (is("--size-header")) {
            return UsageError{"--size-header does not apply to pack: the index holds every size"};
        } else if (auto refusal = takeCodeOption(code, args, i, given)) {
            return *refusal;
        }
    }
    if (next) return UsageError{"--frames, --sheet and --delay describe the INPUT that follows them, and none does"};
    if (auto refusal = settleCodeOptions(code, given)) return *refusal;
    if (pack.inputs.empty()) return UsageError{"no INPUT given"};
    if (auto refusal = byteOrderRefusal(code, given)) return *refusal;
    if (pack.sharedPalette && code.storage.paletteSize == 0) return UsageError{"--shared-palette applies to --palette only"};
    return pack;
}

} // namespace quorvane::cli
