#include "ui/widgets.h"

#include <QItemSelectionModel>
#include <QMimeData>
#include <QMouseEvent>
#include <QStringListModel>
#include <QUrl>

namespace quorvane::ui {

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new QStringListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers); // a list box's items are not edited in place
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] {
        if (onCurrentRowChanged) onCurrentRowChanged();
    });
}

void ListBox::clear() { model_->setStringList({}); }

void ListBox::append(const QStringList& items) {
    if (model_->rowCount() == 0) {
        model_->setStringList(items);
        return;
    }
    QStringList all = model_->stringList();
    all += items;
    model_->setStringList(all);
}

int ListBox::count() const { return model_->rowCount(); }

int ListBox::currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

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
