// Under a real X server: the preview window appears where another program finds it, titled "Preview",
// and its panel view at zoom 2 puts the panel's colours on the screen. Run by CTest through xvfb-run
// with the xcb platform, with the clipboard test.
#include "support/openedwindow.h"
#include "ui/picturemenu.h"
#include "ui/pixelview.h"
#include "ui/previewwindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSettings>
#include <QTest>


TEST(PreviewOnTheScreen, AppearsTitledPreviewAndShowsThePanelsColours) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run this test under xvfb-run with QT_QPA_PLATFORM=xcb";
    QSettings().setValue(quorvane::ui::PreviewWindow::kZoomKey, 2);
    // (255, 128, 0), (0, 0, 255) over (0, 255, 0), (255, 255, 255).
    OpenedWindow opened(2, 2, {0x0080FF, 0xFF0000, 0x00FF00, 0xFFFFFF});
    ASSERT_TRUE(opened.exposed);
    opened.window.pictureMenu()->previewAction()->trigger();
    quorvane::ui::PreviewWindow* preview = opened.window.previewWindow();
    ASSERT_NE(preview, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(preview));

    QProcess xwininfo;
    xwininfo.start("xwininfo", {"-name", "Preview"});
    ASSERT_TRUE(xwininfo.waitForFinished(10000));
    EXPECT_EQ(xwininfo.exitCode(), 0) << xwininfo.readAllStandardError().toStdString();
    EXPECT_NE(xwininfo.readAllStandardOutput().indexOf("\"Preview\""), -1);

    // At 8 Bit: orange's green part 4 of 7 shows as 146; the rest are shown exactly. Zoom 2 makes each a
    // 2 x 2 square; the screen is read until the first paint has reached it.
    const struct {
        QPoint at;
        QColor colour;
    } points[] = {{{0, 0}, {255, 146, 0}}, {{1, 1}, {255, 146, 0}}, {{2, 0}, {0, 0, 255}},
                  {{3, 1}, {0, 0, 255}},   {{1, 2}, {0, 255, 0}},   {{3, 3}, {255, 255, 255}}};
    const QPoint origin = preview->panelView()->mapToGlobal(QPoint(0, 0));
    QImage screen;
    const auto allShown = [&] {
        screen = preview->screen()->grabWindow(0, origin.x(), origin.y(), 4, 4).toImage();
        return std::all_of(std::begin(points), std::end(points),
                           [&](const auto& p) { return screen.pixelColor(p.at) == p.colour; });
    };
    for (int tries = 0; tries < 100 && !allShown(); ++tries) QTest::qWait(50);
    for (const auto& p : points) EXPECT_EQ(screen.pixelColor(p.at), p.colour) << p.at.x() << "," << p.at.y();
}
