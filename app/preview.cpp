#include "app/preview.h"

#include "codegen/atomicfile.h"
#include "codegen/imagename.h"
#include "codegen/numbers.h"
#include "codegen/pngfile.h"
#include "colorconv/colorcodes.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

namespace quorvane::app {

using codegen::decimalText;

namespace {

codegen::DisplayedPicture rgbOf(const capture::Picture& picture) {
    codegen::DisplayedPicture rgb{.width = picture.width, .height = picture.height, .rgb = {}};
    rgb.rgb.reserve(3 * picture.pixels.size());
    for (const std::uint32_t value : picture.pixels) {
        rgb.rgb.insert(rgb.rgb.end(), {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8),
                                       static_cast<std::uint8_t>(value >> 16)});
    }
    return rgb;
}

std::string depthCaption(codegen::Depth depth) { return std::string(codegen::depthName(depth)) + " Bit"; }

// The converter's own codes at the depths it shows; the others in the same manner.
colorconv::DepthCode codeAt(const colorconv::ColorCodes& codes, const std::uint8_t* rgb, codegen::Depth depth) {
    switch (depth) {
    case codegen::Depth::Bits8: return codes.bits8;
    case codegen::Depth::Bits12: return codes.bits12;
    case codegen::Depth::Bits16: return codes.bits16;
    case codegen::Depth::Bits18:
    case codegen::Depth::Bits24: break;
    }
    return colorconv::depthCode(rgb[0], rgb[1], rgb[2], depth);
}

std::string levels(const std::uint8_t* rgb) {
    return decimalText(rgb[0]) + " " + decimalText(rgb[1]) + " " + decimalText(rgb[2]);
}

} // namespace

void Preview::setSource(const PreviewSource& source) {
    const codegen::ImageCode code =
        codegen::makeImageCode(source.components, {source.picture.width, source.picture.height}, source.options);
    auto shown = codegen::displayedPicture(code.rawFile, source.options.rawLayout(), source.options.panel,
                                           code.panelSize);
    if (!shown) throw std::logic_error("the file image does not read back");

    // Computed in full before anything changes: a failure above leaves the last views standing.
    picture_ = rgbOf(source.picture);
    panel_ = std::move(*shown);
    imagePath_ = source.imagePath;
    depth_ = source.options.depth;
    mono_ = source.options.storage.mono;
    view_.showViews(picture_, panel_);
    showStatus();
}

void Preview::clearSource() {
    picture_ = {};
    panel_ = {};
    imagePath_.clear();
    view_.showViews(picture_, panel_);
    showStatus();
}

void Preview::setZoom(int zoom) {
    zoom_ = std::clamp(zoom, kMinZoom, kMaxZoom);
    view_.showZoom(zoom_, grid_);
}

void Preview::setGrid(bool grid) {
    grid_ = grid;
    view_.showZoom(zoom_, grid_);
}

void Preview::pointAt(std::optional<std::pair<int, int>> pixel) {
    pointed_ = pixel;
    showStatus();
}

void Preview::showStatus() {
    if (picture_.width == 0) {
        view_.setStatus(kNoPicture);
        return;
    }
    const bool inside = pointed_ && pointed_->first >= 0 && pointed_->second >= 0 &&
                        pointed_->first < picture_.width && pointed_->second < picture_.height;
    view_.setStatus(inside ? pixelStatus(pointed_->first, pointed_->second) : kPointHint);
}

// The source colour's parts and code come from the colour converter's own computation, so the two
// windows never disagree about a colour; what the panel shows there (dithered, swapped or inverted)
// stands beside them.
std::string Preview::pixelStatus(int x, int y) const {
    const std::size_t at = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(picture_.width) +
                                static_cast<std::size_t>(x));
    const std::uint8_t* source = picture_.rgb.data() + at;
    const colorconv::ColorCodes codes = colorconv::colorCodes(source[0], source[1], source[2]);
    if (mono_) {
        return "x " + decimalText(x) + ", y " + decimalText(y) + "   R G B " + levels(source) + "  " + codes.colorValueText +
               "   Mono   on the panel " + levels(panel_.rgb.data() + at);
    }
    const colorconv::DepthCode code = codeAt(codes, source, depth_);
    const auto& [r, g, b] = code.parts;
    return "x " + decimalText(x) + ", y " + decimalText(y) + "   R G B " + levels(source) + "  " +
           codes.colorValueText + "   " + depthCaption(depth_) + " " + decimalText(r) + " " + decimalText(g) + " " +
           decimalText(b) + "  " + code.code + "   on the panel " + levels(panel_.rgb.data() + at);
}

void Preview::savePicture() {
    if (panel_.width == 0) return;
    namespace fs = std::filesystem;
    const fs::path picture(imagePath_);
    const std::string suggested =
        (picture.parent_path() / (codegen::imageNameFromPath(imagePath_) + "-panel.png")).string();
    const auto chosen = view_.chooseSaveFile(suggested);
    if (!chosen || chosen->empty()) return;
    fs::path path(*chosen);
    if (!path.has_extension()) path += ".png";

    std::string reason;
    const auto png = codegen::encodePng(panel_.width, panel_.height, panel_.rgb, reason);
    if (!png) {
        view_.showMessage("Cannot make the picture: " + reason, MessageIcon::Error);
        return;
    }
    if (const auto error = codegen::writeFileAtomically(path, *png)) {
        view_.showMessage(*error, MessageIcon::Error);
        return;
    }
    view_.setStatus("Saved " + path.string());
}

} // namespace quorvane::app
