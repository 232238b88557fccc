// The window's two costliest responses: from the "Make Code" click to the array text laid out and
// painted in Text2, for a 132 x 132 picture at 12 Bit (about 26,000 values on one line) and for a
// 320 x 480 one on an ILI9488 at 18 Bit (460,806 values; goal: no more time per 100,000 characters than
// at 132 x 132), and from a depth chosen to the preview's two views made again and painted (goal: one
// 60 Hz frame, 16 ms).
#include "../tests/support/openedwindow.h"
#include "ui/previewwindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

namespace {

// Argument 0: the 132 x 132 panel at 12 Bit; 1: an ILI9488's 320 x 480 at its default, 18 Bit; 2: the
// same at 16 Bit, whose parts and values also fill the working lists.
void makeCodeToText2(benchmark::State& state) {
    const bool large = state.range(0) >= 1;
    OpenedWindow opened(large ? 320 : 132, large ? 480 : 132, bmptest::noise(large ? 320 * 480 : 132 * 132),
                        large ? "ili9488-320x480" : "");
    if (state.range(0) == 2) opened.child<QRadioButton>("Option3")->setChecked(true);
    if (!large) opened.child<QRadioButton>("Option2")->setChecked(true);
    auto* makeCode = opened.child<QPushButton>("Command2");
    auto* text2 = opened.child<QPlainTextEdit>("Text2");

    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    for (auto _ : state) {
        const auto start = Clock::now();
        makeCode->click();
        text2->viewport()->repaint(); // lay out and paint what the user sees, now
        QCoreApplication::processEvents();
        spent += Clock::now() - start;
    }
    const auto characters = static_cast<double>(text2->toPlainText().size());
    state.counters["characters"] = characters;
    state.counters["ms_per_100k_chars"] = std::chrono::duration<double, std::milli>(spent).count() /
                                          static_cast<double>(state.iterations()) / (characters / 100000);
}

// At the default zoom and at the largest, where each view is 1056 x 1056 pixels.
void depthChangeToPreviewPainted(benchmark::State& state) {
    OpenedWindow opened(132, 132, bmptest::noise(132 * 132));
    opened.window.openPreviewWindow();
    quorvane::ui::PreviewWindow* preview = opened.window.previewWindow();
    preview->preview().setZoom(static_cast<int>(state.range(0)));
    (void)QTest::qWaitForWindowExposed(preview);
    QRadioButton* depths[] = {opened.child<QRadioButton>("Option2"), opened.child<QRadioButton>("Option3")};

    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    std::size_t turn = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        depths[turn++ % 2]->click();
        preview->repaint();
        QCoreApplication::processEvents();
        spent += Clock::now() - start;
    }
    const double milliseconds =
        std::chrono::duration<double, std::milli>(spent).count() / static_cast<double>(state.iterations());
    state.SetLabel(milliseconds <= 16.0 ? "goal <= 16 ms met" : "goal <= 16 ms NOT met");
}

} // namespace

BENCHMARK(makeCodeToText2)->ArgName("ili9488")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(depthChangeToPreviewPainted)->ArgName("zoom")->Arg(3)->Arg(8)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The display chosen here is remembered in a folder of this run's own, never in the user's.
    QTemporaryDir settingsHome;
    qputenv("XDG_CONFIG_HOME", settingsHome.path().toUtf8());
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
