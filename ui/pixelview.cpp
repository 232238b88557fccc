#include "ui/pixelview.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quorvane::ui {

PixelView::PixelView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PixelView::setImage(QImage image) {
    image_ = std::move(image);
    rebuild();
}

void PixelView::setZoom(int zoom, bool grid) {
    zoom_ = zoom;
    grid_ = grid;
    rebuild();
}

int PixelView::devicePixelsPerPixel() const {
    return std::max(1, static_cast<int>(std::lround(zoom_ * devicePixelRatioF())));
}

// Magnified once per change rather than at every paint, by an exact whole factor: the paint is then a
// plain copy, and what is painted is what the tests read back.
void PixelView::rebuild() {
    const int k = devicePixelsPerPixel();
    const qreal ratio = devicePixelRatioF();
    if (image_.isNull()) {
        magnified_ = QImage();
    } else {
        magnified_ = image_.scaled(image_.width() * k, image_.height() * k, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                         .convertToFormat(QImage::Format_RGB32);
        if (grid_) {
            // A half-transparent grey line along the top and the left of every pixel shows on light and dark alike.
            QPainter painter(&magnified_);
            painter.setPen(QColor(128, 128, 128, 110));
            for (int x = 0; x < image_.width(); ++x) painter.drawLine(x * k, 0, x * k, magnified_.height() - 1);
            for (int y = 0; y < image_.height(); ++y) painter.drawLine(0, y * k, magnified_.width() - 1, y * k);
        }
        magnified_.setDevicePixelRatio(ratio);
    }
    const QSize logical = magnified_.isNull() ? QSize(0, 0) : (QSizeF(magnified_.size()) / ratio).toSize();
    setFixedSize(logical);
    update();
}

std::optional<std::pair<int, int>> PixelView::pixelAt(QPointF at) const {
    if (image_.isNull()) return std::nullopt;
    const int k = devicePixelsPerPixel();
    const qreal ratio = devicePixelRatioF();
    const int x = static_cast<int>(std::floor(at.x() * ratio / k));
    const int y = static_cast<int>(std::floor(at.y() * ratio / k));
    if (x < 0 || y < 0 || x >= image_.width() || y >= image_.height()) return std::nullopt;
    return std::pair{x, y};
}

void PixelView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!magnified_.isNull()) painter.drawImage(QPointF(0, 0), magnified_);
}

void PixelView::mouseMoveEvent(QMouseEvent* event) {
    if (onPointAt) onPointAt(pixelAt(event->position()));
    QWidget::mouseMoveEvent(event);
}

void PixelView::leaveEvent(QEvent* event) {
    if (onPointAt) onPointAt(std::nullopt);
    QWidget::leaveEvent(event);
}

} // namespace quorvane::ui
