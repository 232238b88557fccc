// Decoding the largest picture the display takes, from a 24-bit BMP in memory.
#include "capture/bmp.h"
#include "../tests/support/bmpwriter.h"

#include <benchmark/benchmark.h>

namespace {

void decode24(benchmark::State& state) {
    std::vector<std::uint32_t> pixels(132 * 132);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    const auto file = bmptest::bmp24(132, 132, pixels);
    for (auto _ : state) {
        auto picture = quorvane::capture::decodeBmp(file);
        benchmark::DoNotOptimize(picture);
    }
}

} // namespace

BENCHMARK(decode24)->Unit(benchmark::kMicrosecond);
