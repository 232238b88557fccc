#pragma once
// The picture's context menu: whether "Open BMP" fits a larger picture to the panel, how "Make Code"
// dithers, how the panel is mounted and wired, and whether Picture1 shows the picture as opened or as
// the display will show it (everything so far is remembered between runs); and the preview window.

#include "codegen/dither.h"
#include "codegen/panel.h"

#include <QMenu>

#include <functional>

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

    bool fitLarger() const;
    codegen::Dither dithering() const;
    codegen::PanelOptions panel() const;
    void setShowAsDisplayedTicked(bool ticked); // without calling onShowAsDisplayed

    QAction* ditheringAction(codegen::Dither dither) const;
    QAction* rotationAction(int degrees) const;
    QAction* mirrorAction(codegen::Mirror mirror) const;
    QAction* bgrAction() const { return bgr_; }
    QAction* invertAction() const { return invert_; }
    QAction* showAsDisplayedAction() const { return showAsDisplayed_; }
    QAction* fitLargerAction() const { return fitLarger_; }
    QAction* previewAction() const { return preview_; }

    static constexpr const char* kDitheringKey = "picture/dithering";
    static constexpr const char* kFitLargerKey = "picture/fitLarger";
    static constexpr const char* kRotateKey = "panel/rotate";
    static constexpr const char* kMirrorKey = "panel/mirror";
    static constexpr const char* kBgrKey = "panel/bgr";
    static constexpr const char* kInvertKey = "panel/invert";

  private:
    void buildPanelMenu();
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
};

} // namespace quorvane::ui
