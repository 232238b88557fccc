#include "ui/colorconverterwindow.h"

#include "ui/widgets.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quorvane::ui {

using colorconv::Box;

namespace {
constexpr int kRowLabelLeft = 240; // "8 Bit", "12 Bit", "16 Bit"
constexpr int kCodeLeft = 272;     // the code boxes
} // namespace

ColorConverterWindow::ColorConverterWindow(QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                         Qt::MSWindowsFixedSizeDialogHint),
      form_(*this) {
    setObjectName("Cform");
    setWindowTitle("Color Converter");
    setFixedSize(341, 137);
    setModal(true);

    struct LabelEntry {
        const char* name;
        const char* caption;
        QRect geometry;
    };
    const LabelEntry labels[] = {
        {"Label2", "Red", {104, 0, 20, 13}},    {"Label3", "Green", {144, 0, 29, 13}}, {"Label4", "Blue", {192, 0, 21, 13}},
        {"Label5", "8 Bit", {240, 40, 21, 13}}, {"Label6", "12 Bit", {240, 64, 27, 13}}, {"Label7", "16 Bit", {240, 88, 27, 13}},
    };
    for (const auto& entry : labels) {
        auto* label = new QLabel(entry.caption, this);
        label->setObjectName(entry.name);
        label->setGeometry(entry.geometry);
        // The row labels stand in the 32 pixels before the code boxes; where the system's default font
        // is wider than the one the layout was drawn with, a smaller size keeps the caption whole.
        if (entry.geometry.left() == kRowLabelLeft) {
            QFont font = label->font();
            while (QFontMetrics(font).horizontalAdvance(label->text()) > kCodeLeft - kRowLabelLeft - 2 &&
                   font.pointSizeF() > 6) {
                font.setPointSizeF(font.pointSizeF() - 0.25);
            }
            label->setFont(font);
        }
        label->adjustSize(); // labels size themselves to their captions
        label->move(entry.geometry.topLeft());
    }

    // Boxes in the order of their names, which is also their tab order.
    const int columns[] = {96, 144, 192};
    const int rows[] = {16, 40, 64, 88};
    for (std::size_t i = 0; i < colorconv::kBoxCount; ++i) {
        const auto which = static_cast<Box>(i);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromUtf8(colorconv::boxName(which).data(), static_cast<qsizetype>(colorconv::boxName(which).size())));
        boxes_[i] = edit;
    }
    const Box grid[4][3] = {{Box::rr, Box::gg, Box::bb}, {Box::er, Box::eg, Box::eb}, {Box::tr, Box::tg, Box::tb},
                            {Box::sr, Box::sg, Box::sb}};
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) {
            QLineEdit* edit = box(grid[row][column]);
            edit->setGeometry(columns[column], rows[row], 41, 19);
            edit->setReadOnly(true);
        }
    }
    box(Box::ec)->setGeometry(272, 40, 65, 19);
    box(Box::tc)->setGeometry(272, 64, 65, 19);
    box(Box::sc)->setGeometry(272, 88, 65, 19);
    box(Box::cr)->setGeometry(96, 112, 41, 19);
    box(Box::cg)->setGeometry(144, 112, 41, 19);
    box(Box::cb)->setGeometry(192, 112, 41, 19);
    box(Box::cc)->setGeometry(272, 112, 65, 19);

    custom_ = new QPushButton("Custom", this);
    custom_->setObjectName("Custombtn");
    custom_->setGeometry(8, 112, 81, 17);
    custom_->setAutoDefault(false); // neither Enter nor Esc presses it
    custom_->setDefault(false);
    connect(custom_, &QPushButton::clicked, this, [this] { form_.Custombtn_Click(); });

    swatch_ = new PictureBox(this);
    swatch_->setObjectName("Picture1");
    swatch_->setGeometry(8, 16, 73, 65);
    swatch_->setFocusPolicy(Qt::TabFocus);
    swatch_->onClick = [this] { form_.Picture1_Click(); };

    const QWidget* order[] = {box(Box::rr), box(Box::gg), box(Box::bb), box(Box::er), box(Box::eg), box(Box::eb),
                              box(Box::tr), box(Box::tg), box(Box::tb), box(Box::sr), box(Box::sg), box(Box::sb),
                              box(Box::ec), box(Box::tc), box(Box::sc), box(Box::cr), box(Box::cg), box(Box::cb),
                              custom_,      box(Box::cc), swatch_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    }

    colorChooser = [this](const QColor& current) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, this, "Color");
        if (!chosen.isValid()) return std::nullopt;
        return chosen;
    };
    form_.loadDesignState();
}

void ColorConverterWindow::openModal() {
    form_.loadDesignState();
    if (QWidget* owner = parentWidget()) {
        move(owner->geometry().center() - QPoint(width() / 2, height() / 2));
    }
    exec();
}

void ColorConverterWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    box(Box::rr)->setFocus(); // focus starts in the first box of the tab order
}

std::string ColorConverterWindow::text(Box which) const { return fromQt(box(which)->text()); }

void ColorConverterWindow::setText(Box which, const std::string& text) { box(which)->setText(toQt(text)); }

void ColorConverterWindow::setSwatchColor(std::uint32_t color) { setBackground(swatch_, toQColor(color)); }

void ColorConverterWindow::resetSwatch() { setBackground(swatch_, QApplication::palette().color(QPalette::Window)); }

std::uint32_t ColorConverterWindow::swatchPixel() const {
    // Read back what the swatch really shows, as the conversion expects of a pixel read.
    const QImage shown = swatch_->grab().toImage();
    const qreal scale = shown.devicePixelRatio();
    const QPoint at(static_cast<int>(20 * scale), static_cast<int>(20 * scale));
    if (!shown.valid(at)) return 0xFFFFFFFFu;
    return toColorValue(shown.pixelColor(at));
}

std::optional<std::uint32_t> ColorConverterWindow::chooseColor(std::uint32_t current) {
    const auto chosen = colorChooser(toQColor(current));
    if (!chosen) return std::nullopt;
    return toColorValue(*chosen);
}

} // namespace quorvane::ui
