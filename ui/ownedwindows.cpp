// The windows the main window owns and opens: the preview, the Pack and Font windows and the colour
// converter.
#include "ui/colorconverterwindow.h"
#include "ui/fontwindow.h"
#include "ui/mainwindow.h"
#include "ui/packwindow.h"
#include "ui/previewwindow.h"

#include <QCloseEvent>

namespace quorvane::ui {

app::Preview& MainWindow::preview() {
    if (!preview_) {
        preview_ = std::make_unique<PreviewWindow>(this);
        // A file dropped on the preview opens as one dropped here, and the preview follows it.
        preview_->setAcceptDrops(true);
        preview_->installEventFilter(this);
    }
    return preview_->preview();
}

void MainWindow::showPreview() {
    preview(); // made if need be
    preview_->open();
}

app::Packing& MainWindow::packing() {
    if (!pack_) {
        pack_ = std::make_unique<PackWindow>(this);
        pack_->onMakePack = [this] { form_.makePack(); };
    }
    return pack_->packing();
}

void MainWindow::showPacking() {
    packing(); // made if need be
    pack_->open();
}

app::Fonting& MainWindow::fonting() {
    if (!font_) {
        font_ = std::make_unique<FontWindow>(this);
        font_->onMakeCode = [this] { form_.makeFont(); };
    }
    return font_->fonting();
}

void MainWindow::showFonting() {
    fonting(); // made if need be
    font_->open();
}

// The preview and the Pack and Font windows belong to this window: they go with it, and the program ends with
// this window.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (preview_) preview_->close();
    if (pack_) pack_->close();
    if (font_) font_->close();
    QWidget::closeEvent(event);
}

void MainWindow::openColorConverter() {
    if (!colorConverter_) colorConverter_ = std::make_unique<ColorConverterWindow>(this);
    colorConverter_->openModal();
}

} // namespace quorvane::ui
