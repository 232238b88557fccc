#pragma once
// The main window's widgets, bound to Form1 through MainView. No logic lives here: every click goes
// straight to a handler of Form1, and every handler's request is one widget call.

#include "app/form1.h"
#include "app/mainview.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace quorvane::ui {

class ColorConverterWindow;
class ListBox;
class PictureBox;
class PictureMenu;
class PreviewWindow;
class FontWindow;
class PackWindow;

class MainWindow : public QWidget, public app::MainView {
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Seams for the tests; by default the system's dialogs, message boxes and the executable's folder.
    std::function<std::optional<QString>(const QString& title, const QString& filter, const QString& startFolder)>
        fileChooser;
    std::function<void(const QString& text, QMessageBox::Icon icon)> messageSink;
    std::function<bool(const QString& text)> fitOffer; // true for "Fit to the panel"
    std::function<QString()> folderLocator;

    ColorConverterWindow* colorConverter() const { return colorConverter_.get(); }
    const app::Form1& form() const { return form_; }
    QString openDialogFilter() const { return openFilter_; }
    PictureMenu* pictureMenu() const { return pictureMenu_; }
    PreviewWindow* previewWindow() const { return preview_.get(); } // null until first opened
    PackWindow* packWindow() const { return pack_.get(); }          // null until first opened
    FontWindow* fontWindow() const { return font_.get(); }          // null until first opened

    // `quorvane FILE`, or a file dropped on the window: opens it as "Open BMP" would, with the same checks
    // and messages.
    void openGivenFile(const QString& path);
    void openPreviewWindow(); // `quorvane --preview`: as "Preview…" in the picture's menu

    static constexpr const char* kLastFolderKey = "open/lastFolder";

    // MainView
    void setCaption(const std::string& caption) override;
    void setText(app::TextBox box, const std::string& text) override;
    void clearList(app::ListBox list) override;
    void addListItems(app::ListBox list, const std::vector<std::string>& items) override;
    int selectedListIndex(app::ListBox list) const override;
    bool isSelected(app::OptionButton option) const override;
    void showDepth(codegen::Depth depth, const std::vector<codegen::Depth>& available) override;
    void setOpenDialog(const std::string& title, const std::string& filterName, const std::string& pattern) override;
    std::optional<std::string> chooseOpenFile() override;
    void showPicture(const capture::Picture& picture) override;
    void setShowAsDisplayedTicked(bool ticked) override;
    void showColours(const codegen::Storage& colours, bool mono, bool colour) override;
    void showMessage(const std::string& text, app::MessageIcon icon) override;
    bool offerToFit(const std::string& text) override;

    // The box of a picture refused as too large that fitting could take: error icon, OK as the default,
    // and "Fit to the panel".
    static std::unique_ptr<QMessageBox> fitOfferBox(QWidget* parent, const QString& text);
    static constexpr const char* kFitButtonText = "Fit to the panel";
    void setClipboardText(const std::string& text) override;
    std::string programFolder() const override;
    void openColorConverter() override;
    app::Preview& preview() override;
    void showPreview() override;
    app::Packing& packing() override;
    void showPacking() override;
    app::Fonting& fonting() override;
    void showFonting() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    // A file dragged from the file manager opens wherever on the window (or the preview) it is dropped,
    // the text boxes included; dragged text still goes into them as before.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool takeFileDrop(QEvent* event);
    void rememberFolderOf(const QString& picture);
    void buildControls();
    void buildPictureMenu();
    void setTabOrder();
    QLineEdit* textBox(app::TextBox box) const;
    ListBox* listBox(app::ListBox list) const;

    app::Form1 form_;
    QString openTitle_, openFilter_;

    QWidget* picture2_ = nullptr;
    PictureBox* picture1_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QPlainTextEdit* text2_ = nullptr;
    QLineEdit *text3_ = nullptr, *text4_ = nullptr, *text5_ = nullptr;
    QPushButton *command1_ = nullptr, *command2_ = nullptr, *command3_ = nullptr, *command4_ = nullptr;
    QGroupBox *frame1_ = nullptr, *frame2_ = nullptr;
    QRadioButton *option1_ = nullptr, *option2_ = nullptr, *option3_ = nullptr, *option4_ = nullptr,
                 *option5_ = nullptr;
    ListBox *list1_ = nullptr, *list2_ = nullptr, *list3_ = nullptr;
    PictureMenu* pictureMenu_ = nullptr;
    std::unique_ptr<ColorConverterWindow> colorConverter_;
    std::unique_ptr<PreviewWindow> preview_;
    std::unique_ptr<PackWindow> pack_;
    std::unique_ptr<FontWindow> font_;
};

} // namespace quorvane::ui
