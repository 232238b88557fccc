#pragma once
// The picture's context menu: whether "Open BMP" fits a larger picture to the panel, how "Make Code"
// dithers, and whether Picture1 shows the picture as opened or as the display will show it. The fitting
// and the dithering are remembered between runs.

#include "codegen/dither.h"

#include <QMenu>

#include <functional>

class QAction;

namespace quorvane::ui {

class PictureMenu : public QMenu {
  public:
    explicit PictureMenu(QWidget* parent);

    std::function<void(bool fit)> onFitLarger;
    std::function<void(codegen::Dither)> onDithering;
    std::function<void(bool show)> onShowAsDisplayed;

    bool fitLarger() const;
    codegen::Dither dithering() const;
    void setShowAsDisplayedTicked(bool ticked); // without calling onShowAsDisplayed

    QAction* ditheringAction(codegen::Dither dither) const;
    QAction* showAsDisplayedAction() const { return showAsDisplayed_; }
    QAction* fitLargerAction() const { return fitLarger_; }

    static constexpr const char* kDitheringKey = "picture/dithering";
    static constexpr const char* kFitLargerKey = "picture/fitLarger";

  private:
    QAction* fitLarger_ = nullptr;
    QAction* none_ = nullptr;
    QAction* ordered_ = nullptr;
    QAction* errorDiffusion_ = nullptr;
    QAction* showAsDisplayed_ = nullptr;
};

} // namespace quorvane::ui
