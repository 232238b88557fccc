#pragma once
// The picture's context menu: whether "Open BMP" fits a larger picture to the panel, how "Make Code"
// dithers, how the panel is mounted and wired, which display it is (remembered between runs, like
// everything before it), 18 and 24 Bit under "More depths", the colours (full, a palette, monochrome)
// and the compression the picture is stored with, and whether Picture1 shows the picture as
// opened or as the display will show it; and the preview window.

#include "codegen/displays.h"
#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/storage.h"

#include <QMenu>

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvane::app {
class Form1;
}

class QAction;

namespace quorvane::ui {

class PictureMenu : public QMenu {
  public:
    explicit PictureMenu(QWidget* parent);

    std::function<void(bool fit)> onFitLarger;
    std::function<void(codegen::Dither)> onDithering;
    std::function<void(const codegen::PanelOptions&)> onPanel;
    std::function<void(bool show)> onShowAsDisplayed;
    std::function<void()> onPreview;
    std::function<void()> onPack;
    std::function<void()> onFont;
    std::function<void(const std::optional<codegen::DisplayPreset>&)> onDisplay; // none: the 132 x 132 panel
    std::function<void(codegen::Depth)> onMoreDepth;
    std::function<void(const codegen::Storage&)> onColours; // its compression is not a part of the choice
    std::function<void(codegen::Compression)> onCompression;

    // Every choice goes to the window's handlers, and the remembered ones are handed to them at once.
    void bind(app::Form1& form);

    bool fitLarger() const;
    std::optional<codegen::DisplayPreset> display() const;
    // The depth as the window shows it, without calling back: 18 or 24 Bit ticked (any other clears
    // both), and only the available ones enabled.
    void showMoreDepth(codegen::Depth depth, const std::vector<codegen::Depth>& available);
    codegen::Dither dithering() const;
    codegen::PanelOptions panel() const;
    void setShowAsDisplayedTicked(bool ticked); // without calling onShowAsDisplayed
    codegen::Storage storage() const; // the colours and the compression ticked
    // The colours ticked, without calling back, and stored; monochrome enabled only where `mono`
    // allows it, full colour and palettes where `colour` does.
    void showColours(const codegen::Storage& colours, bool mono, bool colour);

    QAction* ditheringAction(codegen::Dither dither) const;
    QAction* rotationAction(int degrees) const;
    QAction* mirrorAction(codegen::Mirror mirror) const;
    QAction* bgrAction() const { return bgr_; }
    QAction* invertAction() const { return invert_; }
    QAction* showAsDisplayedAction() const { return showAsDisplayed_; }
    QAction* fitLargerAction() const { return fitLarger_; }
    QAction* previewAction() const { return preview_; }
    QAction* packAction() const { return pack_; }
    QAction* fontAction() const { return font_; }
    QAction* displayAction(std::string_view name) const; // "" for the 132 x 132 panel
    QAction* moreDepthAction(codegen::Depth depth) const;
    QAction* coloursAction(std::string_view word) const; // "full", "256" ... "2", "mono-rows" ...
    QAction* compressionAction(codegen::Compression compression) const;

    static constexpr const char* kDitheringKey = "picture/dithering";
    static constexpr const char* kFitLargerKey = "picture/fitLarger";
    static constexpr const char* kRotateKey = "panel/rotate";
    static constexpr const char* kMirrorKey = "panel/mirror";
    static constexpr const char* kBgrKey = "panel/bgr";
    static constexpr const char* kInvertKey = "panel/invert";
    static constexpr const char* kDisplayKey = "display/name";
    static constexpr const char* kDefaultDisplayText = "Nokia 6100 type, 132 × 132";
    static constexpr const char* kColoursKey = "picture/colours";
    static constexpr const char* kCompressionKey = "picture/compression";

  private:
    void buildPanelMenu();
    void buildDisplayMenu();
    void buildStorageMenus();
    void panelChanged();

    QAction* fitLarger_ = nullptr;
    QAction* none_ = nullptr;
    QAction* ordered_ = nullptr;
    QAction* errorDiffusion_ = nullptr;
    QAction* rotations_[4] = {};
    QAction* mirrors_[3] = {};
    QAction* bgr_ = nullptr;
    QAction* invert_ = nullptr;
    QAction* showAsDisplayed_ = nullptr;
    QAction* preview_ = nullptr;
    QAction* pack_ = nullptr;
    QAction* font_ = nullptr;
    std::vector<QAction*> displays_; // the 132 x 132 panel, then every preset in the table's order
    QAction* moreDepths_[2] = {};    // 18 Bit, 24 Bit, as kMoreDepths lists them
    std::vector<QAction*> colours_;  // as kColours lists them; each action's data is its word
    std::vector<QAction*> compressions_; // in the order of codegen::Compression
};

} // namespace quorvane::ui
