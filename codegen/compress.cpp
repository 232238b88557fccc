#include "codegen/storage.h"

#include <lz4hc.h>

#include <algorithm>
#include <deque>
#include <stdexcept>

namespace quorvane::codegen {
namespace {

// The cheapest cover of the units by literal blocks (1 to 128 units) and runs (2 to 129 equal units),
// worked out from the end: cost[i] is the fewest bytes that code units i onwards.
std::vector<std::uint8_t> shortestRuns(std::span<const std::uint8_t> data, std::size_t unit) {
    const std::size_t n = data.size(), units = (n + unit - 1) / unit;
    const auto offset = [&](std::size_t u) { return std::min(u * unit, n); };
    const auto equal = [&](std::size_t a, std::size_t b) {
        return offset(b + 1) - offset(b) == unit && std::equal(data.begin() + offset(a), data.begin() + offset(a + 1), data.begin() + offset(b));
    };
    std::vector<std::size_t> run(units + 1, 0), cost(units + 1, 0), step(units + 1, 0);
    std::vector<bool> repeat(units + 1, false);
    std::deque<std::size_t> window; // j in (i, i + 128], by rising offset(j) + cost[j]
    const auto g = [&](std::size_t j) { return offset(j) + cost[j]; };
    for (std::size_t i = units; i-- > 0;) {
        run[i] = i + 1 < units && equal(i, i + 1) ? run[i + 1] + 1 : 1;
        while (!window.empty() && g(window.back()) >= g(i + 1)) window.pop_back();
        window.push_back(i + 1);
        while (window.front() > i + 128) window.pop_front();
        cost[i] = 1 + g(window.front()) - offset(i);
        step[i] = window.front() - i;
        for (std::size_t r = std::min<std::size_t>(run[i], 129); r >= 2; --r) {
            if (1 + unit + cost[i + r] <= cost[i]) {
                cost[i] = 1 + unit + cost[i + r];
                step[i] = r;
                repeat[i] = true;
            }
        }
    }
    std::vector<std::uint8_t> out;
    out.reserve(cost[0]);
    for (std::size_t i = 0; i < units; i += step[i]) {
        if (repeat[i]) {
            out.push_back(static_cast<std::uint8_t>(step[i] + 126));
            out.insert(out.end(), data.begin() + offset(i), data.begin() + offset(i + 1));
        } else {
            out.push_back(static_cast<std::uint8_t>(step[i] - 1));
            out.insert(out.end(), data.begin() + offset(i), data.begin() + offset(i + step[i]));
        }
    }
    return out;
}
} // namespace

int rleUnit(Depth depth, const Storage& storage) {
    if (storage.indexBits() > 0) return 1;
    const int bits = colorFormat(depth).bitsPerPixel();
    return bits == 12 ? 3 : bits / 8;
}

std::vector<std::uint8_t> rleEncode(std::span<const std::uint8_t> data, int unit) {
    if (unit < 1) throw std::invalid_argument("rleEncode: a unit has at least one byte");
    return shortestRuns(data, static_cast<std::size_t>(unit));
}

std::vector<std::uint8_t> lz4Encode(std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> out;
    std::vector<char> block(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(kLz4Chunk))));
    for (std::size_t at = 0; at < data.size(); at += kLz4Chunk) {
        const int length = static_cast<int>(std::min(kLz4Chunk, data.size() - at));
        const int made = LZ4_compress_HC(reinterpret_cast<const char*>(data.data() + at), block.data(), length,
                                         static_cast<int>(block.size()), LZ4HC_CLEVEL_MAX);
        if (made <= 0) throw std::runtime_error("LZ4 could not compress a chunk");
        out.push_back(static_cast<std::uint8_t>(made >> 8));
        out.push_back(static_cast<std::uint8_t>(made & 0xFF));
        out.insert(out.end(), block.begin(), block.begin() + made);
    }
    return out;
}

Compressed compress(std::span<const std::uint8_t> data, Compression compression, int unit) {
    switch (compression) {
    case Compression::Rle: return {Method::Rle, rleEncode(data, unit)};
    case Compression::Lz4: return {Method::Lz4, lz4Encode(data)};
    case Compression::Auto: {
        Compressed best{Method::Stored, {data.begin(), data.end()}};
        for (Compressed other : {Compressed{Method::Rle, rleEncode(data, unit)}, Compressed{Method::Lz4, lz4Encode(data)}}) {
            if (other.bytes.size() < best.bytes.size()) best = std::move(other);
        }
        return best;
    }
    case Compression::None: break;
    }
    return {Method::Stored, {data.begin(), data.end()}};
}

} // namespace quorvane::codegen
