// The whole "Make Code" path of the largest image, without a window: component store to array text,
// clipboard text and raw file bytes.
#include "codegen/arraytext.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace quorvane::codegen;

namespace {

std::vector<std::int32_t> largestImage() {
    std::vector<std::int32_t> components(3 * 132 * 132);
    for (std::size_t i = 0; i < components.size(); ++i) components[i] = static_cast<std::int32_t>((i * 53) % 256);
    return components;
}

void wholePath(benchmark::State& state, Depth depth) {
    const auto components = largestImage();
    std::vector<std::int16_t> fileValues(60001);
    for (auto _ : state) {
        const Conversion conversion = convert(components, depth);
        const ArrayText text = arrayText("logo", Target::Arm, "132", "132", conversion.packed);
        std::string shown = text.joined("\r\n");
        std::string clipboard = text.valueLine;
        fillFileValues(fileValues, "132", "132", conversion.packed);
        auto bytes = rawFileBytes(fileValues, rawDataByteCount(depth, 132 * 132));
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(clipboard);
        benchmark::DoNotOptimize(bytes);
    }
}

} // namespace

BENCHMARK_CAPTURE(wholePath, depth8, Depth::Bits8)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth12, Depth::Bits12)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(wholePath, depth16, Depth::Bits16)->Unit(benchmark::kMicrosecond);
