#pragma once
// The preview window's state and handlers: the picture as opened beside what a viewer will see on the
// panel for the main window's current choices, zoomed, with the pointed pixel's colour and codes.
//
// The panel view is made as "Make Code" makes its file (codegen::makeImageCode on the same components
// and options) and read back as `quorvane-cli --preview` reads it (codegen::displayedPicture), so the
// preview can never show other bytes than the ones the firmware gets. The main window pushes every
// change of picture, depth, dithering or panel setting in through setSource; nothing here reaches back.

#include "app/mainview.h"
#include "capture/picture.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

namespace quorvane::app {

class PreviewView {
public:
    virtual ~PreviewView() = default;

    // Both views, the same size: the panel's transforms are undone in the panel view.
    virtual void showViews(const codegen::DisplayedPicture& picture, const codegen::DisplayedPicture& panel) = 0;
    virtual void showZoom(int zoom, bool grid) = 0; // the zoom choice, the grid tick, and the window fitted to them
    virtual void setStatus(const std::string& text) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string& suggested) = 0; // nullopt when cancelled
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;           // modal, titled "Quorvane"
};

// What "Make Code" would convert now.
struct PreviewSource {
    const capture::Picture& picture;          // as opened: fitted and composited
    std::span<const std::int32_t> components; // as captured from it
    std::string imagePath;
    codegen::CodeOptions options;
};

class Preview {
public:
    explicit Preview(PreviewView& view) : view_(view) {}

    void setSource(const PreviewSource& source);
    void clearSource(); // no picture opened yet

    void setZoom(int zoom);
    void zoomIn() { setZoom(zoom_ + 1); }
    void zoomOut() { setZoom(zoom_ - 1); }
    void setGrid(bool grid);

    // A pixel of either view, in the picture's own coordinates (the views share them); nullopt when the
    // pointer is over neither.
    void pointAt(std::optional<std::pair<int, int>> pixel);

    void savePicture(); // "Save picture…": the panel view as PNG

    const codegen::DisplayedPicture& picture() const { return picture_; }
    const codegen::DisplayedPicture& panelView() const { return panel_; }
    int zoom() const { return zoom_; }
    bool grid() const { return grid_; }
    bool gridShown() const { return grid_ && zoom_ >= kGridZoom; }

    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 8;
    static constexpr int kGridZoom = 4; // below it, lines one device pixel wide would cover the picture
    static constexpr const char* kNoPicture = "Open a picture to preview it.";
    static constexpr const char* kPointHint = "Point at a pixel for its colour and codes.";

private:
    std::string pixelStatus(int x, int y) const;
    void showStatus();

    PreviewView& view_;
    codegen::DisplayedPicture picture_;
    codegen::DisplayedPicture panel_;
    std::string imagePath_;
    codegen::Depth depth_ = codegen::Depth::Bits8;
    bool mono_ = false; // one bit a pixel: the depth's codes mean nothing on such a panel
    std::optional<std::pair<int, int>> pointed_; // kept, so that a new depth shows at once where the pointer rests
    int zoom_ = 3;
    bool grid_ = false;
};

} // namespace quorvane::app
