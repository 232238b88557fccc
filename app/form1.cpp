#include "app/form1.h"

#include "app/folders.h"
#include "app/frame.h"
#include "app/fonting.h"
#include "app/packing.h"
#include "app/preview.h"
#include "capture/capture.h"
#include "codegen/atomicfile.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "codegen/imagename.h"
#include "codegen/numbers.h"
#include "codegen/rawfile.h"

#include <algorithm>
#include <exception>
#include <tuple>
#include <stdexcept>
#include <filesystem>

namespace quorvane::app {

using codegen::decimalText;

void Form1::Form_Load() {
    view_.setOpenDialog("Open BMP 132x132 max", "BMP", "*.bmp");
    state_.imageLoaded = 0;
}

void Form1::ClearData() {
    state_.componentCount = 0;
    state_.outputCount = 0;
    std::fill(state_.componentStore.begin(), state_.componentStore.end(), 0);
}

// No failure may end the program or leave a half-done action: each handler computes before it changes
// anything, and whatever still goes wrong is reported in a message box.
template <typename Handler> void Form1::guarded(Handler handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        view_.showMessage(std::string("The action failed: ") + e.what(), MessageIcon::Error);
    }
}

void Form1::Command1_Click() { guarded([this] { openPicture(); }); }
void Form1::Command2_Click() { guarded([this] { makeCode(); }); }
void Form1::Command3_Click() { guarded([this] { makeHeaderFile(); }); }
void Form1::Command4_Click() { guarded([this] { view_.openColorConverter(); }); }

// The caption names the picture's own pixel, also where the frame shows the picture scaled down.
void Form1::Picture1_MouseMove(int, int, int x, int y) {
    const capture::Picture& shown = state_.picture;
    if (shown.width > 0) std::tie(x, y) = pictureAt(x, y, shown.width, shown.height);
    view_.setCaption("Quorvane Tessaline. (MOUSE) X: " + decimalText(x) + " Y: " + decimalText(y));
}

void Form1::Picture1_DblClick() { openPreview(); }

void Form1::Option_Click() {
    if (state_.moreDepth) {
        state_.moreDepth.reset();
        view_.showDepth(selectedDepth(), availableDepths());
    }
    updatePreview();
}

std::vector<codegen::Depth> Form1::availableDepths() const {
    if (state_.display) return state_.display->depthList();
    std::vector<codegen::Depth> all;
    for (const codegen::ColorFormat& format : codegen::colorFormats()) all.push_back(format.depth);
    return all;
}

// 18 and 24 Bit have no option of their own: choosing one clears the three.
void Form1::chooseDepth(codegen::Depth depth) {
    const bool option = depth == codegen::Depth::Bits8 || depth == codegen::Depth::Bits12 || depth == codegen::Depth::Bits16;
    state_.moreDepth = option ? std::nullopt : std::optional{depth};
    view_.showDepth(depth, availableDepths());
}

void Form1::setMoreDepth(codegen::Depth depth) {
    const auto available = availableDepths();
    if (std::find(available.begin(), available.end(), depth) == available.end()) return;
    chooseDepth(depth);
    updatePreview();
}

// A module comes with its default depth; back on the 132 x 132 panel every depth is there again and the
// chosen one stays. A monochrome module takes one bit a pixel in pages, a colour one anything else.
void Form1::setDisplay(const std::optional<codegen::DisplayPreset>& display) {
    state_.display = display;
    chooseDepth(display ? display->defaultDepth : selectedDepth());
    codegen::Storage& storage = state_.storage;
    if (display && display->mono) {
        storage = {.paletteSize = 0, .mono = true, .monoLayout = codegen::MonoLayout::Pages, .compression = storage.compression};
    } else if (display && storage.mono) {
        storage = {.compression = storage.compression};
    }
    showColours();
    updatePreview();
}

void Form1::showColours() {
    const bool monoDisplay = state_.display && state_.display->mono;
    view_.showColours(state_.storage, !state_.display || monoDisplay, !monoDisplay);
}

void Form1::setColours(const codegen::Storage& colours) {
    const bool monoDisplay = state_.display && state_.display->mono;
    // What the display cannot take stays unchosen; the menu shows what is.
    if (!state_.display || monoDisplay == colours.mono) {
        state_.storage = {.paletteSize = colours.mono ? 0 : colours.paletteSize,
                          .mono = colours.mono,
                          .monoLayout = colours.monoLayout,
                          .compression = state_.storage.compression};
    }
    showColours();
    updatePreview();
}

void Form1::setCompression(codegen::Compression compression) {
    state_.storage.compression = compression;
    updatePreview();
}

void Form1::openPreview() {
    preview_ = &view_.preview();
    updatePreview();
    view_.showPreview();
}

void Form1::openPack() {
    packing_ = &view_.packing();
    updatePacking();
    view_.showPacking();
}

void Form1::makePack() {
    if (!packing_) return;
    updatePacking();
    guarded([this] { packing_->makePack(); });
}

void Form1::openFont() {
    fonting_ = &view_.fonting();
    updateFonting();
    view_.showFonting();
    fonting_->open();
}

void Form1::makeFont() {
    if (!fonting_) return;
    updateFonting();
    guarded([this] { fonting_->makeCode(); });
}

void Form1::updateFonting() {
    if (!fonting_) return;
    const codegen::CodeOptions options = currentOptions();
    fonting_->setChoices({.pixel = {options.depth, options.byteOrder, options.panel.bgr, options.panel.invert, options.storage.mono,
                                    options.storage.monoLayout},
                          .target = options.target});
}

void Form1::updatePacking() {
    if (!packing_) return;
    const codegen::CodeOptions options = currentOptions();
    packing_->setChoices({.style = {options.depth, options.byteOrder, options.storage, options.dither, options.panel},
                          .panel = state_.display ? state_.display->size : codegen::kDefaultPanel,
                          .fit = state_.fitLarger,
                          .target = options.target});
}

// Before any picture the preview says so; after one, a failure is reported and the last views stay. The
// Pack and Font windows follow the choices too.
void Form1::updatePreview() {
    updatePacking();
    updateFonting();
    if (!preview_) return;
    if (state_.imageLoaded == 0) {
        preview_->clearSource();
        return;
    }
    guarded([this] {
        preview_->setSource({.picture = state_.picture,
                             .components = std::span<const std::int32_t>(
                                 state_.componentStore.data(), static_cast<std::size_t>(state_.componentCount)),
                             .imagePath = state_.imagePath,
                             .options = currentOptions()});
    });
}

void Form1::List1_Click() { view_.setCaption(decimalText(view_.selectedListIndex(ListBox::List1))); }

void Form1::openGivenPicture(const std::string& path) {
    guarded([this, &path] { openPicturePath(path); });
}

void Form1::openPicture() {
    const auto chosen = view_.chooseOpenFile();
    if (chosen) openPicturePath(*chosen);
}

void Form1::openPicturePath(const std::string& chosen, bool fitThisOnce) {
    // A name too short to be a file leaves everything as it was: imagePath keeps naming the picture
    // whose pixels are captured.
    if (chosen.size() < 2) return;

    // The picture as opened may be as large as the display turned back by the panel's rotation.
    const codegen::PictureSize frame =
        codegen::panelSize(state_.display ? state_.display->size : codegen::kDefaultPanel, state_.panel);
    auto loaded = capture::loadPicture(
        chosen, {.fit = fitThisOnce || state_.fitLarger, .maxWidth = frame.width, .maxHeight = frame.height});
    if (const auto* error = std::get_if<capture::LoadError>(&loaded)) {
        // The way out of "too large" is offered where the user meets it, not only in the menu.
        if (error->kind == capture::LoadError::Kind::TooLarge && error->fittable) {
            if (view_.offerToFit(error->message)) openPicturePath(chosen, true);
            return;
        }
        view_.showMessage(error->message, MessageIcon::Error);
        return;
    }
    const auto& picture = std::get<capture::Picture>(loaded);
    view_.showPicture(framedPicture(picture));

    // A new picture is shown as it is: the display's view belonged to the last one.
    if (state_.showAsDisplayed) {
        state_.showAsDisplayed = false;
        view_.setShowAsDisplayedTicked(false);
    }
    state_.imagePath = chosen;
    state_.heightText = decimalText(picture.height);
    state_.widthText = decimalText(picture.width);
    ClearData();
    view_.clearList(ListBox::List1);
    view_.clearList(ListBox::List2);
    for (TextBox box : {TextBox::Text1, TextBox::Text2, TextBox::Text3, TextBox::Text4}) view_.setText(box, "");
    state_.imageLoaded = 1;
    view_.setText(TextBox::Text1, state_.heightText + "x" + state_.widthText + " - " + state_.imagePath);

    if (state_.componentStore.size() < 3 * picture.pixels.size()) state_.componentStore.resize(3 * picture.pixels.size());
    state_.componentCount = capture::captureComponents(picture, state_.componentStore);
    state_.picture = picture;
    state_.pixelColor = static_cast<std::int32_t>(picture.pixels.back());
    state_.pixelRed = static_cast<std::uint8_t>(state_.pixelColor & 0xFF);
    state_.pixelGreen = static_cast<std::uint8_t>((state_.pixelColor >> 8) & 0xFF);
    state_.pixelBlue = static_cast<std::uint8_t>((state_.pixelColor >> 16) & 0xFF);
    view_.setText(TextBox::Text3, decimalText(state_.componentCount));
    updatePreview();
}

codegen::Depth Form1::selectedDepth() const {
    if (state_.moreDepth) return *state_.moreDepth;
    if (view_.isSelected(OptionButton::Option1)) return codegen::Depth::Bits8;
    if (view_.isSelected(OptionButton::Option2)) return codegen::Depth::Bits12;
    return codegen::Depth::Bits16;
}

codegen::CodeOptions Form1::currentOptions() const {
    return {.depth = selectedDepth(),
            .target = view_.isSelected(OptionButton::Option4) ? codegen::Target::Pic : codegen::Target::Arm,
            .arrayName = codegen::imageNameFromPath(state_.imagePath),
            .dither = state_.dithering,
            .panel = state_.panel,
            .sizeHeader = state_.display ? state_.display->sizeHeader() : codegen::SizeHeader::Bytes8,
            .storage = state_.storage,
            .layout = {.columns = state_.display ? kDisplayColumns : 0, .radix = codegen::Radix::Decimal, .headerName = {}}};
}

void Form1::makeCode() {
    if (state_.imageLoaded == 0) return;

    const codegen::CodeOptions options = currentOptions();
    const std::span<const std::int32_t> components(state_.componentStore.data(),
                                                   static_cast<std::size_t>(state_.componentCount));
    const codegen::ImageCode code =
        codegen::makeImageCode(components, {state_.picture.width, state_.picture.height}, options);

    view_.clearList(ListBox::List2);
    view_.clearList(ListBox::List3);
    view_.setText(TextBox::Text2, "");
    view_.setText(TextBox::Text4, codegen::text4(code.conversion));
    view_.addListItems(ListBox::List2, codegen::list2Items(code.conversion));
    view_.addListItems(ListBox::List3, codegen::list3Items(code.conversion));

    // fileValues keeps whatever stands above the new image, as a fixed array does.
    const std::size_t fileEntries = code.sizeBytes.size() + code.outputCount() + 1;
    if (state_.fileValues.size() < fileEntries) state_.fileValues.resize(fileEntries);
    codegen::fillFileValues(state_.fileValues, code.sizeBytes, code.conversion.packed);
    state_.outputCount = static_cast<std::int32_t>(code.outputCount());
    state_.outputText = code.text.valueLine;
    state_.fileByteCount = code.rawFile.size();
    state_.fileOptions = options;

    view_.setText(TextBox::Text2, code.text.joined("\r\n"));
    view_.setClipboardText(state_.outputText);
    view_.setText(TextBox::Text5, codegen::text5(code.conversion));
    if (state_.showAsDisplayed) showCurrentPicture();
}

void Form1::setFitLarger(bool fit) {
    state_.fitLarger = fit;
    updatePacking();
}

void Form1::setDithering(codegen::Dither dithering) {
    state_.dithering = dithering;
    updatePreview();
}

void Form1::setPanel(const codegen::PanelOptions& panel) {
    state_.panel = panel;
    updatePreview();
}

void Form1::setShowAsDisplayed(bool show) {
    state_.showAsDisplayed = show;
    guarded([this] { showCurrentPicture(); });
}

// The display's view is built from the bytes the file would hold, never from intermediate state, so it
// shows exactly what the panel will.
void Form1::showCurrentPicture() {
    if (state_.imageLoaded == 0) return;
    const bool haveFile = state_.outputCount > 0;
    if (!state_.showAsDisplayed || !haveFile) {
        view_.showPicture(framedPicture(state_.picture));
        return;
    }
    const auto bytes = codegen::rawFileBytes(state_.fileValues, state_.fileByteCount);
    const codegen::CodeOptions& made = state_.fileOptions;
    const codegen::PictureSize received = codegen::panelSize({state_.picture.width, state_.picture.height}, made.panel);
    const auto displayed = codegen::displayedPicture(bytes, made.rawLayout(), made.panel, received);
    if (!displayed) throw std::logic_error("the file image does not read back");
    capture::Picture shown{.width = displayed->width, .height = displayed->height, .pixels = {}, .alpha = {}};
    const std::vector<std::uint8_t>& rgb = displayed->rgb;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        shown.pixels.push_back(capture::colorValue(rgb[i], rgb[i + 1], rgb[i + 2]));
    }
    view_.showPicture(framedPicture(shown));
}

void Form1::makeHeaderFile() {
    // Nothing to write until "Make Code" has run on the captured picture: an empty file announced as a
    // success would replace a good one.
    if (state_.imageLoaded == 0 || state_.outputCount == 0) return;

    const std::string fileName = codegen::rawFileName(codegen::imageNameFromPath(state_.imagePath));
    const std::filesystem::path programFolder(view_.programFolder());
    const bool inProgramFolder = keepsUserFiles(programFolder);
    const auto path = inProgramFolder ? programFolder / fileName
                                      : std::filesystem::absolute(state_.imagePath).parent_path() / fileName;
    const auto bytes = codegen::rawFileBytes(state_.fileValues, state_.fileByteCount);
    if (const auto error = codegen::writeFileAtomically(path, bytes)) {
        view_.showMessage(*error, MessageIcon::Error);
        return;
    }
    // Away from the program's folder the user needs the whole path to find the file.
    const std::string named = inProgramFolder ? fileName : path.string();
    view_.showMessage(named + "\r\nCreated Successfully!", MessageIcon::None);
}

} // namespace quorvane::app
