#include "ui/picturemenu.h"

#include "ui/widgets.h"

#include <QAction>
#include <QActionGroup>
#include <QSettings>
#include <QSignalBlocker>

namespace quorvane::ui {

PictureMenu::PictureMenu(QWidget* parent) : QMenu(parent) {
    fitLarger_ = addAction("Fit larger pictures to the panel");
    fitLarger_->setCheckable(true);
    fitLarger_->setChecked(QSettings().value(kFitLargerKey, false).toBool());
    connect(fitLarger_, &QAction::toggled, this, [this](bool fit) {
        QSettings().setValue(kFitLargerKey, fit);
        if (onFitLarger) onFitLarger(fit);
    });

    QMenu* dithering = addMenu("Dithering");
    auto* group = new QActionGroup(this);
    const auto choice = [&](const char* text, codegen::Dither dither) {
        QAction* action = dithering->addAction(text);
        action->setCheckable(true);
        action->setData(toQt(std::string(codegen::ditherName(dither))));
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, dither] {
            QSettings().setValue(kDitheringKey, toQt(std::string(codegen::ditherName(dither))));
            if (onDithering) onDithering(dither);
        });
        return action;
    };
    none_ = choice("None", codegen::Dither::None);
    ordered_ = choice("Ordered", codegen::Dither::Ordered);
    errorDiffusion_ = choice("Error diffusion", codegen::Dither::ErrorDiffusion);

    // A setting that no longer names a mode (an older or a hand-edited file) falls back to none.
    const std::string stored = fromQt(QSettings().value(kDitheringKey, "none").toString());
    ditheringAction(codegen::ditherFromName(stored).value_or(codegen::Dither::None))->setChecked(true);

    showAsDisplayed_ = addAction("Show as the display shows it");
    showAsDisplayed_->setCheckable(true);
    connect(showAsDisplayed_, &QAction::toggled, this, [this](bool show) {
        if (onShowAsDisplayed) onShowAsDisplayed(show);
    });
}

bool PictureMenu::fitLarger() const { return fitLarger_->isChecked(); }

codegen::Dither PictureMenu::dithering() const {
    if (ordered_->isChecked()) return codegen::Dither::Ordered;
    if (errorDiffusion_->isChecked()) return codegen::Dither::ErrorDiffusion;
    return codegen::Dither::None;
}

void PictureMenu::setShowAsDisplayedTicked(bool ticked) {
    const QSignalBlocker quiet(showAsDisplayed_);
    showAsDisplayed_->setChecked(ticked);
}

QAction* PictureMenu::ditheringAction(codegen::Dither dither) const {
    switch (dither) {
    case codegen::Dither::Ordered:
        return ordered_;
    case codegen::Dither::ErrorDiffusion:
        return errorDiffusion_;
    case codegen::Dither::None:
        break;
    }
    return none_;
}

} // namespace quorvane::ui
