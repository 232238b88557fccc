#include "app/packing.h"

#include "codegen/atomicfile.h"
#include "codegen/imagename.h"
#include "codegen/rawfile.h"
#include "packs/packtext.h"
#include "packs/playback.h"

#include <algorithm>
#include <filesystem>

namespace quorvane::app {

namespace fs = std::filesystem;

// What the converting thread hands back: everything the window shows, or why there is nothing.
struct Packing::Result {
    std::optional<packs::Pack> pack;
    std::vector<std::uint8_t> bytes;
    std::vector<AssetRow> rows;
    std::vector<std::vector<codegen::DisplayedPicture>> shown;
    std::vector<std::vector<int>> delays;
    std::vector<packs::PackInput> inputs; // what was converted
    std::string error;
    bool cancelled = false;
};

Packing::~Packing() { *cancel_ = true; }

void Packing::setChoices(const PackChoices& choices) {
    if (choices == choices_) return;
    choices_ = choices;
    if (!inputs_.empty()) convert();
}

void Packing::addInputs(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) inputs_.push_back({.kind = packs::PackInput::Kind::Path, .path = path, .delayMs = {}});
    if (!paths.empty()) convert();
}

void Packing::addChosen() {
    if (const auto chosen = view_.chooseAddFiles()) addInputs({*chosen});
}

void Packing::clear() {
    cancel();
    inputs_.clear();
    converted_.clear();
    rows_.clear();
    shown_.clear();
    delays_.clear();
    bytes_.clear();
    pack_ = {};
    selected_ = -1;
    view_.showAssets(rows_, 0);
}

void Packing::cancel() {
    if (busy_) *cancel_ = true;
    again_ = false;
}

// Off the interface thread: the pack for result.inputs, and what the window shows of it.
void Packing::convertInto(Result& result, const PackChoices& choices, PackView& view, const std::atomic<bool>& cancel) {
    try {
        auto sources = packs::assetSources(result.inputs);
        if (auto* message = std::get_if<std::string>(&sources)) {
            result.error = *message;
            return;
        }
        packs::BuildOptions options;
        options.style = choices.style;
        options.panel = choices.panel;
        options.fit = choices.fit;
        options.cancel = &cancel;
        options.progress = [&view](std::size_t done, std::size_t all) { view.showProgress(done, all); };
        auto built = packs::buildPack(std::get<std::vector<packs::AssetSource>>(sources), options);
        if (auto* error = std::get_if<packs::BuildError>(&built)) {
            result.error = error->message;
            result.cancelled = error->cancelled;
            return;
        }
        result.pack = std::get<packs::Pack>(std::move(built));
        result.bytes = packs::packBytes(*result.pack);
        const auto played = packs::playPack(result.bytes);
        if (!played) throw std::runtime_error("the pack does not play back");
        for (std::size_t a = 0; a < played->size(); ++a) {
            const packs::Asset& asset = result.pack->assets[a];
            auto frames = packs::shownFrames((*played)[a], choices.style);
            if (!frames || frames->empty()) throw std::runtime_error(asset.name + " does not play back");
            std::size_t bytes = 0;
            std::vector<int> delays;
            for (const packs::Frame& frame : asset.frames) {
                delays.push_back(frame.delayMs);
                for (const packs::Part& part : frame.parts) bytes += part.data.size();
            }
            if (asset.palette >= 0) bytes += result.pack->palettes[static_cast<std::size_t>(asset.palette)].size();
            result.rows.push_back({asset.name, (*frames)[0].width, (*frames)[0].height, asset.frames.size(), bytes, (*frames)[0]});
            result.shown.push_back(std::move(*frames));
            result.delays.push_back(std::move(delays));
        }
    } catch (const std::exception& e) { // the quantiser, the compressor, a field of the index
        result.error = e.what();
    }
}

// One conversion at a time: inputs or choices that change meanwhile convert again when it ends.
void Packing::convert() {
    if (busy_) {
        again_ = true;
        *cancel_ = true;
        return;
    }
    busy_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    view_.showBusy(true);
    auto result = std::make_shared<Result>();
    result->inputs = inputs_;
    view_.runInBackground([result, cancelled = cancel_, view = &view_, choices = choices_] { convertInto(*result, choices, *view, *cancelled); },
        [this, result] { finished(result); });
}

// Back on the interface thread. A failure leaves the last pack as it was; so does a cancelled run.
void Packing::finished(const std::shared_ptr<Result>& result) {
    busy_ = false;
    view_.showBusy(false);
    if (again_) {
        again_ = false;
        convert();
        return;
    }
    if (result->cancelled) return;
    if (!result->error.empty()) {
        // What failed is dropped again, so that the next addition does not meet it; the pack stays.
        inputs_ = converted_;
        view_.showMessage(result->error, MessageIcon::Error);
        return;
    }
    converted_ = result->inputs;
    pack_ = std::move(*result->pack);
    bytes_ = std::move(result->bytes);
    rows_ = std::move(result->rows);
    shown_ = std::move(result->shown);
    delays_ = std::move(result->delays);
    view_.showAssets(rows_, bytes_.size());
    select(rows_.empty() ? -1 : std::clamp(selected_, 0, static_cast<int>(rows_.size()) - 1));
}

void Packing::select(int row) {
    selected_ = row;
    frame_ = 0;
    if (row < 0 || static_cast<std::size_t>(row) >= shown_.size()) return;
    view_.showFrame(shown_[static_cast<std::size_t>(row)][0]);
    if (shown_[static_cast<std::size_t>(row)].size() > 1) {
        view_.scheduleFrame(std::max(delays_[static_cast<std::size_t>(row)][0], kShortestDelayMs));
    }
}

// The animation loops for as long as it is selected.
void Packing::nextFrame() {
    if (selected_ < 0 || static_cast<std::size_t>(selected_) >= shown_.size()) return;
    const auto& frames = shown_[static_cast<std::size_t>(selected_)];
    if (frames.size() < 2) return;
    frame_ = (frame_ + 1) % frames.size();
    view_.showFrame(frames[frame_]);
    view_.scheduleFrame(std::max(delays_[static_cast<std::size_t>(selected_)][frame_], kShortestDelayMs));
}

void Packing::makePack() {
    if (bytes_.empty() || busy_) {
        view_.showMessage("Add pictures to the pack first.", MessageIcon::None);
        return;
    }
    const auto chosen = view_.chooseMakeFile("pack.c");
    if (!chosen) return;
    const fs::path source(*chosen);
    const std::string name = codegen::cIdentifier(source.stem().string());
    const fs::path header = fs::path(source).replace_extension(".h"), raw = source.parent_path() / codegen::rawFileName(source.stem().string());
    if (const auto refusal = codegen::targetRefusal(choices_.target, bytes_.size())) {
        view_.showMessage("The pack: " + *refusal + ".", MessageIcon::Error);
        return;
    }
    const std::string headerName = header.filename().string();
    const std::string text = packs::packSource(name, choices_.target, bytes_, {.headerName = headerName}).joined("\n") + '\n';
    const std::string headerText = packs::packHeader(headerName, name, choices_.target, pack_, bytes_.size());
    const auto bytesOf = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    for (const auto& [path, bytes] : {std::pair{source, bytesOf(text)}, std::pair{header, bytesOf(headerText)},
                                      std::pair{raw, std::span<const std::uint8_t>(bytes_)}}) {
        if (const auto error = codegen::writeFileAtomically(path.string(), bytes)) {
            view_.showMessage(*error, MessageIcon::Error);
            return;
        }
    }
}

} // namespace quorvane::app
