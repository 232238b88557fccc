#include "cli/packcommand.h"

#include "cli/outputs.h"
#include "cli/progress.h"
#include "codegen/imagename.h"
#include "codegen/pngfile.h"
#include "packs/build.h"
#include "packs/packtext.h"
#include "packs/playback.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace quorvane::cli {
namespace {

namespace fs = std::filesystem;

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The array's name: --name, else the source's or the header's file name, else "pack".
std::string packName(const CodeCommand& code) {
    if (code.name) return codegen::cIdentifier(*code.name);
    for (const auto& file : {code.output, code.header}) {
        if (file) return codegen::cIdentifier(fs::path(*file).stem().string());
    }
    return "pack";
}

// The preview's pictures: every frame of every asset as the decoder plays it, laid over the one before.
std::variant<std::vector<File>, std::string> previewFiles(const std::string& folder, std::span<const std::uint8_t> bytes,
                                                            const packs::Pack& pack, const packs::FrameStyle& style) {
    const auto played = packs::playPack(bytes);
    if (!played || played->size() != pack.assets.size()) return std::string("the pack does not play back");
    std::vector<File> files;
    for (std::size_t a = 0; a < played->size(); ++a) {
        const auto shown = packs::shownFrames((*played)[a], style);
        if (!shown) return "the asset " + pack.assets[a].name + " does not play back";
        for (std::size_t f = 0; f < shown->size(); ++f) {
            const codegen::DisplayedPicture& picture = (*shown)[f];
            std::string reason;
            auto png = codegen::encodePng(picture.width, picture.height, picture.rgb, reason);
            if (!png) return reason;
            files.push_back({(fs::path(folder) / (lower(pack.assets[a].name) + "_" + std::to_string(f) + ".png")).string(), std::move(*png)});
        }
    }
    return files;
}

// The pack's inputs for Make's rule: every folder (a folder changes when a picture is added to it) and
// every file read.
std::vector<std::string> depfileInputs(const std::vector<packs::AssetSource>& sources, const std::vector<packs::PackInput>& inputs) {
    std::vector<std::string> files;
    std::error_code ignored;
    for (const packs::PackInput& input : inputs) {
        if (fs::is_directory(input.path, ignored)) files.push_back(input.path);
    }
    for (const packs::AssetSource& source : sources) {
        files.insert(files.end(), source.files.begin(), source.files.end());
        if (source.kind != packs::AssetSource::Kind::Frames) files.push_back(source.path);
    }
    return files;
}

} // namespace

int runPack(const PackCommand& command, std::ostream& out, std::ostream& err, bool errIsTerminal) {
    const CodeCommand& code = command.code;
    auto sources = packs::assetSources(command.inputs);
    if (auto* message = std::get_if<std::string>(&sources)) {
        err << "quorvane-cli: " << *message << '\n';
        return kFailed;
    }
    const auto& assets = std::get<std::vector<packs::AssetSource>>(sources);

    packs::BuildOptions options;
    options.style = {code.depth, code.byteOrder, code.storage, code.dither, code.panel};
    options.panel = code.panelSize;
    options.fit = code.fit;
    options.fitMode = code.fitMode;
    options.background = code.background;
    options.sharedPalette = command.sharedPalette;
    options.jobs = command.jobs;
    ProgressLine progress(err, !command.quiet && (errIsTerminal || command.progress), "assets");
    options.progress = [&progress](std::size_t done, std::size_t all) { progress.update(done, all); };

    auto built = packs::buildPack(assets, options);
    progress.clear();
    if (auto* error = std::get_if<packs::BuildError>(&built)) {
        err << "quorvane-cli: " << error->message << '\n';
        if (error->usage) err << "Try 'quorvane-cli --help' for more information.\n";
        return error->usage ? kUsage : kFailed;
    }
    const packs::Pack& pack = std::get<packs::Pack>(built);
    const std::vector<std::uint8_t> bytes = packs::packBytes(pack);
    if (const auto refusal = codegen::targetRefusal(code.target, bytes.size())) {
        err << "quorvane-cli: the pack: " << *refusal << '\n';
        return kFailed;
    }

    const std::string name = packName(code);
    const std::string headerName = code.header ? fs::path(*code.header).filename().string() : std::string();
    const codegen::ArrayText text =
        packs::packSource(name, code.target, bytes, {.columns = code.columns, .radix = code.radix, .headerName = headerName});
    // Everything is made before anything is written: a failure leaves no output half made.
    std::vector<File> outputs;
    if (code.output) outputs.push_back(textFile(*code.output, text.joined("\n") + '\n'));
    if (code.header) outputs.push_back(textFile(*code.header, packs::packHeader(headerName, name, code.target, pack, bytes.size())));
    if (code.hex) outputs.push_back({*code.hex, bytes});
    if (code.preview) {
        std::error_code error;
        if (!fs::is_directory(*code.preview, error)) {
            err << "quorvane-cli: Cannot write " << *code.preview << ": --preview takes a folder that exists.\n";
            return kFailed;
        }
        auto files = previewFiles(*code.preview, bytes, pack, options.style);
        if (auto* reason = std::get_if<std::string>(&files)) {
            err << "quorvane-cli: cannot make the preview " << *code.preview << ": " << *reason << '\n';
            return kFailed;
        }
        for (File& file : std::get<std::vector<File>>(files)) outputs.push_back(std::move(file));
    }
    if (command.depfile) {
        outputs.push_back(depfile(*command.depfile, outputs, depfileInputs(assets, command.inputs)));
    }
    if (!writeFiles(outputs, err)) return kFailed;
    if (!code.output && !writeText(text, out, err)) return kFailed;
    return kOk;
}

} // namespace quorvane::cli
