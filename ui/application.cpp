#include "ui/application.h"

#include "ui/mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <optional>

#ifndef QUORVANE_VERSION
#define QUORVANE_VERSION "unknown"
#endif

namespace quorvane::ui {

namespace {

bool haveDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

void nameTheApplication() {
    QCoreApplication::setOrganizationName("Quorvane");
    QCoreApplication::setApplicationName("Quorvane");
    QCoreApplication::setApplicationVersion(QUORVANE_VERSION);
}

struct StartUp {
    std::optional<QString> picture;
    bool preview = false;
};

// The command line is read before any window exists, so --help and --version answer without a display.
// Returns what to open; --help, --version and a wrong option end the process.
StartUp startUpFromCommandLine(int argc, char** argv) {
    QCoreApplication reader(argc, argv);
    nameTheApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription("Converts a picture of at most 132 x 132 pixels into C array source and a "
                                     "raw byte file for a colour LCD.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument("FILE", "A picture to open at start-up, as \"Open BMP\" would.", "[FILE]");
    const QCommandLineOption preview("preview", "Open the preview window beside the main window.");
    parser.addOption(preview);
    parser.process(reader);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "quorvane: give at most one FILE\n");
        std::exit(2);
    }
    StartUp startUp{.picture = std::nullopt, .preview = parser.isSet(preview)};
    if (!files.isEmpty()) startUp.picture = files.front();
    return startUp;
}

} // namespace

int runApplication(int argc, char** argv) {
    const StartUp startUp = startUpFromCommandLine(argc, argv);
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "quorvane: there is no display to open the window on (DISPLAY is not set).\n"
                     "Run it on a desktop, or under a virtual display:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 ? argv[0] : "quorvane");
        return 1;
    }
    QApplication application(argc, argv);
    nameTheApplication();
    MainWindow window;
    window.show();
    // Once the event loop runs, so that a message about the file has its window to stand on.
    QTimer::singleShot(0, &window, [&window, &startUp] {
        if (startUp.picture) window.openGivenFile(*startUp.picture);
        if (startUp.preview) window.openPreviewWindow();
    });
    return QApplication::exec();
}

} // namespace quorvane::ui
