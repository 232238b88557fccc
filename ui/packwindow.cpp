#include "ui/packwindow.h"

#include "ui/pixelview.h"
#include "ui/widgets.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quorvane::ui {
namespace {

QImage toQImage(const codegen::DisplayedPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    return QImage(picture.rgb.data(), picture.width, picture.height, 3 * picture.width, QImage::Format_RGB888).copy();
}

constexpr int kThumbnail = 48;
constexpr int kPlayingZoom = 2;

} // namespace

PackWindow::PackWindow(QWidget* owner) : QMainWindow(owner, Qt::Window), packing_(*this) {
    setObjectName("Pack");
    setWindowTitle("Pack");
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* buttons = new QHBoxLayout;
    auto* add = new QPushButton("Add…", central);
    auto* clear = new QPushButton("Clear", central);
    make_ = new QPushButton("Make Pack…", central);
    buttons->addWidget(add);
    buttons->addWidget(clear);
    buttons->addStretch();
    buttons->addWidget(make_);
    layout->addLayout(buttons);
    auto* middle = new QHBoxLayout;
    list_ = new QListWidget(central);
    list_->setIconSize(QSize(kThumbnail, kThumbnail));
    middle->addWidget(list_, 2);
    playing_ = new PixelView(central);
    playing_->setZoom(kPlayingZoom, false);
    middle->addWidget(playing_, 1, Qt::AlignCenter);
    layout->addLayout(middle);
    total_ = new QLabel("Drop pictures, animations or folders here, or choose Add…", central);
    layout->addWidget(total_);
    auto* busy = new QHBoxLayout;
    progress_ = new QProgressBar(central);
    cancel_ = new QPushButton("Cancel", central);
    busy->addWidget(progress_);
    busy->addWidget(cancel_);
    layout->addLayout(busy);
    setCentralWidget(central);
    showBusy(false);
    resize(560, 360);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { packing_.nextFrame(); });
    connect(add, &QPushButton::clicked, this, [this] { packing_.addChosen(); });
    connect(clear, &QPushButton::clicked, this, [this] { packing_.clear(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { packing_.cancel(); });
    connect(make_, &QPushButton::clicked, this, [this] {
        if (onMakePack) onMakePack();
        else packing_.makePack();
    });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        timer_->stop();
        packing_.select(row);
    });

    addChooser = [this]() -> std::optional<QString> {
        const QString chosen = QFileDialog::getOpenFileName(this, "Add to the pack", {},
                                                            "Pictures (*.bmp *.png *.apng *.jpg *.jpeg *.gif *.webp);;All files (*)");
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    makeChooser = [this](const QString& suggested) -> std::optional<QString> {
        const QString chosen = QFileDialog::getSaveFileName(this, "Make Pack", suggested, "C source (*.c)");
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    messageSink = [this](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, "Quorvane", text, QMessageBox::Ok, this);
        box.exec();
    };
}

// A conversion still running is told to stop, and waited for: it writes into this window's handlers.
PackWindow::~PackWindow() {
    packing_.cancel();
    background_.wait();
}

void PackWindow::open() {
    show();
    raise();
    activateWindow();
}

void PackWindow::showAssets(const std::vector<app::AssetRow>& rows, std::size_t packBytes) {
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const app::AssetRow& row : rows) {
        const QString text = QString("%1 — %2 × %3, %4 frame%5, %6 bytes")
                                 .arg(toQt(row.name))
                                 .arg(row.width)
                                 .arg(row.height)
                                 .arg(row.frames)
                                 .arg(row.frames == 1 ? "" : "s")
                                 .arg(row.bytes);
        const QPixmap thumbnail = QPixmap::fromImage(toQImage(row.thumbnail).scaled(kThumbnail, kThumbnail, Qt::KeepAspectRatio));
        list_->addItem(new QListWidgetItem(QIcon(thumbnail), text));
    }
    total_->setText(rows.empty() ? "Drop pictures, animations or folders here, or choose Add…"
                                 : QString("%1 asset%2, %3 bytes in all").arg(rows.size()).arg(rows.size() == 1 ? "" : "s").arg(packBytes));
    if (packing_.selected() >= 0) list_->setCurrentRow(packing_.selected());
}

void PackWindow::showFrame(const codegen::DisplayedPicture& frame) { playing_->setImage(toQImage(frame)); }

void PackWindow::scheduleFrame(int delayMs) { timer_->start(delayMs); }

void PackWindow::showBusy(bool busy) {
    showBusyWork(busy, progress_, cancel_, make_);
}

void PackWindow::showProgress(std::size_t done, std::size_t all) { showProgressLater(progress_, done, all); }

void PackWindow::runInBackground(std::function<void()> work, std::function<void()> done) {
    background_.run(std::move(work), std::move(done));
}

std::optional<std::string> PackWindow::chooseAddFiles() {
    const auto chosen = addChooser();
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

std::optional<std::string> PackWindow::chooseMakeFile(const std::string& suggested) {
    const auto chosen = makeChooser(toQt(suggested));
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

void PackWindow::showMessage(const std::string& text, app::MessageIcon icon) {
    messageSink(toQt(text), icon == app::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
}

void PackWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PackWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.push_back(fromQt(url.toLocalFile()));
    }
    packing_.addInputs(paths);
    event->acceptProposedAction();
}

// Hidden, nothing plays.
void PackWindow::hideEvent(QHideEvent* event) {
    timer_->stop();
    QMainWindow::hideEvent(event);
}

} // namespace quorvane::ui
