#include "ui/fontwindow.h"

#include "ui/pixelview.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quorvane::ui {
namespace {

constexpr int kSampleZoom = 3;

} // namespace

FontWindow::FontWindow(QWidget* owner) : QMainWindow(owner, Qt::Window), fonting_(*this) {
    setObjectName("Font");
    setWindowTitle("Font");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    auto* form = new QFormLayout;
    auto* fontRow = new QHBoxLayout;
    system_ = new QComboBox(central);
    system_->setPlaceholderText("System fonts");
    auto* file = new QPushButton("Font file…", central);
    fontRow->addWidget(system_, 1);
    fontRow->addWidget(file);
    form->addRow("Font:", fontRow);
    name_ = new QLabel("No font chosen", central);
    form->addRow("", name_);
    size_ = new QSpinBox(central);
    size_->setRange(1, 255);
    size_->setValue(fonting_.request().sizePx);
    size_->setSuffix(" px");
    bpp_ = new QComboBox(central);
    for (const char* bits : {"1", "2", "4", "8"}) bpp_->addItem(bits);
    bpp_->setCurrentText("4");
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(size_);
    sizeRow->addWidget(new QLabel("Bits a pixel:", central));
    sizeRow->addWidget(bpp_);
    sizeRow->addStretch();
    form->addRow("Size:", sizeRow);
    auto* charsRow = new QHBoxLayout;
    chars_ = new QLineEdit(central);
    chars_->setPlaceholderText("Printable ASCII");
    auto* fromFile = new QPushButton("From file…", central);
    charsRow->addWidget(chars_, 1);
    charsRow->addWidget(fromFile);
    form->addRow("Characters:", charsRow);
    sample_ = new QLineEdit("Quorvane 0123", central);
    form->addRow("Sample:", sample_);
    layout->addLayout(form);
    view_ = new PixelView(central);
    view_->setZoom(kSampleZoom, false);
    layout->addWidget(view_, 1, Qt::AlignCenter);
    summary_ = new QLabel(central);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    auto* bottom = new QHBoxLayout;
    progress_ = new QProgressBar(central);
    cancel_ = new QPushButton("Cancel", central);
    make_ = new QPushButton("Make Code…", central);
    bottom->addWidget(progress_, 1);
    bottom->addWidget(cancel_);
    bottom->addStretch();
    bottom->addWidget(make_);
    layout->addLayout(bottom);
    setCentralWidget(central);
    showBusy(false);
    resize(560, 380);

    connect(system_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) fonting_.chooseSystemFont(static_cast<std::size_t>(index));
    });
    connect(file, &QPushButton::clicked, this, [this] { fonting_.chooseFile(); });
    connect(size_, &QSpinBox::editingFinished, this, [this] { fonting_.setSize(size_->value()); });
    connect(bpp_, &QComboBox::currentTextChanged, this, [this](const QString& bits) { fonting_.setBpp(bits.toInt()); });
    connect(chars_, &QLineEdit::editingFinished, this, [this] { fonting_.setCharacters(fromQt(chars_->text())); });
    connect(fromFile, &QPushButton::clicked, this, [this] { fonting_.addCharactersFile(); });
    connect(sample_, &QLineEdit::textChanged, this, [this](const QString& text) { fonting_.setSample(fromQt(text)); });
    connect(cancel_, &QPushButton::clicked, this, [this] { fonting_.cancel(); });
    connect(make_, &QPushButton::clicked, this, [this] {
        if (onMakeCode) onMakeCode();
        else fonting_.makeCode();
    });

    openChooser = [this](const QString& title, const QString& filter) -> std::optional<QString> {
        const QString chosen = QFileDialog::getOpenFileName(this, title, {}, filter);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    makeChooser = [this](const QString& suggested) -> std::optional<QString> {
        const QString chosen = QFileDialog::getSaveFileName(this, "Make Code", suggested, "C source (*.c)");
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    messageSink = [this](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, "Quorvane", text, QMessageBox::Ok, this);
        box.exec();
    };
    clipboardSink = [](const QString& text) { QApplication::clipboard()->setText(text); };
}

// A conversion still running is told to stop, and waited for: it writes into this window's handlers.
FontWindow::~FontWindow() {
    fonting_.cancel();
    background_.wait();
}

void FontWindow::open() {
    show();
    raise();
    activateWindow();
}

void FontWindow::showSystemFonts(const std::vector<fonts::SystemFont>& fonts) {
    const QSignalBlocker quiet(system_);
    system_->clear();
    for (const fonts::SystemFont& font : fonts) system_->addItem(toQt(font.family + " — " + font.style), toQt(font.file));
    system_->setCurrentIndex(-1);
}

void FontWindow::showFontName(const std::string& name) { name_->setText(toQt(name)); }

void FontWindow::showSample(const codegen::DisplayedPicture& line) {
    if (line.width <= 0 || line.height <= 0) {
        view_->setImage({});
        return;
    }
    view_->setImage(QImage(line.rgb.data(), line.width, line.height, 3 * line.width, QImage::Format_RGB888).copy());
}

void FontWindow::showSummary(const app::FontSummary& summary) {
    QString text = QString("%1 glyphs, %2 kerning pairs, %3 bytes").arg(summary.glyphs).arg(summary.kerningPairs).arg(summary.bytes);
    if (!summary.missing.empty()) text += "\nThe font lacks " + toQt(summary.missing);
    summary_->setText(text);
}

void FontWindow::showBusy(bool busy) {
    showBusyWork(busy, progress_, cancel_, make_);
}

void FontWindow::showProgress(std::size_t done, std::size_t all) { showProgressLater(progress_, done, all); }

void FontWindow::runInBackground(std::function<void()> work, std::function<void()> done) {
    background_.run(std::move(work), std::move(done));
}

std::optional<std::string> FontWindow::chooseFontFile() {
    const auto chosen = openChooser("Font file", "Fonts (*.ttf *.ttc *.otf *.otc *.woff *.bdf *.pcf *.pcf.gz);;All files (*)");
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

std::optional<std::string> FontWindow::chooseCharsFile() {
    const auto chosen = openChooser("Characters from a file", "Text and sources (*.txt *.c *.h *.cpp *.po *.json);;All files (*)");
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

std::optional<std::string> FontWindow::chooseMakeFile(const std::string& suggested) {
    const auto chosen = makeChooser(toQt(suggested));
    if (!chosen) return std::nullopt;
    return fromQt(*chosen);
}

void FontWindow::setClipboardText(const std::string& text) { clipboardSink(toQt(text)); }

void FontWindow::showMessage(const std::string& text, app::MessageIcon icon) {
    messageSink(toQt(text), icon == app::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
}

} // namespace quorvane::ui
