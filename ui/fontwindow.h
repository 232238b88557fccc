#pragma once
// The Font window's widgets, bound to app::Fonting through FontView: a font from a file or from the
// system's fonts, its size, bits a pixel and characters ("From file…" adds a file's), a sample line drawn
// as the panel shows it, zoomed, the glyphs, bytes and characters the font lacks, a progress bar and
// Cancel while converting, and "Make Code…".

#include "app/fonting.h"
#include "ui/background.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace quorvane::ui {

class PixelView;

class FontWindow : public QMainWindow, public app::FontView {
  public:
    explicit FontWindow(QWidget* owner);
    ~FontWindow() override;

    // Seams for the tests; by default the system's dialogs and message box.
    std::function<std::optional<QString>(const QString& title, const QString& filter)> openChooser;
    std::function<std::optional<QString>(const QString& suggested)> makeChooser;
    std::function<void(const QString& text, QMessageBox::Icon icon)> messageSink;
    std::function<void(const QString& text)> clipboardSink;
    std::function<void()> onMakeCode; // the main window's choices as they are now, then Make Code

    void open();
    app::Fonting& fonting() { return fonting_; }
    QComboBox* systemFontList() const { return system_; }
    QSpinBox* sizeBox() const { return size_; }
    QComboBox* bppList() const { return bpp_; }
    QLineEdit* charactersEdit() const { return chars_; }
    QLineEdit* sampleEdit() const { return sample_; }
    QLabel* summaryLabel() const { return summary_; }
    QPushButton* makeButton() const { return make_; }
    PixelView* sampleView() const { return view_; }

    // FontView
    void showSystemFonts(const std::vector<fonts::SystemFont>& fonts) override;
    void showFontName(const std::string& name) override;
    void showSample(const codegen::DisplayedPicture& line) override;
    void showSummary(const app::FontSummary& summary) override;
    void showBusy(bool busy) override;
    void showProgress(std::size_t done, std::size_t all) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    std::optional<std::string> chooseFontFile() override;
    std::optional<std::string> chooseCharsFile() override;
    std::optional<std::string> chooseMakeFile(const std::string& suggested) override;
    void setClipboardText(const std::string& text) override;
    void showMessage(const std::string& text, app::MessageIcon icon) override;

  private:
    app::Fonting fonting_;
    QComboBox* system_ = nullptr;
    QLabel* name_ = nullptr;
    QSpinBox* size_ = nullptr;
    QComboBox* bpp_ = nullptr;
    QLineEdit* chars_ = nullptr;
    QLineEdit* sample_ = nullptr;
    PixelView* view_ = nullptr;
    QLabel* summary_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* make_ = nullptr;
    BackgroundWork background_{this};
};

} // namespace quorvane::ui
