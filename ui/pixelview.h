#pragma once
// A picture magnified by a whole number, every picture pixel a square of whole device pixels: on a
// screen scaled by 1.5 a zoom of 2 draws 3 × 3 device pixels, never a blur or a mix of 1- and 2-pixel
// columns. Reports the picture pixel under the pointer.

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <utility>

namespace quorvane::ui {

class PixelView : public QWidget {
public:
    explicit PixelView(QWidget* parent = nullptr);

    void setImage(QImage image); // at the picture's own size
    void setZoom(int zoom, bool grid);

    // The picture pixel under a point of this widget, if any.
    std::optional<std::pair<int, int>> pixelAt(QPointF at) const;
    const QImage& image() const { return image_; }

    std::function<void(std::optional<std::pair<int, int>> pixel)> onPointAt;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int devicePixelsPerPixel() const;
    void rebuild();

    QImage image_;
    QImage magnified_; // in device pixels, grid drawn in
    int zoom_ = 1;
    bool grid_ = false;
};

} // namespace quorvane::ui
