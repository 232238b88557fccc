#include "app/fonting.h"

#include "codegen/atomicfile.h"
#include "codegen/imagename.h"
#include "codegen/rawfile.h"
#include "fonts/draw.h"
#include "fonts/fonttext.h"

#include <filesystem>

namespace quorvane::app {
namespace fs = std::filesystem;

namespace {

// What the sample is drawn in: lit text on a dark panel, as --preview draws it.
constexpr std::uint32_t kText = 0xFFFFFF, kBackground = 0x000000;

} // namespace

struct Fonting::Result {
    fonts::FontRequest request;
    std::variant<fonts::BuiltFont, fonts::FontFailure> built = fonts::FontFailure{};
};

Fonting::~Fonting() { cancel(); }

void Fonting::open() {
    if (listed_) return;
    listed_ = true;
    systemFonts_ = fonts::systemFonts();
    view_.showSystemFonts(systemFonts_);
}

void Fonting::setChoices(const FontChoices& choices) {
    if (choices == choices_) return;
    choices_ = choices;
    convert();
}

void Fonting::chooseFile() {
    if (const auto chosen = view_.chooseFontFile()) setFont(*chosen);
}

void Fonting::chooseSystemFont(std::size_t index) {
    if (index < systemFonts_.size()) setFont(systemFonts_[index].file);
}

void Fonting::setFont(const std::string& path) {
    request_.path = path;
    convert();
}

void Fonting::setSize(int px) {
    request_.sizePx = px;
    convert();
}

void Fonting::setBpp(int bpp) {
    request_.bpp = bpp;
    bppChosen_ = true;
    convert();
}

void Fonting::setCharacters(const std::string& utf8) {
    typed_ = utf8;
    convert();
}

// A file that cannot be read as UTF-8 is said and not kept, so the next choice still converts.
void Fonting::addCharactersFile() {
    const auto chosen = view_.chooseCharsFile();
    if (!chosen) return;
    const auto gathered = fonts::gatherCharacters({}, {}, {*chosen});
    if (const auto* reason = std::get_if<std::string>(&gathered)) {
        view_.showMessage(*reason + ".", MessageIcon::Error);
        return;
    }
    files_.push_back(*chosen);
    convert();
}

void Fonting::clearCharactersFiles() {
    files_.clear();
    convert();
}

void Fonting::setSample(const std::string& utf8) {
    sample_ = utf8;
    drawSample();
}

void Fonting::cancel() { cancel_->store(true); }

// Off the interface thread; the result comes back in finished(). Choices changed meanwhile convert again
// when this one ends, and a failure leaves the font shown before.
void Fonting::convert() {
    if (request_.path.empty()) return;
    if (busy_) {
        again_ = true;
        return;
    }
    auto gathered = fonts::gatherCharacters({}, typed_.empty() ? std::vector<std::string>{} : std::vector<std::string>{typed_}, files_);
    if (const auto* reason = std::get_if<std::string>(&gathered)) {
        view_.showMessage(*reason + ".", MessageIcon::Error);
        return;
    }
    auto result = std::make_shared<Result>();
    result->request = request_;
    result->request.chars = std::move(std::get<std::vector<char32_t>>(gathered));
    result->request.pixel = choices_.pixel;
    if (!bppChosen_) result->request.bpp = choices_.pixel.mono ? 1 : 4;
    busy_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    view_.showBusy(true);
    auto cancelled = cancel_;
    FontView& view = view_;
    view_.runInBackground(
        [result, cancelled, &view] {
            result->built = fonts::buildFont(result->request, [&](std::size_t done, std::size_t all) {
                view.showProgress(done, all);
                return !cancelled->load();
            });
        },
        [this, result] { finished(result); });
}

void Fonting::finished(const std::shared_ptr<Result>& result) {
    busy_ = false;
    view_.showBusy(false);
    if (const auto* failure = std::get_if<fonts::FontFailure>(&result->built)) {
        if (!cancel_->load()) view_.showMessage(failure->message + ".", MessageIcon::Error);
    } else {
        built_ = std::get<fonts::BuiltFont>(std::move(result->built));
        built_->data.pixel = result->request.pixel;
        const FontSummary summary{built_->data.glyphs.size(), built_->bytes.size(), built_->data.pairs.size(),
                                  fonts::missingText(built_->missing)};
        view_.showFontName(built_->family.empty() ? fs::path(result->request.path).filename().string() : built_->family);
        view_.showSummary(summary);
        drawSample();
    }
    if (again_) {
        again_ = false;
        convert();
    }
}

void Fonting::drawSample() {
    if (!built_) return;
    const auto drawn = fonts::drawText(built_->bytes, sample_, kText, kBackground);
    const auto shown = drawn ? fonts::shownText(*drawn, built_->data.pixel) : std::nullopt;
    view_.showSample(shown ? *shown : codegen::DisplayedPicture{});
}

void Fonting::makeCode() {
    if (!built_ || busy_) {
        view_.showMessage("Choose a font first.", MessageIcon::None);
        return;
    }
    const std::string suggested = codegen::cIdentifier(fs::path(request_.path).stem().string() + std::to_string(request_.sizePx));
    const auto chosen = view_.chooseMakeFile(suggested + ".c");
    if (!chosen) return;
    const fs::path source(*chosen);
    const std::string name = codegen::cIdentifier(source.stem().string());
    const fs::path header = fs::path(source).replace_extension(".h"), raw = source.parent_path() / codegen::rawFileName(source.stem().string());
    if (const auto refusal = codegen::targetRefusal(choices_.target, built_->bytes.size())) {
        view_.showMessage("The font: " + *refusal + ".", MessageIcon::Error);
        return;
    }
    const std::string headerName = header.filename().string();
    const std::string text = fonts::fontSource(name, choices_.target, *built_, {fs::path(request_.path).filename().string(), request_.sizePx},
                                               {.headerName = headerName})
                                 .joined("\n") +
                             '\n';
    const std::string headerText = fonts::fontHeader(headerName, name, choices_.target, *built_, request_.sizePx);
    const auto bytesOf = [](const std::string& s) {
        return std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    };
    for (const auto& [path, bytes] : {std::pair{source, bytesOf(text)}, std::pair{header, bytesOf(headerText)},
                                      std::pair{raw, std::span<const std::uint8_t>(built_->bytes)}}) {
        if (const auto error = codegen::writeFileAtomically(path.string(), bytes)) {
            view_.showMessage(*error, MessageIcon::Error);
            return;
        }
    }
    view_.setClipboardText(text);
}

} // namespace quorvane::app
