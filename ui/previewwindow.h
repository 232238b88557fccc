#pragma once
// The preview window's widgets, bound to app::Preview through PreviewView: the two views side by side,
// the zoom choice, the grid tick, "Save picture…" and the status line. Zoom, grid and position are
// remembered between runs.

#include "app/preview.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QString>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QPushButton;
class QScrollArea;

namespace quorvane::ui {

class PixelView;

class PreviewWindow : public QMainWindow, public app::PreviewView {
public:
    explicit PreviewWindow(QWidget* owner);

    // Seams for the tests; by default the system's save dialog and message box.
    std::function<std::optional<QString>(const QString& suggested)> saveChooser;
    std::function<void(const QString& text, QMessageBox::Icon icon)> messageSink;

    // Shows the window, the first time where it stood last (or beside its owner), and brings it forward.
    void open();

    app::Preview& preview() { return preview_; }
    PixelView* pictureView() const { return pictureView_; }
    PixelView* panelView() const { return panelView_; }
    QComboBox* zoomChoice() const { return zoom_; }
    QCheckBox* gridTick() const { return grid_; }
    QPushButton* saveButton() const { return save_; }
    QString statusText() const;

    static constexpr const char* kZoomKey = "preview/zoom";
    static constexpr const char* kGridKey = "preview/grid";
    static constexpr const char* kPositionKey = "preview/position";

    // PreviewView
    void showViews(const codegen::DisplayedPicture& picture, const codegen::DisplayedPicture& panel) override;
    void showZoom(int zoom, bool grid) override;
    void setStatus(const std::string& text) override;
    std::optional<std::string> chooseSaveFile(const std::string& suggested) override;
    void showMessage(const std::string& text, app::MessageIcon icon) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    void placeFirstTime();
    void fitToContent();

    app::Preview preview_;
    PixelView* pictureView_ = nullptr;
    PixelView* panelView_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QComboBox* zoom_ = nullptr;
    QCheckBox* grid_ = nullptr;
    QPushButton* save_ = nullptr;
    bool placed_ = false;
    int wheelTurn_ = 0; // Ctrl + wheel, in eighths of a degree not yet turned into a zoom step
};

} // namespace quorvane::ui
