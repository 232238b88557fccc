// Under a real X server: after "Make Code", another program reads exactly the value line from the
// clipboard. Run by CTest through xvfb-run with the xcb platform.
#include "support/openedwindow.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>


TEST(ClipboardSeenByAnotherProgram, HoldsTheValueLineAfterMakeCode) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run this test under xvfb-run with QT_QPA_PLATFORM=xcb";
    OpenedWindow opened(2, 1, {0x0080FF, 0xFF0000});
    ASSERT_TRUE(opened.exposed);
    QTest::mouseClick(opened.child<QWidget>("Command2"), Qt::LeftButton);

    // The clipboard's owner answers xclip from its event loop, so the loop must run while xclip does.
    QProcess xclip;
    QEventLoop loop;
    QObject::connect(&xclip, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&xclip, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    xclip.start("xclip", {"-o", "-selection", "clipboard"});
    loop.exec();

    ASSERT_EQ(xclip.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(xclip.exitCode(), 0) << xclip.readAllStandardError().toStdString();
    EXPECT_EQ(xclip.readAllStandardOutput().toStdString(), "0,1,240,3,0,0");
}
