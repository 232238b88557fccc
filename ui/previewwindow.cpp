#include "ui/previewwindow.h"

#include "ui/pixelview.h"
#include "ui/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QWheelEvent>

namespace quorvane::ui {

namespace {

constexpr int kDefaultZoom = 3;
constexpr int kWheelStep = 120; // one notch of a common mouse wheel

QImage toQImage(const codegen::DisplayedPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return QImage(picture.rgb.data(), picture.width, picture.height, 3 * picture.width, QImage::Format_RGB888).copy();
}

// A scroll area that asks for room for all of its content, so that the window can fit it at any zoom
// (and is then bounded by the screen, where the scroll bars take over).
class FittingScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override {
        const QSize content = widget() ? widget()->sizeHint() : QSize();
        return content + QSize(2 * frameWidth(), 2 * frameWidth());
    }
};

} // namespace

PreviewWindow::PreviewWindow(QWidget* owner) : QMainWindow(owner, Qt::Window), preview_(*this) {
    setObjectName("Preview");
    setWindowTitle("Preview");
    buildControls();

    saveChooser = [this](const QString& suggested) -> std::optional<QString> {
        const QString chosen = QFileDialog::getSaveFileName(this, "Save picture", suggested, "PNG (*.png)");
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    messageSink = [this](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, "Quorvane", text, QMessageBox::Ok, this);
        box.exec();
    };

    // Both read before either is applied: applying one stores the pair.
    const QSettings settings;
    const bool grid = settings.value(kGridKey, false).toBool();
    const int zoom = settings.value(kZoomKey, kDefaultZoom).toInt();
    preview_.setGrid(grid);
    preview_.setZoom(zoom); // out of range (a hand-edited file) is clamped
    preview_.clearSource();
}

void PreviewWindow::buildControls() {
    QToolBar* tools = addToolBar("Preview");
    tools->setMovable(false);
    tools->setFloatable(false);
    tools->toggleViewAction()->setVisible(false);
    tools->addWidget(new QLabel("Zoom ", tools));
    zoom_ = new QComboBox(tools);
    zoom_->setObjectName("Zoom");
    for (int zoom = app::Preview::kMinZoom; zoom <= app::Preview::kMaxZoom; ++zoom) {
        zoom_->addItem(QString("%1×").arg(zoom), zoom);
    }
    tools->addWidget(zoom_);
    connect(zoom_, &QComboBox::activated, this, [this](int index) { preview_.setZoom(zoom_->itemData(index).toInt()); });
    grid_ = new QCheckBox("Pixel grid", tools);
    grid_->setObjectName("Grid");
    grid_->setToolTip(QString("From %1× up").arg(app::Preview::kGridZoom));
    tools->addWidget(grid_);
    connect(grid_, &QCheckBox::toggled, this, [this](bool on) { preview_.setGrid(on); });
    tools->addSeparator();
    save_ = new QPushButton("Save picture…", tools);
    save_->setObjectName("SavePicture");
    save_->setToolTip("The panel's view as PNG");
    tools->addWidget(save_);
    connect(save_, &QPushButton::clicked, this, [this] { preview_.savePicture(); });

    auto* content = new QWidget;
    auto* layout = new QGridLayout(content);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    const struct {
        PixelView*& view;
        const char* name;
        const char* caption;
    } views[] = {{pictureView_, "PictureView", "Picture"}, {panelView_, "PanelView", "On the panel"}};
    int column = 0;
    for (const auto& entry : views) {
        layout->addWidget(new QLabel(entry.caption, content), 0, column, Qt::AlignLeft | Qt::AlignBottom);
        entry.view = new PixelView(content);
        entry.view->setObjectName(entry.name);
        entry.view->onPointAt = [this](std::optional<std::pair<int, int>> pixel) { preview_.pointAt(pixel); };
        layout->addWidget(entry.view, 1, column, Qt::AlignLeft | Qt::AlignTop);
        ++column;
    }
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(2, 1);

    scroll_ = new FittingScrollArea(this);
    scroll_->setWidget(content);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->installEventFilter(this);
    setCentralWidget(scroll_);
    statusBar()->setSizeGripEnabled(false);

    // `+` and `-` alone and, as in other programs, with Ctrl; `=` is the `+` key without Shift on many layouts.
    const struct {
        QKeySequence keys;
        void (app::Preview::*step)();
    } shortcuts[] = {{Qt::Key_Plus, &app::Preview::zoomIn},           {Qt::Key_Equal, &app::Preview::zoomIn},
                     {QKeySequence::ZoomIn, &app::Preview::zoomIn},   {Qt::Key_Minus, &app::Preview::zoomOut},
                     {QKeySequence::ZoomOut, &app::Preview::zoomOut}};
    for (const auto& shortcut : shortcuts) {
        const auto step = shortcut.step;
        connect(new QShortcut(shortcut.keys, this), &QShortcut::activated, this, [this, step] { (preview_.*step)(); });
    }
}

void PreviewWindow::open() {
    if (!placed_) {
        placeFirstTime();
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

// Where it stood last, if that is still on a screen; else beside the main window, on whichever side
// has room, so that the two can be compared.
void PreviewWindow::placeFirstTime() {
    const QPoint stored = QSettings().value(kPositionKey).toPoint();
    if (QSettings().contains(kPositionKey) && QGuiApplication::screenAt(stored + QPoint(32, 32))) {
        move(stored);
        return;
    }
    const QWidget* owner = parentWidget();
    const QScreen* shown = owner ? owner->screen() : screen();
    if (!owner || !shown) return;
    const QRect room = shown->availableGeometry();
    const QRect beside = owner->frameGeometry();
    constexpr int kGap = 12;
    if (beside.right() + kGap + width() <= room.right()) move(beside.right() + kGap, beside.top());
    else if (beside.left() - kGap - width() >= room.left()) move(beside.left() - kGap - width(), beside.top());
}

void PreviewWindow::fitToContent() {
    // The views' new sizes reach the window's own size hint only once their layouts are brought up to date.
    scroll_->widget()->layout()->activate();
    scroll_->updateGeometry();
    QSize wanted = sizeHint();
    if (const QScreen* shown = screen()) {
        const QSize frame = frameGeometry().size() - geometry().size();
        wanted = wanted.boundedTo(shown->availableGeometry().size() - frame);
    }
    resize(wanted);
}

// Fitted again only when the views change size (another picture): a new depth or panel setting leaves
// the window as the user has sized it.
void PreviewWindow::showViews(const codegen::DisplayedPicture& picture, const codegen::DisplayedPicture& panel) {
    const QSize before = panelView_->size();
    pictureView_->setImage(toQImage(picture));
    panelView_->setImage(toQImage(panel));
    save_->setEnabled(panel.width > 0);
    if (panelView_->size() != before) fitToContent();
}

void PreviewWindow::showZoom(int zoom, bool grid) {
    {
        const QSignalBlocker quiet(zoom_), quietToo(grid_);
        zoom_->setCurrentIndex(zoom_->findData(zoom));
        grid_->setChecked(grid);
    }
    grid_->setEnabled(zoom >= app::Preview::kGridZoom);
    for (PixelView* view : {pictureView_, panelView_}) view->setZoom(zoom, preview_.gridShown());
    QSettings settings;
    settings.setValue(kZoomKey, zoom);
    settings.setValue(kGridKey, grid);
    fitToContent();
}

void PreviewWindow::setStatus(const std::string& text) { statusBar()->showMessage(toQt(text)); }

QString PreviewWindow::statusText() const { return statusBar()->currentMessage(); }

std::optional<std::string> PreviewWindow::chooseSaveFile(const std::string& suggested) {
    const auto chosen = saveChooser(toQt(suggested));
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

void PreviewWindow::showMessage(const std::string& text, app::MessageIcon icon) {
    messageSink(toQt(text), icon == app::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
}

bool PreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // Fine-grained wheels and touchpads send small turns: a zoom step per notch's worth.
            wheelTurn_ += wheel->angleDelta().y();
            for (; wheelTurn_ >= kWheelStep; wheelTurn_ -= kWheelStep) preview_.zoomIn();
            for (; wheelTurn_ <= -kWheelStep; wheelTurn_ += kWheelStep) preview_.zoomOut();
            wheel->accept();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void PreviewWindow::hideEvent(QHideEvent* event) {
    QSettings().setValue(kPositionKey, pos());
    QMainWindow::hideEvent(event);
}

} // namespace quorvane::ui
