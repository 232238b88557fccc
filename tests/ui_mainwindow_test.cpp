#include "support/bmpwriter.h"
#include "support/process.h"
#include "support/tempdir.h"
#include "codegen/imagecode.h"
#include "ui/mainwindow.h"
#include "ui/fontwindow.h"
#include "ui/packwindow.h"
#include "colorconv/colorcodes.h"
#include "ui/picturemenu.h"
#include "ui/pixelview.h"
#include "ui/previewwindow.h"
#include "ui/widgets.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QScrollArea>
#include <QWheelEvent>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMimeData>
#include <QUrl>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>

#include <filesystem>

using quorvane::ui::MainWindow;
namespace fs = std::filesystem;

namespace {

class RealMainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "program");
        QSettings().clear(); // every test starts as a first run does
        window = makeWindow();
    }
    std::unique_ptr<MainWindow> makeWindow() {
        auto made = std::make_unique<MainWindow>();
        made->fileChooser = [this](const QString& title, const QString& filter,
                                   const QString& startFolder) -> std::optional<QString> {
            dialogTitle = title;
            dialogFilter = filter;
            dialogFolder = startFolder;
            if (!nextFile) return std::nullopt;
            return QString::fromStdString(*nextFile);
        };
        made->messageSink = [this](const QString& text, QMessageBox::Icon icon) { messages.push_back({text, icon}); };
        made->fitOffer = [this](const QString& text) {
            messages.push_back({text, QMessageBox::Critical});
            return chooseFit;
        };
        made->folderLocator = [this] { return QString::fromStdString((dir / "program").string()); };
        made->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(made.get()));
        return made;
    }
    void TearDown() override { window.reset(); }
    template <typename W = QWidget> W* child(const char* name) const {
        W* found = window->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void click(const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); }
    std::string image(const std::string& name, int w, int h, const std::vector<std::uint32_t>& pixels) {
        bmptest::writeFile(dir / name, bmptest::bmp24(w, h, pixels));
        return (dir / name).string();
    }
    // (255, 128, 0), (0, 0, 255), (0, 255, 0) opened, and the preview opened from the menu.
    quorvane::ui::PreviewWindow* openPreview() {
        nextFile = image("three.bmp", 3, 1, {0x0080FF, 0xFF0000, 0x00FF00});
        click("Command1");
        window->pictureMenu()->previewAction()->trigger();
        return window->previewWindow();
    }

    tempdir::TempDir temp{"ui"};
    const fs::path& dir = temp.path();
    std::unique_ptr<MainWindow> window;
    std::optional<std::string> nextFile;
    QString dialogTitle, dialogFilter, dialogFolder;
    std::vector<std::pair<QString, QMessageBox::Icon>> messages;
    bool chooseFit = false; // the button pressed when "Fit to the panel" is offered
};

} // namespace

TEST_F(RealMainWindow, EveryControlWhereTheLayoutPutsIt) {
    struct Placement {
        const char* name;
        QRect geometry; // relative to the parent: the window, or the picture box or frame that holds it
    };
    const Placement placements[] = {
        {"Picture2", {9, 12, 135, 135}},    {"Picture1", {0, 0, 132, 132}},     {"Text1", {152, 12, 513, 23}},
        {"Text2", {152, 40, 513, 337}},     {"Command1", {16, 152, 113, 25}},   {"Command2", {16, 184, 113, 25}},
        {"Command3", {16, 216, 113, 25}},   {"Frame1", {20, 256, 113, 41}},     {"Option4", {8, 16, 73, 17}},
        {"Option5", {56, 16, 49, 17}},      {"Frame2", {20, 300, 113, 50}},     {"Option1", {8, 16, 49, 17}},
        {"Option2", {56, 16, 57, 17}},      {"Option3", {8, 32, 57, 17}},       {"Command4", {16, 352, 113, 25}},
        {"List1", {168, 392, 129, 93}},     {"List2", {304, 392, 129, 93}},     {"List3", {440, 392, 129, 93}},
        {"Text3", {168, 488, 129, 19}},     {"Text4", {304, 488, 129, 19}},     {"Text5", {440, 488, 129, 19}},
    };
    for (const auto& p : placements) EXPECT_EQ(child(p.name)->geometry(), p.geometry) << p.name;
    EXPECT_EQ(window->size(), QSize(672, 383));
    EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "fixed size";
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    // The frame's second row shows "16 Bit" whole.
    EXPECT_LE(child("Option3")->geometry().bottom(), child("Frame2")->height() - 1);
    EXPECT_LT(child("Frame2")->geometry().bottom(), child("Command4")->geometry().top());
}

TEST_F(RealMainWindow, CaptionsFontsAndStartState) {
    EXPECT_EQ(window->windowTitle(), "Quorvane Tessaline.");
    const std::pair<const char*, const char*> captions[] = {
        {"Command1", "Open BMP"}, {"Command2", "Make Code"}, {"Command3", "Make Header File"}, {"Command4", "Color Converter"},
        {"Option1", "8 Bit"},     {"Option2", "12 Bit"},    {"Option3", "16 Bit"},           {"Option4", "PIC"},
        {"Option5", "ARM"}};
    for (auto [name, caption] : captions) {
        if (auto* button = window->findChild<QAbstractButton*>(name)) EXPECT_EQ(button->text(), caption) << name;
        else ADD_FAILURE() << name;
    }
    EXPECT_EQ(child<QGroupBox>("Frame1")->title(), "MCU");
    EXPECT_EQ(child<QGroupBox>("Frame2")->title(), "COLOR DEPTH");
    EXPECT_EQ(child("Command1")->font().family(), "Comic Sans MS");
    EXPECT_EQ(child("Text1")->font().family(), "Franklin Gothic Medium");
    EXPECT_DOUBLE_EQ(child("Text2")->font().pointSizeF(), 8.25);
    EXPECT_EQ(child("Command1")->palette().color(QPalette::Button), QColor(Qt::white));
    EXPECT_TRUE(child<QRadioButton>("Option1")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("Option4")->isChecked());
    EXPECT_TRUE(child<QRadioButton>("Option3")->isEnabled());
    for (const char* name : {"Text1", "Text3", "Text4", "Text5"}) EXPECT_TRUE(child<QLineEdit>(name)->text().isEmpty());
    EXPECT_TRUE(child<QPlainTextEdit>("Text2")->toPlainText().isEmpty());
    EXPECT_FALSE(child<QPlainTextEdit>("Text2")->isReadOnly());
    EXPECT_EQ(window->form().state().imageLoaded, 0);
}

TEST_F(RealMainWindow, TabOrderFollowsTheTabIndexes) {
    const char* expected[] = {"Text1",    "Command1", "List1",   "List2",   "Text3",   "Text4",   "Command2",
                              "Picture2", "Picture1", "Command3", "List3",  "Text5",   "Option4", "Option5",
                              "Option2",  "Option1",  "Option3", "Command4", "Text2"};
    QWidget* widget = child(expected[0]);
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty()) widget = widget->nextInFocusChain();
        EXPECT_EQ(widget->objectName(), expected[i]) << "after " << expected[i - 1];
    }
}

TEST_F(RealMainWindow, MouseOverThePictureShowsItsPositionInTheCaption) {
    QTest::mouseMove(child("Picture1"), QPoint(5, 7));
    EXPECT_EQ(window->windowTitle(), "Quorvane Tessaline. (MOUSE) X: 5 Y: 7");
    QTest::mouseMove(child("Text1"), QPoint(3, 3));
    EXPECT_EQ(window->windowTitle(), "Quorvane Tessaline. (MOUSE) X: 5 Y: 7") << "leaving keeps the caption";
}

TEST_F(RealMainWindow, OpenDialogTitleAndAnyCaseFilter) {
    click("Command1");
    EXPECT_EQ(dialogTitle, "Open BMP 132x132 max");
    const QStringList filters = dialogFilter.split(";;");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("BMP (")) << "the design's filter comes first, so it is the one chosen";
    const auto matches = [](const QString& filter, const char* name) {
        for (const QString& pattern : filter.section('(', 1).chopped(1).split(' ')) {
            if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern)).match(name).hasMatch()) return true;
        }
        return false;
    };
    for (const char* name : {"logo.bmp", "LOGO.BMP", "Logo.Bmp"}) EXPECT_TRUE(matches(filters[0], name)) << name;
    for (const char* name : {"logo.png", "logo.bmp.txt"}) EXPECT_FALSE(matches(filters[0], name)) << name;
    EXPECT_TRUE(filters[1].startsWith("Pictures ("));
    for (const char* name : {"a.bmp", "a.PNG", "a.Jpg", "a.jpeg", "a.JPEG", "a.gif", "a.WebP"}) EXPECT_TRUE(matches(filters[1], name)) << name;
    for (const char* name : {"a.tiff", "a.png.txt"}) EXPECT_FALSE(matches(filters[1], name)) << name;
}

TEST_F(RealMainWindow, WholePathThroughTheRealButtons) {
    // 2 x 1: pure red, then (0, 0, 255); shown exactly as decoded.
    nextFile = image("logo.bmp", 2, 1, {0x0000FF, 0xFF0000});
    click("Command1");
    EXPECT_EQ(child<QLineEdit>("Text1")->text().toStdString(), "1x2 - " + *nextFile);
    EXPECT_EQ(child<QLineEdit>("Text3")->text(), "6");
    const QImage shown = child<QLabel>("Picture1")->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(2, 1));
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shown.pixelColor(1, 0), QColor(0, 0, 255));
    EXPECT_EQ(child("Picture1")->size(), QSize(2, 1));
    EXPECT_EQ(window->form().state().componentStore[0], 255);

    QTest::mouseClick(child("Option2"), Qt::LeftButton, {}, QPoint(4, 8));
    QTest::mouseClick(child("Option5"), Qt::LeftButton, {}, QPoint(4, 8));
    ASSERT_TRUE(child<QRadioButton>("Option2")->isChecked());
    ASSERT_TRUE(child<QRadioButton>("Option5")->isChecked());
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), "const unsigned char logo[8] = {\n0,1,240,0,15,0,0\n};");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0,1,240,0,15,0,0");
    EXPECT_EQ(child<QLineEdit>("Text4")->text(), "6");
    EXPECT_EQ(child<QLineEdit>("Text5")->text(), "4");
    EXPECT_EQ(child<QListView>("List3")->model()->rowCount(), 0);

    click("Command3");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "logo.hex\nCreated Successfully!");
    EXPECT_EQ(messages[0].second, QMessageBox::NoIcon);
    const std::string bytes = proctest::slurp(dir / "program" / "logo.hex");
    EXPECT_EQ(bytes, std::string("\x00\x01\xF0\x00\x0F", 5));

    QTest::mouseClick(child("Option3"), Qt::LeftButton, {}, QPoint(4, 8));
    ASSERT_TRUE(child<QRadioButton>("Option3")->isChecked()) << "16 Bit can be selected";
    click("Command2");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0,1,248,0,0,31,0");
    EXPECT_EQ(child<QListView>("List2")->model()->rowCount(), 6);
    EXPECT_EQ(child<QListView>("List3")->model()->rowCount(), 4);
}

TEST_F(RealMainWindow, RefusedPictureLeavesTheShownOneAndSaysSo) {
    nextFile = image("logo.bmp", 2, 1, {0x0000FF, 0xFF0000});
    click("Command1");
    nextFile = image("big.bmp", 133, 1, std::vector<std::uint32_t>(133));
    click("Command1");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Image dimensions too large.");
    EXPECT_EQ(messages[0].second, QMessageBox::Critical);
    EXPECT_EQ(child<QLabel>("Picture1")->pixmap().size(), QSize(2, 1));
    EXPECT_TRUE(child<QLineEdit>("Text1")->text().endsWith("logo.bmp"));
}

namespace {

// A grey ramp that no depth shows exactly, so every dithering mode gives other bytes.
std::vector<std::uint32_t> greyRamp(std::vector<std::int32_t>& components) {
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t i = 0; i < 24; ++i) {
        const std::uint32_t level = 40 + 7 * i;
        pixels.push_back(level | level << 8 | level << 16);
        components.insert(components.end(), 3, static_cast<std::int32_t>(level));
    }
    return pixels;
}

} // namespace

TEST_F(RealMainWindow, PictureMenuOpensOnARightClickAndLeavesTheLayoutAlone) {
    QWidget* picture = child("Picture1");
    EXPECT_TRUE(picture->toolTip().contains("right-click"));
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5), picture->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(picture, &rightClick);
    EXPECT_TRUE(window->pictureMenu()->isVisible());
    window->pictureMenu()->hide();
    EXPECT_EQ(child("Picture2")->geometry(), QRect(9, 12, 135, 135));
}

// The menu's dithering reaches "Make Code", and a new window (a later run) starts with the same choice.
TEST_F(RealMainWindow, DitheringChoiceReachesMakeCodeAndIsRemembered) {
    using quorvane::codegen::Dither;
    std::vector<std::int32_t> components;
    nextFile = image("ramp.bmp", 6, 4, greyRamp(components));
    const auto expected = [&](Dither dither) {
        const auto code = quorvane::codegen::makeImageCode(components, {6, 4}, {.arrayName = "ramp", .dither = dither});
        return QString::fromStdString(code.text.joined("\n"));
    };
    ASSERT_NE(expected(Dither::None), expected(Dither::ErrorDiffusion));
    EXPECT_TRUE(window->pictureMenu()->ditheringAction(Dither::None)->isChecked()) << "out of the box: none";

    click("Command1");
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), expected(Dither::None));
    window->pictureMenu()->ditheringAction(Dither::ErrorDiffusion)->trigger();
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), expected(Dither::ErrorDiffusion));

    window.reset();
    window = makeWindow();
    EXPECT_TRUE(window->pictureMenu()->ditheringAction(Dither::ErrorDiffusion)->isChecked());
    click("Command1");
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), expected(Dither::ErrorDiffusion));
}

// Out of the box the panel settings are off; chosen in the menu they reach "Make Code" and are there
// again in a later run.
TEST_F(RealMainWindow, PanelChoicesReachMakeCodeAndAreRemembered) {
    using quorvane::codegen::Mirror;
    using quorvane::codegen::PanelOptions;
    const std::vector<std::int32_t> components = {255, 0, 0, 0, 0, 255};
    nextFile = image("logo.bmp", 2, 1, {0x0000FF, 0xFF0000});
    const auto expected = [&](const PanelOptions& panel) {
        const auto code = quorvane::codegen::makeImageCode(components, {2, 1}, {.arrayName = "logo", .panel = panel});
        return QString::fromStdString(code.text.joined("\n"));
    };
    quorvane::ui::PictureMenu* menu = window->pictureMenu();
    EXPECT_EQ(menu->panel(), PanelOptions{});
    EXPECT_TRUE(menu->rotationAction(0)->isChecked());
    EXPECT_TRUE(menu->mirrorAction(Mirror::None)->isChecked());

    menu->rotationAction(270)->trigger();
    menu->mirrorAction(Mirror::LeftRight)->trigger();
    menu->bgrAction()->trigger();
    menu->invertAction()->trigger();
    const PanelOptions chosen{.invert = true, .bgr = true, .rotation = 270, .mirror = Mirror::LeftRight};
    click("Command1");
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), expected(chosen));
    EXPECT_NE(expected(chosen), expected({}));
    EXPECT_EQ(QSettings().value(quorvane::ui::PictureMenu::kRotateKey).toInt(), 270);
    EXPECT_EQ(QSettings().value(quorvane::ui::PictureMenu::kMirrorKey).toString(), "h");

    window.reset();
    window = makeWindow();
    EXPECT_EQ(window->pictureMenu()->panel(), chosen);
    click("Command1");
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), expected(chosen));
}

TEST_F(RealMainWindow, ShowAsTheDisplayShowsItSwapsThePicture) {
    nextFile = image("logo.bmp", 2, 1, {0x0080FF, 0xFF0000}); // (255, 128, 0), (0, 0, 255)
    click("Command1");
    click("Command2"); // 8 Bit: (255, 128, 0) shows as (255, 146, 0)
    const auto shownColour = [&] { return child<QLabel>("Picture1")->pixmap().toImage().pixelColor(0, 0); };
    QAction* show = window->pictureMenu()->showAsDisplayedAction();
    show->trigger();
    EXPECT_EQ(shownColour(), QColor(255, 146, 0));
    show->trigger();
    EXPECT_EQ(shownColour(), QColor(255, 128, 0));
    show->trigger();
    click("Command1"); // the same picture opened again is shown as it is, and the tick goes
    EXPECT_EQ(shownColour(), QColor(255, 128, 0));
    EXPECT_FALSE(show->isChecked());
}

// An installed copy: the program's folder is /usr/bin, so the raw file goes beside the picture.
TEST_F(RealMainWindow, InstalledCopyWritesTheRawFileBesideThePicture) {
    window->folderLocator = [] { return QString("/usr/bin"); };
    nextFile = image("logo.bmp", 2, 1, {0x0000FF, 0xFF0000});
    click("Command1");
    click("Command2");
    click("Command3");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first.toStdString(), (dir / "logo.hex").string() + "\nCreated Successfully!");
    EXPECT_EQ(proctest::slurp(dir / "logo.hex"), std::string("\x00\x01\xE0\x03", 4));
}

TEST_F(RealMainWindow, PictureGivenAtStartUpAndTheDialogsStartingFolder) {
    window->openGivenFile(QString::fromStdString(image("start.bmp", 2, 1, {0x0000FF, 0xFF0000})));
    EXPECT_TRUE(child<QLineEdit>("Text1")->text().endsWith("start.bmp"));
    EXPECT_EQ(child<QLabel>("Picture1")->pixmap().size(), QSize(2, 1));
    window->openGivenFile(QString::fromStdString(image("big.bmp", 133, 1, std::vector<std::uint32_t>(133))));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Image dimensions too large.");
    EXPECT_TRUE(child<QLineEdit>("Text1")->text().endsWith("start.bmp"));

    // A later run's dialog starts in the folder of the last picture opened.
    window.reset();
    window = makeWindow();
    click("Command1");
    EXPECT_EQ(dialogFolder.toStdString(), dir.string());
}

// A file dropped anywhere on the window opens as if chosen in the dialog: on the text box too, where a
// plain text drop would otherwise land.
TEST_F(RealMainWindow, AFileDroppedOnTheWindowOpensIt) {
    const auto drop = [&](QWidget* target, const std::string& name) {
        const QString file = QString::fromStdString(image(name, 2, 1, {0x0000FF, 0xFF0000}));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        EXPECT_EQ(child<QLineEdit>("Text1")->text(), "1x2 - " + file);
    };
    drop(child<QPlainTextEdit>("Text2")->viewport(), "dropped.bmp");
    EXPECT_TRUE(child<QPlainTextEdit>("Text2")->toPlainText().isEmpty());
    auto* preview = openPreview();
    drop(preview, "onthepreview.bmp");
    EXPECT_EQ(preview->pictureView()->image().size(), QSize(2, 1)) << "the preview follows the dropped picture";
    EXPECT_TRUE(messages.empty());
}

// The too-large box keeps its text, icon and default OK, and offers fitting beside it; chosen, the
// picture opens fitted without ticking the menu.
TEST_F(RealMainWindow, TheTooLargeBoxOffersToFit) {
    const auto box = MainWindow::fitOfferBox(window.get(), "Image dimensions too large.");
    EXPECT_EQ(box->text(), "Image dimensions too large.");
    EXPECT_EQ(box->windowTitle(), "Quorvane");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    const QList<QAbstractButton*> buttons = box->buttons();
    ASSERT_EQ(buttons.size(), 2);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
    EXPECT_TRUE(std::any_of(buttons.begin(), buttons.end(),
                            [](QAbstractButton* b) { return b->text() == MainWindow::kFitButtonText; }));

    chooseFit = true;
    nextFile = image("wide.bmp", 264, 2, std::vector<std::uint32_t>(528, 0x0000FF));
    click("Command1");
    EXPECT_EQ(child("Picture1")->size(), QSize(132, 1));
    EXPECT_FALSE(window->pictureMenu()->fitLargerAction()->isChecked());
}

// Out of the box a larger picture is refused; with the menu's tick it is fitted, and the tick stays.
TEST_F(RealMainWindow, FitLargerPicturesFromTheMenuAndRemembered) {
    nextFile = image("wide.bmp", 264, 2, std::vector<std::uint32_t>(528, 0x0000FF));
    EXPECT_FALSE(window->pictureMenu()->fitLargerAction()->isChecked());
    click("Command1");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Image dimensions too large.");

    window->pictureMenu()->fitLargerAction()->trigger();
    click("Command1");
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(child<QLineEdit>("Text1")->text().toStdString(), "1x132 - " + *nextFile);
    EXPECT_EQ(child("Picture1")->size(), QSize(132, 1));

    window.reset();
    window = makeWindow();
    EXPECT_TRUE(window->pictureMenu()->fitLargerAction()->isChecked());
}

TEST_F(RealMainWindow, PreviewOpensFromTheMenuAndTheDoubleClickAndGoesWithTheWindow) {
    auto* preview = openPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->windowTitle(), "Preview");
    EXPECT_EQ(preview->pictureView()->image().pixelColor(0, 0), QColor(255, 128, 0));
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), "") << "no Make Code was asked for";

    preview->close();
    EXPECT_TRUE(window->isVisible()) << "closing the preview changes nothing else";
    QTest::mouseDClick(child("Picture1"), Qt::LeftButton, {}, QPoint(1, 0));
    EXPECT_EQ(window->previewWindow(), preview);
    EXPECT_TRUE(preview->isVisible());

    window->close();
    EXPECT_FALSE(preview->isVisible());
}

// A depth chosen in the main window reaches the panel view at once; zoom 1 -> 4 magnifies the same
// pixels four times, by `+`, and Ctrl + wheel steps back; zoom and grid are remembered.
TEST_F(RealMainWindow, PreviewFollowsTheDepthAndZooms) {
    auto* preview = openPreview();
    auto* panel = preview->panelView();
    QApplication::setActiveWindow(preview); // the offscreen platform activates no window by itself
    for (int i = 0; i < 8; ++i) QTest::keyClick(preview, Qt::Key_Minus);
    EXPECT_EQ(preview->zoomChoice()->currentText(), "1×");
    EXPECT_EQ(panel->grab().toImage().pixelColor(0, 0), QColor(255, 146, 0)); // 8 Bit: green part 4 of 7
    click("Option3");
    const QImage once = panel->grab().toImage();
    EXPECT_EQ(once.pixelColor(0, 0), QColor(255, 130, 0)); // 16 Bit: 32 of 63
    EXPECT_EQ(once.size(), QSize(3, 1));
    EXPECT_FALSE(preview->gridTick()->isEnabled());

    for (int i = 0; i < 3; ++i) QTest::keyClick(preview, Qt::Key_Plus);
    const QImage four = panel->grab().toImage();
    ASSERT_EQ(four.size(), QSize(12, 4));
    for (int y = 0; y < four.height(); ++y)
        for (int x = 0; x < four.width(); ++x) ASSERT_EQ(four.pixel(x, y), once.pixel(x / 4, y / 4)) << x << "," << y;
    EXPECT_TRUE(preview->gridTick()->isEnabled());
    preview->gridTick()->click();
    EXPECT_NE(panel->grab().toImage().pixel(0, 0), once.pixel(0, 0)) << "a grid line at the pixel's edge";
    EXPECT_EQ(panel->grab().toImage().pixel(2, 2), once.pixel(0, 0)) << "and the pixel within it";

    QWidget* viewport = preview->findChild<QScrollArea*>()->viewport();
    QWheelEvent wheel(QPointF(1, 1), viewport->mapToGlobal(QPointF(1, 1)), {}, QPoint(0, -240), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    EXPECT_EQ(panel->width(), 6) << "two notches, two steps";

    window.reset();
    quorvane::ui::PreviewWindow again(nullptr);
    EXPECT_EQ(again.zoomChoice()->currentText(), "2×");
    EXPECT_TRUE(again.gridTick()->isChecked());
}

// Pointing at a pixel of either view gives its place, its colour and its codes as the colour converter
// gives them (orange worked by hand), with what the panel shows there; a new depth shows at once.
TEST_F(RealMainWindow, PreviewStatusLineAgreesWithTheColourConverter) {
    auto* preview = openPreview();
    preview->preview().setZoom(2);
    for (auto* view : {preview->pictureView(), preview->panelView()}) {
        QTest::mouseMove(view, QPoint(5, 1)); // off the first pixel, then onto it
        QTest::mouseMove(view, QPoint(1, 1));
        EXPECT_EQ(preview->statusText(),
                  "x 0, y 0   R G B 255 128 0  0x0080FF   8 Bit 7 4 0  0xF0   on the panel 255 146 0");
    }
    click("Option2");
    EXPECT_EQ(preview->statusText(),
              "x 0, y 0   R G B 255 128 0  0x0080FF   12 Bit 15 8 0  0xF800   on the panel 255 136 0");
    const auto codes = quorvane::colorconv::colorCodes(255, 128, 0);
    EXPECT_NE(preview->statusText().indexOf(QString::fromStdString(codes.bits12.code)), -1);
    QTest::mouseMove(preview->panelView(), QPoint(3, 1));
    EXPECT_EQ(preview->statusText(), "x 1, y 0   R G B 0 0 255  0xFF0000   12 Bit 0 0 15  0x00F0   on the panel 0 0 255");
}

// The Display menu and "More depths" through the real widgets, and their bytes against the command
// line's for the same choices: a 240 x 320 picture on an ST7789 at 18 Bit, and 24 Bit on the 132 x 132
// panel. The display is remembered; the depth it brings is chosen again at the next start.
TEST_F(RealMainWindow, DisplayAndMoreDepthsGiveTheCommandLinesBytes) {
    quorvane::ui::PictureMenu* menu = window->pictureMenu();
    ASSERT_EQ(menu->displayAction("")->text(), "Nokia 6100 type, 132 × 132");
    EXPECT_TRUE(menu->displayAction("")->isChecked());
    menu->displayAction("st7789-240x320")->trigger();
    EXPECT_TRUE(child<QRadioButton>("Option3")->isChecked()) << "an ST7789's default, 16 Bit";
    EXPECT_FALSE(child<QRadioButton>("Option1")->isEnabled()) << "8 Bit is not an ST7789's";
    EXPECT_FALSE(menu->moreDepthAction(quorvane::codegen::Depth::Bits24)->isEnabled());
    menu->moreDepthAction(quorvane::codegen::Depth::Bits18)->trigger();
    for (const char* option : {"Option1", "Option2", "Option3"}) EXPECT_FALSE(child<QRadioButton>(option)->isChecked()) << option;

    nextFile = image("panel.bmp", 240, 320, bmptest::noise(240 * 320));
    click("Command1");
    EXPECT_EQ(child<QLabel>("Picture1")->pixmap().size(), QSize(99, 132)) << "shown in the frame";
    click("Command2");
    click("Command3");
    const std::string hex = (dir / "cli.hex").string();
    const auto cli = proctest::run({QUORVANE_CLI_PATH, "code", "--display", "st7789-240x320", "--depth", "18",
                                    "--columns", "16", "--hex", hex, *nextFile});
    ASSERT_EQ(cli.status, 0) << cli.err;
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText().toStdString() + "\n", cli.out);
    EXPECT_EQ(proctest::slurp(dir / "program" / "panel.hex"), proctest::slurp(hex));

    // Back on the 132 x 132 panel every depth can be chosen; 24 Bit there is the components themselves.
    menu->displayAction("")->trigger();
    EXPECT_TRUE(child<QRadioButton>("Option1")->isEnabled());
    menu->moreDepthAction(quorvane::codegen::Depth::Bits24)->trigger();
    nextFile = image("logo.bmp", 2, 1, {0x0080FF, 0xFF0000});
    click("Command1");
    click("Command2");
    EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText(), "unsigned rom char logo[10] = {\n0,1,255,128,0,0,0,255,0\n};");
    QTest::mouseClick(child("Option2"), Qt::LeftButton, {}, QPoint(4, 8));
    EXPECT_FALSE(menu->moreDepthAction(quorvane::codegen::Depth::Bits24)->isChecked()) << "an option clears More depths";

    menu->displayAction("ili9488-320x480")->trigger();
    window = makeWindow();
    EXPECT_TRUE(window->pictureMenu()->displayAction("ili9488-320x480")->isChecked());
    EXPECT_TRUE(window->pictureMenu()->moreDepthAction(quorvane::codegen::Depth::Bits18)->isChecked())
        << "an ILI9488's default, 18 Bit";
}

// "Colours" and "Compression" through the real widgets, against the command line's bytes for the same
// choices; a monochrome display brings Monochrome in pages and takes nothing else; both are remembered.
TEST_F(RealMainWindow, ColoursAndCompressionGiveTheCommandLinesBytes) {
    quorvane::ui::PictureMenu* menu = window->pictureMenu();
    EXPECT_TRUE(menu->coloursAction("full")->isChecked());
    EXPECT_TRUE(menu->compressionAction(quorvane::codegen::Compression::None)->isChecked());
    const struct {
        const char* display;
        const char* colours; // nullptr: the display's own
        quorvane::codegen::Compression compression;
        std::vector<std::string> options;
    } cases[] = {
        {"", "16", quorvane::codegen::Compression::Lz4, {"--palette", "16", "--compress", "lz4"}},
        {"", "mono-rows-lsb", quorvane::codegen::Compression::Rle, {"--mono", "--mono-layout", "rows-lsb", "--compress", "rle"}},
        {"ssd1306-128x64", nullptr, quorvane::codegen::Compression::Auto, {"--display", "ssd1306-128x64", "--compress", "auto", "--columns", "16"}},
    };
    for (const auto& c : cases) {
        menu->displayAction(c.display)->trigger();
        if (c.colours) menu->coloursAction(c.colours)->trigger();
        menu->compressionAction(c.compression)->trigger();
        nextFile = image("art.bmp", 12, 10, bmptest::noise(120));
        click("Command1");
        click("Command2");
        click("Command3");
        const std::string hex = (dir / "cli.hex").string();
        std::vector<std::string> argv = {QUORVANE_CLI_PATH, "code", "--hex", hex};
        argv.insert(argv.end(), c.options.begin(), c.options.end());
        argv.push_back(*nextFile);
        const auto cli = proctest::run(argv);
        ASSERT_EQ(cli.status, 0) << cli.err;
        EXPECT_EQ(child<QPlainTextEdit>("Text2")->toPlainText().toStdString() + "\n", cli.out) << c.options[1];
        EXPECT_EQ(proctest::slurp(dir / "program" / "art.hex"), proctest::slurp(hex)) << c.options[1];
    }
    EXPECT_TRUE(menu->coloursAction("mono-pages")->isChecked()) << "a monochrome display's layout";
    EXPECT_FALSE(menu->coloursAction("256")->isEnabled()) << "a monochrome display has no palette";
    menu->showAsDisplayedAction()->trigger();
    const QImage shown = child<QLabel>("Picture1")->pixmap().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(5, 3), QPoint(11, 9)}) {
        EXPECT_TRUE(shown.pixel(at) == qRgb(0, 0, 0) || shown.pixel(at) == qRgb(255, 255, 255)) << "lit white, else black";
    }

    menu->displayAction("st7789-240x320")->trigger();
    EXPECT_TRUE(menu->coloursAction("full")->isChecked()) << "a colour display is not monochrome";
    EXPECT_FALSE(menu->coloursAction("mono-rows")->isEnabled());
    menu->coloursAction("4")->trigger();
    window = makeWindow();
    EXPECT_TRUE(window->pictureMenu()->coloursAction("4")->isChecked());
    EXPECT_TRUE(window->pictureMenu()->compressionAction(quorvane::codegen::Compression::Auto)->isChecked());
}

// "Pack…" opens the Pack window; a picture and an animation dropped on it are converted on a thread of
// its own, listed, the selected animation plays in the window, and it goes with the main window.
TEST_F(RealMainWindow, PackWindowTakesDropsConvertsAndPlays) {
    window->pictureMenu()->packAction()->trigger();
    auto* pack = window->packWindow();
    ASSERT_NE(pack, nullptr);
    EXPECT_TRUE(pack->isVisible());
    EXPECT_EQ(pack->windowTitle(), "Pack");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(image("one.bmp", 2, 1, {0x0000FF, 0xFF0000}))),
                  QUrl::fromLocalFile(QString::fromStdString(image("two.bmp", 3, 2, std::vector<std::uint32_t>(6, 0x00FF00))))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pack, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pack, &dropped);
    QTRY_COMPARE_WITH_TIMEOUT(pack->assetList()->count(), 2, 5000);
    EXPECT_TRUE(pack->assetList()->item(0)->text().startsWith("one — 2 × 1, 1 frame, "));
    EXPECT_TRUE(pack->totalLabel()->text().startsWith("2 assets, "));
    EXPECT_FALSE(pack->cancelButton()->isVisible());
    EXPECT_TRUE(pack->makeButton()->isEnabled());
    pack->assetList()->setCurrentRow(1);
    EXPECT_EQ(pack->playingView()->image().size(), QSize(3, 2));
    EXPECT_EQ(pack->playingView()->image().pixelColor(0, 0), QColor(0, 255, 0));
    EXPECT_TRUE(messages.empty());
    window->close();
    EXPECT_FALSE(pack->isVisible());
}

// "Font…" opens the Font window: a system font chosen from fontconfig's list is converted on a thread of
// its own, its sample drawn through the decoder, the characters it lacks named; "Make Code…" writes
// the source, header and raw file and puts the source on the clipboard.
TEST_F(RealMainWindow, FontWindowConvertsDrawsAndMakesCode) {
    window->pictureMenu()->fontAction()->trigger();
    auto* font = window->fontWindow();
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->isVisible());
    const int dejavu = font->systemFontList()->findData("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_GE(dejavu, 0) << "fontconfig lists the fonts of fonts-dejavu-core";
    font->charactersEdit()->setText(QString::fromUtf8("Quorvane 0123\xE4\xB8\xAD"));
    emit font->charactersEdit()->editingFinished();
    font->systemFontList()->setCurrentIndex(dejavu);
    emit font->systemFontList()->activated(dejavu);
    QTRY_VERIFY_WITH_TIMEOUT(font->fonting().font().has_value() && !font->fonting().busy(), 5000);
    EXPECT_TRUE(font->summaryLabel()->text().contains(QString::fromUtf8("The font lacks U+4E2D \xE4\xB8\xAD"))) << font->summaryLabel()->text().toStdString();
    EXPECT_FALSE(font->sampleView()->image().isNull());
    EXPECT_EQ(font->sampleView()->image().height(), font->fonting().font()->data.ascent + font->fonting().font()->data.descent);
    const std::string source = (dir / "label.c").string();
    font->makeChooser = [&](const QString&) -> std::optional<QString> { return QString::fromStdString(source); };
    QString clipboard;
    font->clipboardSink = [&](const QString& text) { clipboard = text; };
    font->makeButton()->click();
    EXPECT_TRUE(fs::exists(dir / "label.h") && fs::exists(dir / "label.hex"));
    EXPECT_EQ(clipboard.toStdString(), proctest::slurp(source));
    EXPECT_TRUE(messages.empty());
    window->close();
    EXPECT_FALSE(font->isVisible());
}
