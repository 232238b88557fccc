#include "ui/application.h"

#include "ui/mainwindow.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace quorvane::ui {

namespace {

bool haveDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int runApplication(int argc, char** argv) {
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "quorvane: there is no display to open the window on (DISPLAY is not set).\n"
                     "Run it on a desktop, or under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "quorvane");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Quorvane");
    QApplication::setApplicationName("Quorvane");
    MainWindow window;
    window.show();
    return QApplication::exec();
}

} // namespace quorvane::ui
