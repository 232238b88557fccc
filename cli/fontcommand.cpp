#include "cli/fontcommand.h"

#include "cli/outputs.h"
#include "cli/progress.h"
#include "codegen/imagename.h"
#include "codegen/pngfile.h"
#include "fonts/draw.h"
#include "fonts/fonttext.h"

#include <cctype>
#include <filesystem>

namespace quorvane::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1;

// What --preview draws the line in: lit text on a dark panel.
constexpr std::uint32_t kPreviewText = 0xFFFFFF, kPreviewBackground = 0x000000;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The array's name: --name, else the source's or the header's file name, else the font's and its size.
std::string fontName(const FontCommand& font) {
    const CodeCommand& code = font.code;
    if (code.name) return codegen::cIdentifier(*code.name);
    for (const auto& file : {code.output, code.header}) {
        if (file) return codegen::cIdentifier(fs::path(*file).stem().string());
    }
    return codegen::cIdentifier(lower(fs::path(font.request.path).stem().string()) + std::to_string(font.request.sizePx));
}

} // namespace

int runFont(const FontCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const CodeCommand& code = command.code;
    auto gathered = fonts::gatherCharacters(command.ranges, command.chars, command.charsFrom);
    if (const auto* message = std::get_if<std::string>(&gathered)) {
        err << "quorvane-cli: " << *message << '\n';
        return kFailed;
    }
    fonts::FontRequest request = command.request;
    request.chars = std::move(std::get<std::vector<char32_t>>(gathered));

    ProgressLine progress(err, errIsTerminal && request.chars.size() > 1000, "glyphs");
    auto built = fonts::buildFont(request, [&progress](std::size_t done, std::size_t all) {
        progress.update(done, all);
        return true;
    });
    progress.clear();
    if (const auto* failure = std::get_if<fonts::FontFailure>(&built)) {
        err << "quorvane-cli: " << failure->message << '\n';
        return kFailed;
    }
    const fonts::BuiltFont& font = std::get<fonts::BuiltFont>(built);
    for (const std::string& warning : font.warnings) err << "quorvane-cli: " << warning << '\n';
    if (!font.missing.empty()) err << "quorvane-cli: " << request.path << " lacks " << fonts::missingText(font.missing) << '\n';
    if (command.strict && !font.missing.empty()) {
        err << "quorvane-cli: --strict: " << font.missing.size() << (font.missing.size() == 1 ? " character" : " characters")
            << " missing, nothing written\n";
        return kFailed;
    }
    if (const auto refusal = codegen::targetRefusal(code.target, font.bytes.size())) {
        err << "quorvane-cli: the font: " << *refusal << '\n';
        return kFailed;
    }

    const std::string name = fontName(command);
    const std::string headerName = code.header ? fs::path(*code.header).filename().string() : std::string();
    const codegen::ArrayText text = fonts::fontSource(name, code.target, font, {fs::path(request.path).filename().string(), request.sizePx},
                                                      {.columns = code.columns, .radix = code.radix, .headerName = headerName});
    // Everything is made before anything is written: a failure leaves no output half made.
    std::vector<File> outputs;
    if (code.output) outputs.push_back(textFile(*code.output, text.joined("\n") + '\n'));
    if (code.header) outputs.push_back(textFile(*code.header, fonts::fontHeader(headerName, name, code.target, font, request.sizePx)));
    if (code.hex) outputs.push_back({*code.hex, font.bytes});
    if (code.preview) {
        const auto drawn = fonts::drawText(font.bytes, *command.text, kPreviewText, kPreviewBackground);
        const auto shown = drawn ? fonts::shownText(*drawn, request.pixel) : std::nullopt;
        std::string reason = "the decoder does not draw it";
        if (shown && shown->rgb.empty()) reason = "the font has none of its characters";
        const auto png = shown && !shown->rgb.empty() ? codegen::encodePng(shown->width, shown->height, shown->rgb, reason) : std::nullopt;
        if (!png) {
            err << "quorvane-cli: cannot draw --text for " << *code.preview << ": " << reason << '\n';
            return kFailed;
        }
        outputs.push_back({*code.preview, *png});
    }
    if (command.depfile) {
        std::vector<std::string> inputs{request.path};
        for (const fonts::IconSource& icons : request.icons) inputs.push_back(icons.path);
        inputs.insert(inputs.end(), command.charsFrom.begin(), command.charsFrom.end());
        outputs.push_back(depfile(*command.depfile, outputs, inputs));
    }
    if (!writeFiles(outputs, err)) return kFailed;
    if (!code.output && !writeText(text, out, err)) return kFailed;
    return kOk;
}

} // namespace quorvane::cli
