#pragma once
// The Pack window's widgets, bound to app::Packing through PackView: "Add…" (and drag and drop of
// pictures and folders), the list of assets with a thumbnail, size, frames and bytes, the pack's total,
// the selected animation playing as the panel shows it, a progress bar and Cancel while converting,
// and "Make Pack…".

#include "app/packing.h"
#include "ui/background.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace quorvane::ui {

class PixelView;

class PackWindow : public QMainWindow, public app::PackView {
  public:
    explicit PackWindow(QWidget* owner);
    ~PackWindow() override;

    // Seams for the tests; by default the system's dialogs and message box.
    std::function<std::optional<QString>()> addChooser;
    std::function<std::optional<QString>(const QString& suggested)> makeChooser;
    std::function<void(const QString& text, QMessageBox::Icon icon)> messageSink;
    std::function<void()> onMakePack; // the main window's choices as they are now, then Make Pack

    void open();
    app::Packing& packing() { return packing_; }
    QListWidget* assetList() const { return list_; }
    QLabel* totalLabel() const { return total_; }
    QPushButton* makeButton() const { return make_; }
    QPushButton* cancelButton() const { return cancel_; }
    QProgressBar* progressBar() const { return progress_; }
    PixelView* playingView() const { return playing_; }

    // PackView
    void showAssets(const std::vector<app::AssetRow>& rows, std::size_t packBytes) override;
    void showFrame(const codegen::DisplayedPicture& frame) override;
    void scheduleFrame(int delayMs) override;
    void showBusy(bool busy) override;
    void showProgress(std::size_t done, std::size_t all) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    std::optional<std::string> chooseAddFiles() override;
    std::optional<std::string> chooseMakeFile(const std::string& suggested) override;
    void showMessage(const std::string& text, app::MessageIcon icon) override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    app::Packing packing_;
    QListWidget* list_ = nullptr;
    QLabel* total_ = nullptr;
    PixelView* playing_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* make_ = nullptr;
    QTimer* timer_ = nullptr;
    BackgroundWork background_{this};
};

} // namespace quorvane::ui
