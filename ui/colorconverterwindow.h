#pragma once
// The colour converter's widgets, bound to Cform through ColorView.

#include "colorconv/cform.h"
#include "colorconv/colorview.h"

#include <QColor>
#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;

namespace quorvane::ui {

class PictureBox;

class ColorConverterWindow : public QDialog, public colorconv::ColorView {
public:
    explicit ColorConverterWindow(QWidget* owner);

    // Seam for the tests; by default the system colour dialog. nullopt means cancelled.
    std::function<std::optional<QColor>(const QColor& current)> colorChooser;

    // Starts from the design state, centred on the owner, and returns when the window is closed.
    void openModal();

    QLineEdit* box(colorconv::Box which) const { return boxes_[static_cast<std::size_t>(which)]; }
    QPushButton* customButton() const { return custom_; }
    PictureBox* swatch() const { return swatch_; }

    // ColorView
    std::string text(colorconv::Box which) const override;
    void setText(colorconv::Box which, const std::string& text) override;
    void setSwatchColor(std::uint32_t color) override;
    void resetSwatch() override;
    std::uint32_t swatchPixel() const override;
    std::optional<std::uint32_t> chooseColor(std::uint32_t current) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    colorconv::Cform form_;
    std::array<QLineEdit*, colorconv::kBoxCount> boxes_{};
    QPushButton* custom_ = nullptr;
    PictureBox* swatch_ = nullptr;
};

} // namespace quorvane::ui
