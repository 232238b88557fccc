// The window's two costliest responses, for a 132 x 132 picture: from the "Make Code" click to the
// array text laid out and painted in Text2 at 12 Bit (about 26,000 values on one line), and from a
// depth chosen to the preview's two views made again and painted (goal: one 60 Hz frame, 16 ms).
#include "../tests/support/openedwindow.h"
#include "ui/previewwindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <chrono>

namespace {

std::vector<std::uint32_t> noise() {
    std::vector<std::uint32_t> pixels(132 * 132);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    return pixels;
}

void makeCodeToText2(benchmark::State& state) {
    OpenedWindow opened(132, 132, noise());
    opened.child<QRadioButton>("Option2")->setChecked(true);
    auto* makeCode = opened.child<QPushButton>("Command2");
    auto* text2 = opened.child<QPlainTextEdit>("Text2");

    for (auto _ : state) {
        makeCode->click();
        text2->viewport()->repaint(); // lay out and paint what the user sees, now
        QCoreApplication::processEvents();
    }
    state.counters["characters"] = static_cast<double>(text2->toPlainText().size());
}

// At the default zoom and at the largest, where each view is 1056 x 1056 pixels.
void depthChangeToPreviewPainted(benchmark::State& state) {
    OpenedWindow opened(132, 132, noise());
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

BENCHMARK(makeCodeToText2)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(depthChangeToPreviewPainted)->ArgName("zoom")->Arg(3)->Arg(8)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
