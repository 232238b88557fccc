// From the "Make Code" click to the array text laid out and painted in Text2, for a 132 x 132 image at
// 12 Bit: about 26,000 values on one line.
#include "../tests/support/bmpwriter.h"
#include "ui/mainwindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <filesystem>

namespace {

void makeCodeToText2(benchmark::State& state) {
    const auto file = std::filesystem::temp_directory_path() / "quorvane-ui-bench.bmp";
    std::vector<std::uint32_t> pixels(132 * 132);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    bmptest::writeFile(file, bmptest::bmp24(132, 132, pixels));

    quorvane::ui::MainWindow window;
    window.fileChooser = [&](const QString&, const QString&, const QString&) -> std::optional<QString> {
        return QString::fromStdString(file.string());
    };
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    window.findChild<QPushButton*>("Command1")->click();
    window.findChild<QRadioButton*>("Option2")->setChecked(true);
    auto* makeCode = window.findChild<QPushButton*>("Command2");
    auto* text2 = window.findChild<QPlainTextEdit*>("Text2");

    for (auto _ : state) {
        makeCode->click();
        text2->viewport()->repaint(); // lay out and paint what the user sees, now
        QCoreApplication::processEvents();
    }
    state.counters["characters"] = static_cast<double>(text2->toPlainText().size());
    std::filesystem::remove(file);
}

} // namespace

BENCHMARK(makeCodeToText2)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
