#pragma once
// The picture's context menu: how "Make Code" dithers, and whether Picture1 shows the picture as opened
// or as the display will show it. The dithering choice is remembered between runs.

#include "codegen/dither.h"

#include <QMenu>

#include <functional>

class QAction;

namespace quorvane::ui {

class PictureMenu : public QMenu {
  public:
    explicit PictureMenu(QWidget* parent);

    std::function<void(codegen::Dither)> onDithering;
    std::function<void(bool show)> onShowAsDisplayed;

    codegen::Dither dithering() const;
    void setShowAsDisplayedTicked(bool ticked); // without calling onShowAsDisplayed

    QAction* ditheringAction(codegen::Dither dither) const;
    QAction* showAsDisplayedAction() const { return showAsDisplayed_; }

    static constexpr const char* kDitheringKey = "picture/dithering";

  private:
    QAction* none_ = nullptr;
    QAction* ordered_ = nullptr;
    QAction* errorDiffusion_ = nullptr;
    QAction* showAsDisplayed_ = nullptr;
};

} // namespace quorvane::ui
