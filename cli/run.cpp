#include "cli/run.h"

#include "capture/capture.h"
#include "cli/options.h"
#include "cli/outputs.h"

#include "codegen/atomicfile.h"
#include "codegen/codestream.h"
#include "codegen/decoderimage.h"
#include "codegen/display.h"
#include "codegen/displays.h"
#include "codegen/imagename.h"
#include "codegen/numbers.h"
#include "codegen/pngfile.h"
#include "colorconv/colorcodes.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "unknown"
#endif

namespace quorvane::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

// The picture's rows on their way into the code. A refusal of the size header or of the options is kept
// until the decoder is done, so that a file that cannot be read is said first, as it always was, and
// nothing is thrown through a decoder's C code.
class CodeRows : public capture::PictureRows {
  public:
    // With a raw file to write into as the rows come.
    CodeRows(const CodeCommand& code, codegen::CodeOptions options, codegen::AtomicFile* rawFile)
        : code_(code), options_(std::move(options)), rawFile_(rawFile) {}

    void begin(int width, int height) override {
        const codegen::PictureSize received = codegen::panelSize({width, height}, code_.panel);
        refusal_ = codegen::sizeHeaderRefusal(received, code_.sizeHeader);
        if (refusal_) return;
        guarded([&] {
            stream_.emplace(codegen::PictureSize{width, height}, options_);
            if (rawFile_) stream_->handRawFile([file = rawFile_](std::span<const std::uint8_t> bytes) { file->write(bytes); });
        });
    }
    void row(std::span<const std::uint8_t> rgb) override {
        if (stream_) guarded([&] { stream_->row(rgb); });
    }

    const std::optional<std::string>& refusal() const { return refusal_; }
    // The road's result; rethrows what the road threw on the way.
    codegen::StreamedCode finish() {
        if (failure_) std::rethrow_exception(failure_);
        if (!stream_) throw std::runtime_error("the decoder gave no picture");
        return stream_->finish();
    }

  private:
    template <typename Step> void guarded(Step step) {
        try {
            step();
        } catch (...) {
            failure_ = std::current_exception();
            stream_.reset();
        }
    }

    const CodeCommand& code_;
    codegen::CodeOptions options_;
    codegen::AtomicFile* rawFile_;
    std::optional<codegen::CodeStream> stream_;
    std::optional<std::string> refusal_;
    std::exception_ptr failure_;
};

int runCode(const CodeCommand& code, std::ostream& out, std::ostream& err) {
    const std::string headerName = code.header ? fs::path(*code.header).filename().string() : std::string();
    const codegen::CodeOptions options{.depth = code.depth,
                                       .target = code.target,
                                       .arrayName = code.name.value_or(codegen::imageNameFromPath(code.image)),
                                       .dither = code.dither,
                                       .panel = code.panel,
                                       .byteOrder = code.byteOrder,
                                       .sizeHeader = code.sizeHeader,
                                       .storage = code.storage,
                                       .layout = {.columns = code.columns, .radix = code.radix, .headerName = headerName}};
    // The picture as opened may be as wide and high as the panel turned back by the rotation.
    const codegen::PictureSize frame = codegen::panelSize(code.panelSize, code.panel);
    // The raw file goes to disk while the picture is still being read, so that little is left to wait
    // for once it is done; it is put in place with the other outputs, or not at all.
    std::optional<codegen::AtomicFile> rawFile;
    if (code.hex) rawFile.emplace(*code.hex);
    const bool rawAsItComes = rawFile && rawFile->replacesFile();
    CodeRows rows(code, options, rawAsItComes ? &*rawFile : nullptr);
    const auto error = capture::streamPicture(code.image, {.fit = code.fit,
                                                           .background = code.background,
                                                           .maxWidth = frame.width,
                                                           .maxHeight = frame.height,
                                                           .fitMode = code.fitMode},
                                              rows);
    if (error) {
        err << "quorvane-cli: " << (error->kind == capture::LoadError::Kind::TooLarge ? code.image + ": " : "")
            << error->message << '\n';
        return kFailed;
    }
    if (const auto& refusal = rows.refusal()) {
        err << "quorvane-cli: " << code.image << ": " << *refusal << "; use --size-header 16 or none\n";
        return kFailed;
    }
    const codegen::StreamedCode result = rows.finish();
    if (const auto refusal = codegen::targetRefusal(code.target, result.declaredCount())) {
        err << "quorvane-cli: " << code.image << ": " << *refusal << '\n';
        return kFailed;
    }
    const auto writeText = [&result](codegen::TextSink& sink) { result.writeText(sink, "\n"); };
    // The text is made whole only for a file; standard output takes it a block at a time.
    std::string text;
    if (code.output) {
        codegen::StringSink sink(text);
        writeText(sink);
        text += '\n';
    }

    // Everything is computed before anything is written: a failure leaves no output half made.
    const auto bytesOf = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    std::vector<Output> outputs;
    std::vector<std::uint8_t> png;
    if (code.output) outputs.push_back({*code.output, bytesOf(text)});
    if (code.header) outputs.push_back({*code.header, bytesOf(result.header)});
    if (code.hex) outputs.push_back({*code.hex, result.rawFile, rawAsItComes ? &*rawFile : nullptr});
    if (code.preview) {
        // What a viewer sees on the panel for the bytes written: the raw file read back as the firmware
        // reads it, with the panel's transforms undone, a row at a time into the PNG where it can be.
        codegen::DisplayedRows shown(result.rawFile, options.rawLayout(), code.panel, result.panelSize);
        std::string reason = "the raw file does not read back";
        const auto row = [&shown](int y, std::span<std::uint8_t> rgb) { shown.row(y, rgb); };
        auto encoded = shown.readable() ? codegen::encodePng(shown.size().width, shown.size().height, row, reason)
                                        : std::nullopt;
        if (!encoded) {
            err << "quorvane-cli: cannot make the preview " << *code.preview << ": " << reason << '\n';
            return kFailed;
        }
        png = std::move(*encoded);
        outputs.push_back({*code.preview, png});
    }
    if (!writeOutputs(outputs, err)) return kFailed;
    if (!code.output && !cli::writeText(writeText, out, err)) return kFailed;
    return kOk;
}

int runColor(const ColorCommand& color, std::ostream& out) {
    const colorconv::ColorCodes codes = colorconv::colorCodes(color.red, color.green, color.blue);
    const auto line = [&out](const char* label, std::initializer_list<std::string> fields) {
        out << label;
        for (const std::string& field : fields) out << ' ' << field;
        out << '\n';
    };
    const auto depthLine = [&line](const char* label, const colorconv::DepthCode& depth) {
        const auto& [r, g, b] = depth.parts;
        line(label, {codegen::decimalText(r), codegen::decimalText(g), codegen::decimalText(b), depth.code});
    };
    line("full", {codegen::decimalText(color.red), codegen::decimalText(color.green), codegen::decimalText(color.blue)});
    depthLine("8", codes.bits8);
    depthLine("12", codes.bits12);
    depthLine("16", codes.bits16);
    line("value", {codes.colorValueText});
    out.flush();
    return out ? kOk : kFailed;
}

// One line per preset, in columns: name, controller, W x H, the depths it takes, the default.
int runDisplays(std::ostream& out) {
    for (const codegen::DisplayPreset& display : codegen::displayPresets()) {
        std::string depths;
        for (const codegen::Depth depth : display.depthList()) {
            if (!depths.empty()) depths += ',';
            depths += codegen::depthName(depth);
        }
        const std::string colours = display.mono ? "mono, pages" : "depths " + depths;
        std::string line = std::string(display.name);
        const auto column = [&line](std::size_t at, const std::string& field) {
            line.append(line.size() < at ? at - line.size() : 1, ' ').append(field);
        };
        column(18, std::string(display.controller));
        column(28, std::to_string(display.size.width) + "x" + std::to_string(display.size.height));
        column(37, colours);
        if (!display.mono) column(55, "default " + std::string(codegen::depthName(display.defaultDepth)));
        if (!display.note.empty()) line += " (" + std::string(display.note) + ")";
        out << line << '\n';
    }
    out.flush();
    return out ? kOk : kFailed;
}

// The decoder's header, for the firmware project: the generated NAME.h includes it as "quorvane_decode.h".
int runDecoder(const DecoderCommand& decoder, std::ostream& err) {
    const std::string_view text = codegen::decoderHeaderText();
    const Output header{decoder.path, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}};
    return writeOutputs({&header, 1}, err) ? kOk : kFailed;
}

} // namespace

int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err, const HandOver& handOver) {
    const Command command = parseCommandLine(args);
    if (const auto* usage = std::get_if<UsageError>(&command)) {
        // The message, and where the whole usage is: fifty lines of help would bury it.
        err << "quorvane-cli: " << usage->message << "\nTry 'quorvane-cli --help' for more information.\n";
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
    if (std::holds_alternative<DisplaysCommand>(command)) return runDisplays(out);
    if (const auto* decoder = std::get_if<DecoderCommand>(&command)) return runDecoder(*decoder, err);
    if (const auto* pack = std::get_if<PackCommand>(&command)) return handOver.pack(*pack);
    if (const auto* font = std::get_if<FontCommand>(&command)) return handOver.font(*font);
    const auto& code = std::get<CodeCommand>(command);
    try {
        return runCode(code, out, err);
    } catch (const std::exception& e) { // the quantiser's or the compressor's failure: said, never a crash
        err << "quorvane-cli: " << code.image << ": " << e.what() << '\n';
        return kFailed;
    }
}

} // namespace quorvane::cli
