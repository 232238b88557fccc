#include "ui/widgets.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace quorvane::ui {

QString anyCase(const QString& patterns) {
    QString matched;
    for (const QChar c : patterns) matched += c.isLetter() ? QString("[%1%2]").arg(c.toLower()).arg(c.toUpper()) : QString(c);
    return matched;
}

std::optional<QString> droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().front().isLocalFile()) return std::nullopt;
    return data->urls().front().toLocalFile();
}

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
