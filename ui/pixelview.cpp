#include "ui/pixelview.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace quorvane::ui {

PixelView::PixelView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PixelView::setImage(QImage image) {
    if (image == image_) return; // the picture view, when only the panel's choices changed
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

// Magnified once per change rather than at every paint, by repeating each pixel k times along a row and
// each row k times: exact by construction and a few memory copies, where a general scaler would sample.
// The paint is then a plain copy, and what is painted is what the tests read back.
void PixelView::rebuild() {
    const int k = devicePixelsPerPixel();
    const qreal ratio = devicePixelRatioF();
    if (image_.isNull()) {
        magnified_ = QImage();
    } else {
        const QImage source = image_.convertToFormat(QImage::Format_RGB32);
        magnified_ = QImage(source.width() * k, source.height() * k, QImage::Format_RGB32);
        // Where the grid is shown, the first device row and column of every pixel are a half-way mix
        // with grey, which shows on light and dark pixels alike.
        const auto gridded = [](QRgb c) { return qRgb((qRed(c) + 128) / 2, (qGreen(c) + 128) / 2, (qBlue(c) + 128) / 2); };
        for (int y = 0; y < source.height(); ++y) {
            const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            auto* first = reinterpret_cast<QRgb*>(magnified_.scanLine(y * k));
            for (int x = 0; x < source.width(); ++x) {
                std::fill_n(first + x * k, k, in[x]);
                if (grid_) first[x * k] = gridded(in[x]);
            }
            for (int row = 1; row < k; ++row) {
                std::copy_n(first, magnified_.width(), reinterpret_cast<QRgb*>(magnified_.scanLine(y * k + row)));
            }
            if (grid_) {
                for (int x = 0; x < magnified_.width(); ++x) {
                    if (x % k != 0) first[x] = gridded(first[x]); // the corner is mixed once, above
                }
            }
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
