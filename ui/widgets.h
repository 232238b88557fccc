#pragma once
// Small helpers shared by both windows' bindings.

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QListView>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QMimeData;
class QStringListModel;

namespace quorvane::ui {

inline QString toQt(const std::string& text) { return QString::fromStdString(text); }
inline std::string fromQt(const QString& text) { return text.toStdString(); }

// Colour values are 0x00BBGGRR throughout the program.
inline QColor toQColor(std::uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}
inline std::uint32_t toColorValue(const QColor& color) {
    return static_cast<std::uint32_t>(color.red()) | (static_cast<std::uint32_t>(color.green()) << 8) |
           (static_cast<std::uint32_t>(color.blue()) << 16);
}

// A font by family and size; where the family is not installed Qt falls back to the hinted kind.
inline QFont designFont(const char* family, QFont::StyleHint fallback) {
    QFont font(family);
    font.setPointSizeF(8.25);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setStyleHint(fallback);
    return font;
}

// File patterns in any letter case: files from other systems often end in ".BMP".
QString anyCase(const QString& patterns);

// The one local file a drag carries, if that is what it carries.
std::optional<QString> droppedFile(const QMimeData* data);

inline void setBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    palette.setColor(QPalette::Button, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A picture box: shows a picture at its own size and reports mouse moves, clicks and double-clicks.
class PictureBox : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void(int x, int y)> onMouseMove;
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A list box whose items are one list of strings: a 320 x 480 picture's 768,000 working values at 16 Bit go
// in as one assignment, where an item object each took a quarter of a second.
class ListBox : public QListView {
public:
    explicit ListBox(QWidget* parent);
    void clear();
    void append(const QStringList& items);
    int count() const;
    int currentRow() const; // -1 when none
    std::function<void()> onCurrentRowChanged;

private:
    QStringListModel* model_;
};

} // namespace quorvane::ui
