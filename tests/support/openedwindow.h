#pragma once
// The real main window, shown, with a picture of the caller's pixels opened through "Open BMP" for the
// display named (the 132 x 132 panel when none is): where the X server tests and the window benchmark
// start. Needs a QApplication.

#include "bmpwriter.h"
#include "ui/mainwindow.h"
#include "ui/picturemenu.h"

#include <QAction>

#include <QString>
#include <QTest>
#include <QWidget>

#include <filesystem>
#include <string>
#include <unistd.h>

struct OpenedWindow {
    OpenedWindow(int width, int height, const std::vector<std::uint32_t>& pixels, const std::string& display = "") {
        bmptest::writeFile(file, bmptest::bmp24(width, height, pixels));
        if (!display.empty()) window.pictureMenu()->displayAction(display)->trigger();
        window.fileChooser = [this](const QString&, const QString&, const QString&) -> std::optional<QString> {
            return QString::fromStdString(file.string());
        };
        window.show();
        exposed = QTest::qWaitForWindowExposed(&window);
        QTest::mouseClick(child<QWidget>("Command1"), Qt::LeftButton);
    }
    ~OpenedWindow() { std::filesystem::remove(file); }
    OpenedWindow(const OpenedWindow&) = delete;
    OpenedWindow& operator=(const OpenedWindow&) = delete;

    template <typename W> W* child(const char* name) const { return window.findChild<W*>(name); }

    std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("quorvane-window-" + std::to_string(::getpid()) + ".bmp");
    quorvane::ui::MainWindow window;
    bool exposed = false;
};
