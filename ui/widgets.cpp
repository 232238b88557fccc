#include "ui/widgets.h"

#include <QMouseEvent>

namespace quorvane::ui {

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (onMouseMove) onMouseMove(at.x(), at.y());
    QLabel::mouseMoveEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (onClick && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick();
    QLabel::mouseReleaseEvent(event);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (onDoubleClick && event->button() == Qt::LeftButton) onDoubleClick();
    QLabel::mouseDoubleClickEvent(event);
}

} // namespace quorvane::ui
