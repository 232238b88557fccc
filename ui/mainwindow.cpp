#include "ui/mainwindow.h"

#include "ui/colorconverterwindow.h"
#include "ui/fontwindow.h"
#include "ui/packwindow.h"
#include "ui/picturemenu.h"
#include "ui/previewwindow.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSignalBlocker>
#include <QUrl>

namespace quorvane::ui {

namespace {

constexpr QColor kFormBackground{0xE0, 0xE0, 0xE0};

QString withLineFeeds(const std::string& text) {
    QString shown = toQt(text);
    shown.replace("\r\n", "\n");
    return shown;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      form_(*this) {
    setObjectName("Form1");
    setWindowTitle(app::Form1::kStartCaption);
    setFixedSize(672, 383);
    setBackground(this, kFormBackground);
    buildControls();
    setTabOrder();

    fileChooser = [this](const QString& title, const QString& filter,
                         const QString& startFolder) -> std::optional<QString> {
        const QString chosen = QFileDialog::getOpenFileName(this, title, startFolder, filter);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    };
    messageSink = [this](const QString& text, QMessageBox::Icon icon) {
        QMessageBox box(icon, "Quorvane", text, QMessageBox::Ok, this);
        box.exec();
    };
    fitOffer = [this](const QString& text) {
        const auto box = fitOfferBox(this, text);
        box->exec();
        return box->clickedButton() && box->clickedButton()->objectName() == "fitToPanel";
    };
    folderLocator = [] { return QCoreApplication::applicationDirPath(); };

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    form_.Form_Load();
    buildPictureMenu();

    setAcceptDrops(true);
    for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
    text2_->viewport()->installEventFilter(this);
}

// The picture's options come in through its context menu, so the window's controls stay as they are.
void MainWindow::buildPictureMenu() {
    pictureMenu_ = new PictureMenu(this);
    pictureMenu_->bind(form_);
    picture1_->setToolTip("Double-click to preview it zoomed; right-click for the picture's options");
    picture1_->onDoubleClick = [this] { form_.Picture1_DblClick(); };
    picture1_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(picture1_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pictureMenu_->popup(picture1_->mapToGlobal(at)); });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    const QFont textFont = designFont("Franklin Gothic Medium", QFont::SansSerif);
    const QFont buttonFont = designFont("Comic Sans MS", QFont::SansSerif);
    const QColor windowColour = QApplication::palette().color(QPalette::Base);

    picture2_ = new QWidget(this);
    picture2_->setObjectName("Picture2");
    picture2_->setGeometry(9, 12, 135, 135);
    setBackground(picture2_, windowColour);
    picture1_ = new PictureBox(picture2_);
    picture1_->setObjectName("Picture1");
    picture1_->setGeometry(0, 0, 132, 132);
    picture1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture1_->setMouseTracking(true);
    setBackground(picture1_, windowColour);
    picture1_->onMouseMove = [this](int x, int y) { form_.Picture1_MouseMove(0, 0, x, y); };
    for (QWidget* box : {picture2_, static_cast<QWidget*>(picture1_)}) box->setFocusPolicy(Qt::TabFocus);

    text1_ = new QLineEdit(this);
    text1_->setObjectName("Text1");
    text1_->setGeometry(152, 12, 513, 23);
    text1_->setFont(textFont);

    // A plain-text box that wraps anywhere: a 26,000-value line without blanks lays out in milliseconds,
    // where word wrapping would search the whole line for a break and stall the window for a second.
    text2_ = new QPlainTextEdit(this);
    text2_->setObjectName("Text2");
    text2_->setGeometry(152, 40, 513, 337);
    text2_->setFont(textFont);
    text2_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text2_->setWordWrapMode(QTextOption::WrapAnywhere);

    struct ButtonEntry {
        QPushButton*& button;
        const char* name;
        const char* caption;
        int top;
        void (app::Form1::*handler)();
    };
    const ButtonEntry buttons[] = {
        {command1_, "Command1", "Open BMP", 152, &app::Form1::Command1_Click},
        {command2_, "Command2", "Make Code", 184, &app::Form1::Command2_Click},
        {command3_, "Command3", "Make Header File", 216, &app::Form1::Command3_Click},
        {command4_, "Command4", "Color Converter", 352, &app::Form1::Command4_Click},
    };
    for (const auto& control : buttons) {
        control.button = new QPushButton(control.caption, this);
        control.button->setObjectName(control.name);
        control.button->setGeometry(16, control.top, 113, 25);
        control.button->setFont(buttonFont);
        setBackground(control.button, Qt::white);
        const auto handler = control.handler;
        connect(control.button, &QPushButton::clicked, this, [this, handler] { (form_.*handler)(); });
    }

    // "16 Bit" sits on a second row of its frame; the frame is 9 pixels taller (and 4 higher) than a
    // 41-pixel frame so that the option shows whole, between "MCU" above and "Color Converter" below.
    // "12 Bit" reaches to the frame's edge so that its caption is not clipped where a wider font
    // stands in for Comic Sans MS.
    frame1_ = new QGroupBox("MCU", this);
    frame1_->setObjectName("Frame1");
    frame1_->setGeometry(20, 256, 113, 41);
    frame2_ = new QGroupBox("COLOR DEPTH", this);
    frame2_->setObjectName("Frame2");
    frame2_->setGeometry(20, 300, 113, 50);
    for (QGroupBox* frame : {frame1_, frame2_}) {
        frame->setFont(buttonFont);
        setBackground(frame, kFormBackground);
    }
    struct OptionEntry {
        QRadioButton*& option;
        QGroupBox* frame;
        const char* name;
        const char* caption;
        QRect geometry;
    };
    const OptionEntry options[] = {
        {option4_, frame1_, "Option4", "PIC", {8, 16, 73, 17}},  {option5_, frame1_, "Option5", "ARM", {56, 16, 49, 17}},
        {option1_, frame2_, "Option1", "8 Bit", {8, 16, 49, 17}}, {option2_, frame2_, "Option2", "12 Bit", {56, 16, 57, 17}},
        {option3_, frame2_, "Option3", "16 Bit", {8, 32, 57, 17}},
    };
    for (const auto& control : options) {
        control.option = new QRadioButton(control.caption, control.frame);
        control.option->setObjectName(control.name);
        control.option->setGeometry(control.geometry);
        control.option->setFont(buttonFont);
    }
    option4_->raise(); // "PIC" is 73 wide and reaches under "ARM"; keep "ARM" clickable on top
    option5_->raise();
    option1_->setChecked(true);
    option4_->setChecked(true);
    for (QRadioButton* depth : {option1_, option2_, option3_}) {
        connect(depth, &QRadioButton::toggled, this, [this](bool chosen) {
            if (chosen) form_.Option_Click();
        });
    }

    // Working lists and boxes below the visible area: live controls that the handlers fill.
    struct HiddenEntry {
        const char* name;
        QRect geometry;
    };
    const HiddenEntry lists[] = {{"List1", {168, 392, 129, 93}}, {"List2", {304, 392, 129, 93}}, {"List3", {440, 392, 129, 93}}};
    ListBox** listSlots[] = {&list1_, &list2_, &list3_};
    for (std::size_t i = 0; i < 3; ++i) {
        *listSlots[i] = new ListBox(this);
        (*listSlots[i])->setObjectName(lists[i].name);
        (*listSlots[i])->setGeometry(lists[i].geometry);
    }
    list1_->onCurrentRowChanged = [this] { form_.List1_Click(); };
    const HiddenEntry boxes[] = {{"Text3", {168, 488, 129, 19}}, {"Text4", {304, 488, 129, 19}}, {"Text5", {440, 488, 129, 19}}};
    QLineEdit** boxSlots[] = {&text3_, &text4_, &text5_};
    for (std::size_t i = 0; i < 3; ++i) {
        *boxSlots[i] = new QLineEdit(this);
        (*boxSlots[i])->setObjectName(boxes[i].name);
        (*boxSlots[i])->setGeometry(boxes[i].geometry);
    }
}

void MainWindow::setTabOrder() {
    const QWidget* order[] = {text1_, command1_, list1_,   list2_,   text3_,   text4_,   command2_,
                              picture2_, picture1_, command3_, list3_, text5_,   option4_, option5_,
                              option2_,  option1_,  option3_,  command4_, text2_};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
    }
}

QLineEdit* MainWindow::textBox(app::TextBox box) const {
    switch (box) {
    case app::TextBox::Text1: return text1_;
    case app::TextBox::Text3: return text3_;
    case app::TextBox::Text4: return text4_;
    case app::TextBox::Text5: return text5_;
    case app::TextBox::Text2: break;
    }
    return nullptr;
}

ListBox* MainWindow::listBox(app::ListBox list) const {
    switch (list) {
    case app::ListBox::List1: return list1_;
    case app::ListBox::List2: return list2_;
    case app::ListBox::List3: return list3_;
    }
    return list1_;
}

void MainWindow::setCaption(const std::string& caption) { setWindowTitle(toQt(caption)); }

void MainWindow::setText(app::TextBox box, const std::string& text) {
    if (box == app::TextBox::Text2) text2_->setPlainText(withLineFeeds(text));
    else textBox(box)->setText(toQt(text));
}

void MainWindow::clearList(app::ListBox list) { listBox(list)->clear(); }

void MainWindow::addListItems(app::ListBox list, const std::vector<std::string>& items) {
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) texts.append(toQt(item));
    listBox(list)->append(texts);
}

int MainWindow::selectedListIndex(app::ListBox list) const { return listBox(list)->currentRow(); }

// Signals stay blocked: the handler that asked for this has already done what a click would.
void MainWindow::showDepth(codegen::Depth depth, const std::vector<codegen::Depth>& available) {
    const std::pair<QRadioButton*, codegen::Depth> options[] = {
        {option1_, codegen::Depth::Bits8}, {option2_, codegen::Depth::Bits12}, {option3_, codegen::Depth::Bits16}};
    for (const auto& [option, mine] : options) {
        const QSignalBlocker quiet(option);
        option->setEnabled(std::find(available.begin(), available.end(), mine) != available.end());
        option->setAutoExclusive(false); // so that all three can be clear while 18 or 24 Bit is chosen
        option->setChecked(mine == depth);
        option->setAutoExclusive(true);
    }
    pictureMenu_->showMoreDepth(depth, available);
}

bool MainWindow::isSelected(app::OptionButton option) const {
    switch (option) {
    case app::OptionButton::Option1: return option1_->isChecked();
    case app::OptionButton::Option2: return option2_->isChecked();
    case app::OptionButton::Option3: return option3_->isChecked();
    case app::OptionButton::Option4: return option4_->isChecked();
    case app::OptionButton::Option5: return option5_->isChecked();
    }
    return false;
}

void MainWindow::setOpenDialog(const std::string& title, const std::string& filterName, const std::string& pattern) {
    openTitle_ = toQt(title);
    // The design's filter stays first and chosen; the second lists every kind of picture the loader reads.
    openFilter_ = QString("%1 (%2);;Pictures (%3)")
                      .arg(toQt(filterName), anyCase(toQt(pattern)), anyCase("*.bmp *.png *.jpg *.jpeg *.gif *.webp"));
}

// The dialog starts where the user last found a picture, in this run or an earlier one.
std::optional<std::string> MainWindow::chooseOpenFile() {
    const auto chosen = fileChooser(openTitle_, openFilter_, QSettings().value(kLastFolderKey).toString());
    if (!chosen) return std::nullopt;
    rememberFolderOf(*chosen);
    return fromQt(*chosen);
}

bool MainWindow::takeFileDrop(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!droppedFile(drag->mimeData())) return false;
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto file = droppedFile(drop->mimeData());
        if (!file) return false;
        drop->acceptProposedAction();
        openGivenFile(*file);
        return true;
    }
    default:
        return false;
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    return takeFileDrop(event) || QWidget::eventFilter(watched, event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) { takeFileDrop(event); }

void MainWindow::dropEvent(QDropEvent* event) { takeFileDrop(event); }

void MainWindow::openGivenFile(const QString& path) {
    rememberFolderOf(path);
    form_.openGivenPicture(fromQt(QFileInfo(path).absoluteFilePath()));
}

void MainWindow::openPreviewWindow() { form_.openPreview(); }

void MainWindow::rememberFolderOf(const QString& picture) {
    QSettings().setValue(kLastFolderKey, QFileInfo(picture).absolutePath());
}

void MainWindow::showPicture(const capture::Picture& picture) {
    // Shown from the very pixels that are captured, so the window never shows another decoding.
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.width; ++x) line[x] = toQColor(picture.pixel(x, y)).rgb();
    }
    picture1_->setPixmap(QPixmap::fromImage(image));
    picture1_->resize(picture.width, picture.height);
}

void MainWindow::showMessage(const std::string& text, app::MessageIcon icon) {
    messageSink(withLineFeeds(text), icon == app::MessageIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon);
}

std::unique_ptr<QMessageBox> MainWindow::fitOfferBox(QWidget* parent, const QString& text) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, "Quorvane", text, QMessageBox::Ok, parent);
    box->addButton(kFitButtonText, QMessageBox::AcceptRole)->setObjectName("fitToPanel");
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Ok);
    return box;
}

bool MainWindow::offerToFit(const std::string& text) { return fitOffer(withLineFeeds(text)); }

void MainWindow::setClipboardText(const std::string& text) { QGuiApplication::clipboard()->setText(toQt(text)); }

void MainWindow::setShowAsDisplayedTicked(bool ticked) { pictureMenu_->setShowAsDisplayedTicked(ticked); }
void MainWindow::showColours(const codegen::Storage& colours, bool mono, bool colour) {
    pictureMenu_->showColours(colours, mono, colour);
}

std::string MainWindow::programFolder() const { return fromQt(folderLocator()); }

} // namespace quorvane::ui
