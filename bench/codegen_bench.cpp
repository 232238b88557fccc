// The whole "Make Code" path of the largest image, without a window: component store to array text,
// clipboard text and raw file bytes.
#include "codegen/imagecode.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <vector>

using namespace quorvane::codegen;

namespace {

// Each iteration frees about half a megabyte at the top of the heap. glibc gives it back to the kernel
// at once and the next iteration faults it in again; on a virtual machine those faults cost more than
// the conversion. Keeping the heap measures the conversion; the README quotes both figures.
const bool heapKept = [] {
    if (std::getenv("QUORVANE_BENCH_DEFAULT_HEAP")) return false;
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    return true;
}();

std::vector<std::int32_t> largestImage() {
    std::vector<std::int32_t> components(3 * 132 * 132);
    for (std::size_t i = 0; i < components.size(); ++i) components[i] = static_cast<std::int32_t>((i * 53) % 256);
    return components;
}

void wholePath(benchmark::State& state, Depth depth, Dither dither, PanelOptions panel = {}) {
    const auto components = largestImage();
    const CodeOptions options{
        .depth = depth, .target = Target::Arm, .arrayName = "logo", .dither = dither, .panel = panel};
    state.SetLabel(heapKept ? "heap kept" : "default heap");
    for (auto _ : state) {
        ImageCode code = makeImageCode(components, {132, 132}, options);
        std::string shown = code.text.joined("\r\n");
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(code);
    }
}

} // namespace

BENCHMARK_CAPTURE(wholePath, depth8, Depth::Bits8, Dither::None)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth12, Depth::Bits12, Dither::None)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth16, Depth::Bits16, Dither::None)->Unit(benchmark::kMicrosecond);
// A panel mounted on its side and wired blue first: the picture is turned and swapped before the reduction.
BENCHMARK_CAPTURE(wholePath, depth12_rotate90_bgr, Depth::Bits12, Dither::None, PanelOptions{.bgr = true, .rotation = 90})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth8_ordered, Depth::Bits8, Dither::Ordered)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth8_fs, Depth::Bits8, Dither::ErrorDiffusion)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth12_fs, Depth::Bits12, Dither::ErrorDiffusion)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth16_fs, Depth::Bits16, Dither::ErrorDiffusion)->Unit(benchmark::kMicrosecond);

// Dithering alone: the parts of the largest image, without the text and the file.
void ditherOnly(benchmark::State& state, Dither dither) {
    const auto components = largestImage();
    for (auto _ : state) {
        auto parts = ditheredParts(components, 132, Depth::Bits12, dither);
        benchmark::DoNotOptimize(parts);
    }
}
BENCHMARK_CAPTURE(ditherOnly, none12, Dither::None)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ditherOnly, ordered12, Dither::Ordered)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(ditherOnly, fs12, Dither::ErrorDiffusion)->Unit(benchmark::kMicrosecond);
