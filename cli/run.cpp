#include "cli/run.h"

#include "capture/capture.h"
#include "cli/options.h"
#include "cli/preview.h"
#include "codegen/arraytext.h"
#include "codegen/atomicfile.h"
#include "codegen/imagename.h"
#include "codegen/rawfile.h"
#include "colorconv/cform.h"

#include <string>
#include <vector>

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "unknown"
#endif

namespace quorvane::cli {
namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

int runCode(const CodeCommand& code, std::ostream& out, std::ostream& err) {
    const auto loaded = capture::loadPicture(code.image);
    if (const auto* error = std::get_if<capture::LoadError>(&loaded)) {
        err << "quorvane-cli: " << (error->kind == capture::LoadError::Kind::TooLarge ? code.image + ": " : "")
            << error->message << '\n';
        return kFailed;
    }
    const auto& picture = std::get<capture::Picture>(loaded);
    std::vector<std::int32_t> components(3 * picture.pixels.size());
    capture::captureComponents(picture, components);

    const codegen::Conversion conversion = codegen::convert(components, code.depth);
    const std::string heightText = std::to_string(picture.height), widthText = std::to_string(picture.width);
    const std::string imageName = code.name.value_or(codegen::imageNameFromPath(code.image));
    const std::string text =
        codegen::arrayText(imageName, code.target, heightText, widthText, conversion.packed).joined("\n") + "\n";

    // Everything is computed before anything is written: a failure leaves no output half made.
    struct Output {
        std::string path;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Output> outputs;
    if (code.output) outputs.push_back({*code.output, {text.begin(), text.end()}});
    if (code.hex) {
        std::vector<std::int16_t> fileValues(conversion.packed.size() + 3);
        codegen::fillFileValues(fileValues, heightText, widthText, conversion.packed);
        const auto dataBytes = codegen::rawDataByteCount(code.depth, picture.pixels.size());
        outputs.push_back({*code.hex, codegen::rawFileBytes(fileValues, dataBytes)});
    }
    if (code.preview) {
        std::string reason;
        auto png = encodePng(picture.width, picture.height, displayedComponents(conversion.parts, code.depth), reason);
        if (!png) {
            err << "quorvane-cli: cannot make the preview " << *code.preview << ": " << reason << '\n';
            return kFailed;
        }
        outputs.push_back({*code.preview, std::move(*png)});
    }
    for (const Output& output : outputs) {
        if (const auto error = codegen::writeFileAtomically(output.path, output.bytes)) {
            err << "quorvane-cli: " << *error << '\n';
            return kFailed;
        }
    }
    if (!code.output) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.flush();
        if (!out) {
            err << "quorvane-cli: cannot write the array text to standard output\n";
            return kFailed;
        }
    }
    return kOk;
}

int runColor(const ColorCommand& color, std::ostream& out) {
    using colorconv::Box;
    colorconv::MemoryColorView window;
    colorconv::Cform form(window);
    form.loadDesignState();
    window.setText(Box::cr, std::to_string(color.red));
    window.setText(Box::cg, std::to_string(color.green));
    window.setText(Box::cb, std::to_string(color.blue));
    form.Custombtn_Click();
    const auto line = [&](const char* label, std::initializer_list<Box> boxes) {
        out << label;
        for (Box box : boxes) out << ' ' << window.text(box);
        out << '\n';
    };
    line("full", {Box::rr, Box::gg, Box::bb});
    line("8", {Box::er, Box::eg, Box::eb, Box::ec});
    line("12", {Box::tr, Box::tg, Box::tb, Box::tc});
    line("16", {Box::sr, Box::sg, Box::sb, Box::sc});
    line("value", {Box::cc});
    out.flush();
    return out ? kOk : kFailed;
}

} // namespace

int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    const Command command = parseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&command)) {
        err << "quorvane-cli: " << usage->message << "\n\n" << usageText();
        return kUsage;
    }
    if (std::holds_alternative<HelpCommand>(command)) {
        out << usageText();
        return out.flush() ? kOk : kFailed;
    }
    if (std::holds_alternative<VersionCommand>(command)) {
        out << "quorvane-cli " << QUORVANE_VERSION << '\n';
        return out.flush() ? kOk : kFailed;
    }
    if (const auto* color = std::get_if<ColorCommand>(&command)) return runColor(*color, out);
    return runCode(std::get<CodeCommand>(command), out, err);
}

} // namespace quorvane::cli
