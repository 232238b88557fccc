#include "fonts/fontfile.h"

#include "fonts/charset.h"

#include <algorithm>
#include <limits>
#include <array>
#include <queue>
#include <tuple>

namespace quorvane::fonts {
namespace {

constexpr std::size_t kHeaderBytes = 84;
constexpr int kLongestCode = 15; // a code length is held in 4 bits
constexpr std::size_t kRunSymbols = 16; // runs of 0 to 14, and the escape to longer ones
constexpr std::size_t kMostTables = 4;  // the tables of misses the decoder holds while it decodes

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// The bits that hold every value from 0 to largest.
int bitsFor(std::uint64_t largest) {
    int bits = 0;
    while (largest >> bits) ++bits;
    return bits;
}

struct Bits {
    std::vector<bool> out;
    void write(std::uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) out.push_back((value >> i) & 1);
    }
    // Exponential-Golomb of order k: z zeros, then (n >> k) + 1 in z + 1 bits, then n's k low bits.
    void run(std::uint32_t n, int k) {
        const std::uint32_t v = (n >> k) + 1;
        const int z = bitsFor(v) - 1;
        write(0, z);
        write(v, z + 1);
        write(n & ((1u << k) - 1), k);
    }
};

// Walks a glyph's levels as the decoder does: each level predicted from its neighbours, and the code's
// tokens handed on in order: a run of levels as predicted, then the level that is not (counted without
// the predicted one) with its prediction, and so on; the last run at the end.
template <typename OnRun, typename OnMiss>
void tokens(const FontGlyph& g, int bpp, OnRun&& onRun, OnMiss&& onMiss) {
    if (g.width == 0 || g.height == 0) return;
    const int top = (1 << bpp) - 1;
    std::vector<int> above(static_cast<std::size_t>(g.width), 0);
    std::size_t run = 0;
    for (int y = 0; y < g.height; ++y) {
        int a = 0, c = 0;
        for (int x = 0; x < g.width; ++x) {
            const int b = above[static_cast<std::size_t>(x)];
            const int v = g.levels[static_cast<std::size_t>(y * g.width + x)];
            const int p = std::clamp(a + b - c, 0, top);
            if (v == p) {
                ++run;
            } else {
                onRun(run);
                onMiss(static_cast<std::size_t>(v > p ? v - 1 : v), static_cast<std::size_t>(p));
                run = 0;
            }
            above[static_cast<std::size_t>(x)] = v;
            c = b;
            a = v;
        }
    }
    onRun(run);
}

// Huffman code lengths of symbols counted so often; 0 for a symbol never seen.
std::vector<int> codeLengths(const std::vector<long>& counts) {
    std::vector<int> lengths(counts.size(), 0);
    using Node = std::pair<long, std::vector<std::size_t>>;
    const auto heavier = [](const Node& a, const Node& b) { return a.first > b.first; };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> queue(heavier);
    for (std::size_t s = 0; s < counts.size(); ++s) {
        if (counts[s]) queue.push({counts[s], {s}});
    }
    if (queue.size() == 1) lengths[queue.top().second.front()] = 1;
    while (queue.size() > 1) {
        Node a = queue.top();
        queue.pop();
        Node b = queue.top();
        queue.pop();
        for (const std::size_t s : a.second) ++lengths[s];
        for (const std::size_t s : b.second) ++lengths[s];
        a.second.insert(a.second.end(), b.second.begin(), b.second.end());
        queue.push({a.first + b.first, std::move(a.second)});
    }
    return lengths;
}

// The canonical codes of those lengths: by length, then by symbol, counting up.
std::vector<std::uint32_t> canonicalCodes(const std::vector<int>& lengths) {
    std::vector<std::uint32_t> codes(lengths.size(), 0);
    std::uint32_t first = 0;
    for (int length = 1; length <= kLongestCode; ++length) {
        for (std::size_t s = 0; s < lengths.size(); ++s) {
            if (lengths[s] == length) codes[s] = first++;
        }
        first <<= 1;
    }
    return codes;
}

// A canonical prefix code over symbols counted so often: its lengths, held in 4 bits each in the
// font, and its codes, by length, then by symbol, counting up.
struct Code {
    std::vector<int> lengths;
    std::vector<std::uint32_t> codes;
    explicit Code(const std::vector<long>& counts) : lengths(codeLengths(counts)), codes(canonicalCodes(lengths)) {}
    void write(Bits& bits, std::size_t symbol) const { bits.write(codes[symbol], lengths[symbol]); }
    void writeLengths(Bits& bits) const {
        for (const int length : lengths) bits.write(static_cast<std::uint32_t>(length), 4);
    }
};

// The bits a prefix code spends on symbols counted so often, without its table.
long codedBits(const std::vector<long>& counts) {
    const std::vector<int> lengths = codeLengths(counts);
    long bits = 0;
    for (std::size_t s = 0; s < counts.size(); ++s) bits += counts[s] * lengths[s];
    return bits;
}

// Which table each predicted level's misses take: groups merged two at a time, the pair whose merging
// saves the most bits (a table of 4 bits a symbol included) first, while merging saves any and until
// there are at most the decoder's 4. Numbered in the order of their first predicted level.
std::vector<std::size_t> groupContexts(const std::vector<std::vector<long>>& counts) {
    std::vector<std::vector<std::size_t>> members;
    std::vector<std::vector<long>> merged;
    for (std::size_t p = 0; p < counts.size(); ++p) {
        members.push_back({p});
        merged.push_back(counts[p]);
    }
    const long table = 4 * static_cast<long>(counts.empty() ? 0 : counts.front().size());
    while (merged.size() > 1) {
        long bestGain = std::numeric_limits<long>::min();
        std::size_t bi = 0, bj = 0;
        for (std::size_t i = 0; i < merged.size(); ++i) {
            for (std::size_t j = i + 1; j < merged.size(); ++j) {
                std::vector<long> both(merged[i]);
                for (std::size_t s = 0; s < both.size(); ++s) both[s] += merged[j][s];
                const long gain = codedBits(merged[i]) + codedBits(merged[j]) + table - codedBits(both);
                if (gain > bestGain) {
                    bestGain = gain;
                    bi = i;
                    bj = j;
                }
            }
        }
        if (bestGain <= 0 && merged.size() <= kMostTables) break;
        for (std::size_t s = 0; s < merged[bi].size(); ++s) merged[bi][s] += merged[bj][s];
        members[bi].insert(members[bi].end(), members[bj].begin(), members[bj].end());
        merged.erase(merged.begin() + static_cast<std::ptrdiff_t>(bj));
        members.erase(members.begin() + static_cast<std::ptrdiff_t>(bj));
    }
    std::vector<std::size_t> groupOf(counts.size(), 0);
    for (std::size_t g = 0; g < members.size(); ++g) {
        for (const std::size_t p : members[g]) groupOf[p] = g;
    }
    return groupOf;
}

std::uint8_t flagsOf(const PixelFormat& pixel, bool tables) {
    int flags = 0;
    if (pixel.byteOrder == codegen::ByteOrder::Little) flags |= 1;
    if (pixel.bgr) flags |= 2;
    if (pixel.invert) flags |= 4;
    if (pixel.mono) flags |= 8 | static_cast<int>(pixel.monoLayout) << 4;
    if (tables) flags |= 128;
    return static_cast<std::uint8_t>(flags);
}

void check(bool fits, const std::string& what, const std::string& field) {
    if (!fits) throw FieldOverflow(what + " is too large for the font's " + field);
}

// A field of a table: the bits its values take once the smallest is taken from them.
struct Field {
    int bits = 0;
    int bias = 0;
};

template <typename Values>
Field fieldOf(const Values& values) {
    if (values.empty()) return {};
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    return {bitsFor(static_cast<std::uint64_t>(*hi - *lo)), static_cast<int>(*lo)};
}

} // namespace

std::vector<std::uint8_t> encodeFont(const FontData& given) {
    // The glyphs and pairs in the order the decoder's binary searches need, whatever order they came in.
    FontData font = given;
    std::sort(font.glyphs.begin(), font.glyphs.end(), [](const FontGlyph& a, const FontGlyph& b) { return a.code < b.code; });
    std::sort(font.pairs.begin(), font.pairs.end(),
              [](const KernPair& a, const KernPair& b) { return std::tie(a.left, a.right) < std::tie(b.left, b.right); });
    const codegen::ColorFormat& format = codegen::colorFormat(font.pixel.depth);
    const int levels = 1 << font.bpp;
    check(font.ascent >= 0 && font.ascent <= 255, "the font's ascent", "ascent (255 pixels)");
    check(font.descent >= 0 && font.descent <= 255, "the font's descent", "descent (255 pixels)");
    check(font.glyphs.size() <= 65535, std::to_string(font.glyphs.size()) + " glyphs", "glyph count (65,535)");
    for (const FontGlyph& g : font.glyphs) {
        const std::string name = "the glyph " + describe(g.code);
        check(g.width <= 255, name, "box width (255 pixels)");
        check(g.height <= 255, name, "box height (255 pixels)");
        check(g.advance >= 0 && g.advance <= 65535, name, "advance (1,023 pixels)");
        check(g.x >= -32768 && g.x <= 32767 && g.y >= -32768 && g.y <= 32767, name, "box position (32,767 pixels)");
    }

    // The tables: one for the runs' lengths, and for each predicted level a code for each other level,
    // from how often each stood there.
    const bool tables = font.bpp == 2 || font.bpp == 4;
    std::vector<long> runCounts(kRunSymbols, 0);
    std::vector<std::vector<long>> missCounts(tables ? static_cast<std::size_t>(levels) : 0, std::vector<long>(static_cast<std::size_t>(levels - 1), 0));
    for (const FontGlyph& g : font.glyphs) {
        tokens(g, font.bpp, [&](std::size_t run) { ++runCounts[std::min(run, kRunSymbols - 1)]; },
               [&](std::size_t miss, std::size_t p) {
                   if (tables) ++missCounts[p][miss];
               });
    }
    const Code runCode(runCounts);
    // Predicted levels whose misses go alike share a table: merged while merging stores fewer bits.
    const std::vector<std::size_t> groupOf = tables ? groupContexts(missCounts) : std::vector<std::size_t>{};
    std::vector<std::vector<long>> groupCounts;
    for (std::size_t p = 0; p < groupOf.size(); ++p) {
        if (groupOf[p] >= groupCounts.size()) groupCounts.resize(groupOf[p] + 1, std::vector<long>(missCounts[p].size(), 0));
        for (std::size_t s = 0; s < missCounts[p].size(); ++s) groupCounts[groupOf[p]][s] += missCounts[p][s];
    }
    std::vector<Code> missCodes(groupCounts.begin(), groupCounts.end());

    // The levels, with the escaped runs' order that stores them in the fewest bits.
    const int raw = font.bpp - (font.bpp == 1);
    std::vector<bool> best;
    std::vector<std::size_t> offsets;
    int bestK = 0;
    for (int k = 0; k < 8; ++k) {
        Bits bits;
        std::vector<std::size_t> at;
        const auto writeRun = [&](std::size_t run) {
            const std::size_t symbol = std::min(run, kRunSymbols - 1);
            runCode.write(bits, symbol);
            if (symbol == kRunSymbols - 1) bits.run(static_cast<std::uint32_t>(run - symbol), k);
        };
        for (const FontGlyph& g : font.glyphs) {
            at.push_back(bits.out.size());
            tokens(g, font.bpp, writeRun, [&](std::size_t miss, std::size_t p) {
                if (tables) {
                    missCodes[groupOf[p]].write(bits, miss);
                } else {
                    bits.write(miss, raw);
                }
            });
        }
        if (k == 0 || bits.out.size() < best.size()) {
            best = std::move(bits.out);
            offsets = std::move(at);
            bestK = k;
        }
    }

    // The glyphs' and pairs' fields, each as wide as its values need.
    std::vector<long> offsetValues(offsets.begin(), offsets.end()), widths, heights, xs, ys, advances, kernings;
    for (const FontGlyph& g : font.glyphs) {
        widths.push_back(g.width);
        heights.push_back(g.height);
        xs.push_back(g.x);
        ys.push_back(g.y);
        advances.push_back(g.advance);
    }
    for (const KernPair& pair : font.pairs) {
        check(pair.value >= -32768 && pair.value <= 32767, "the kerning of " + describe(pair.left) + " and " + describe(pair.right),
              "kerning (512 pixels)");
        kernings.push_back(pair.value);
    }
    Field offset = fieldOf(offsetValues), width = fieldOf(widths), height = fieldOf(heights);
    offset.bias = width.bias = height.bias = 0; // stored whole: their biases are not read
    offset.bits = bitsFor(offsetValues.empty() ? 0 : static_cast<std::uint64_t>(offsetValues.back()));
    width.bits = bitsFor(widths.empty() ? 0 : static_cast<std::uint64_t>(*std::max_element(widths.begin(), widths.end())));
    height.bits = bitsFor(heights.empty() ? 0 : static_cast<std::uint64_t>(*std::max_element(heights.begin(), heights.end())));
    // Kerning: each glyph says where its pairs as the left one start (the next glyph's, where they end);
    // each pair its right glyph and which of the distinct kerning values it takes.
    const auto indexOf = [&](char32_t c) {
        const auto at = std::lower_bound(font.glyphs.begin(), font.glyphs.end(), c, [](const FontGlyph& g, char32_t v) { return g.code < v; });
        return static_cast<std::uint64_t>(at - font.glyphs.begin());
    };
    std::vector<long> firstPairs;
    for (const FontGlyph& g : font.glyphs) {
        const auto at = std::lower_bound(font.pairs.begin(), font.pairs.end(), g.code, [](const KernPair& p, char32_t c) { return p.left < c; });
        firstPairs.push_back(at - font.pairs.begin());
    }
    std::vector<long> values(kernings);
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    const Field x = fieldOf(xs), y = fieldOf(ys), advance = fieldOf(advances), kerning = fieldOf(values);
    const Field index{bitsFor(font.glyphs.empty() ? 0 : font.glyphs.size() - 1), 0};
    const Field firstPair{bitsFor(font.pairs.size()), 0}, valueIndex{bitsFor(values.empty() ? 0 : values.size() - 1), 0};
    const std::array<Field, 10> fields{offset, width, height, x, y, advance, firstPair, index, valueIndex, kerning};
    for (const Field& f : fields) check(f.bits <= 24, "the glyphs' levels", "fields (24 bits)");

    struct Range {
        char32_t first;
        int count;
        std::size_t glyph;
    };
    std::vector<Range> ranges;
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const char32_t c = font.glyphs[i].code;
        if (!ranges.empty() && ranges.back().first + static_cast<char32_t>(ranges.back().count) == c && ranges.back().count < 256) {
            ++ranges.back().count;
        } else {
            ranges.push_back({c, 1, i});
        }
    }
    check(ranges.size() <= 65535, std::to_string(ranges.size()) + " ranges of characters", "range count (65,535)");

    // The bit fields first, so that the header can say where each table starts.
    Bits bits;
    runCode.writeLengths(bits);
    for (const std::size_t group : groupOf) bits.write(group, 4);
    for (const Code& code : missCodes) {
        code.writeLengths(bits);
        bits.write(0, 4); // a table of 2^bpp lengths, so that each starts on a byte
    }
    const std::size_t tablesAt = kHeaderBytes * 8 + ranges.size() * 48;
    const std::size_t glyphsAt = tablesAt + bits.out.size();
    for (std::size_t i = 0; i < font.glyphs.size(); ++i) {
        const FontGlyph& g = font.glyphs[i];
        const long stored[] = {static_cast<long>(offsets[i]), g.width, g.height, g.x, g.y, g.advance, firstPairs[i]};
        for (std::size_t f = 0; f < 7; ++f) bits.write(static_cast<std::uint64_t>(stored[f] - fields[f].bias), fields[f].bits);
    }
    // One more glyph, whose first pair is where the last glyph's pairs end.
    for (std::size_t f = 0; f < 6; ++f) bits.write(0, fields[f].bits);
    bits.write(font.pairs.size(), firstPair.bits);
    const std::size_t pairsAt = tablesAt + bits.out.size();
    for (const KernPair& pair : font.pairs) {
        bits.write(indexOf(pair.right), index.bits);
        bits.write(static_cast<std::uint64_t>(std::lower_bound(values.begin(), values.end(), pair.value) - values.begin()), valueIndex.bits);
    }
    const std::size_t valuesAt = tablesAt + bits.out.size();
    for (const long value : values) bits.write(static_cast<std::uint64_t>(value - kerning.bias), kerning.bits);
    const std::size_t levelsAt = tablesAt + bits.out.size();
    bits.out.insert(bits.out.end(), best.begin(), best.end());
    check(tablesAt + bits.out.size() <= 0xFFFFFFFFu, "the font", "bit positions (512 MB)");

    int recordBits = 0;
    for (std::size_t f = 0; f < 7; ++f) recordBits += fields[f].bits;
    std::vector<std::uint8_t> out{'Q', 'V', 'F', 'T', 1};
    out.insert(out.end(), {static_cast<std::uint8_t>(font.bpp), flagsOf(font.pixel, tables), static_cast<std::uint8_t>(bestK),
                           static_cast<std::uint8_t>(255 / (levels - 1))});
    // The fields in the order the panel receives them: bgr puts blue's component in red's field, but the
    // fields' widths stay where they are.
    // A mono font's pixels are lit or not, whatever the depth: its fields are 0.
    for (const auto& channel : format.channels) out.push_back(static_cast<std::uint8_t>(font.pixel.mono ? 0 : channel.bits));
    for (const auto& channel : format.channels) out.push_back(static_cast<std::uint8_t>(font.pixel.mono ? 0 : channel.slot));
    out.insert(out.end(), {static_cast<std::uint8_t>(font.ascent), static_cast<std::uint8_t>(font.descent)});
    for (const Field& f : fields) out.push_back(static_cast<std::uint8_t>(f.bits));
    out.insert(out.end(), {static_cast<std::uint8_t>(recordBits), static_cast<std::uint8_t>(index.bits + valueIndex.bits), 0, 0, 0});
    for (const std::size_t n : {ranges.size(), font.glyphs.size(), font.pairs.size(), values.size()}) put(out, static_cast<std::uint32_t>(n), 4);
    for (const Field& f : {x, y, advance, kerning}) put(out, static_cast<std::uint32_t>(f.bias), 4);
    for (const std::size_t at : {tablesAt, glyphsAt, pairsAt, valuesAt, levelsAt}) put(out, static_cast<std::uint32_t>(at), 4);
    for (const Range& r : ranges) {
        put(out, r.first, 3);
        put(out, static_cast<std::uint32_t>(r.count - 1), 1);
        put(out, static_cast<std::uint32_t>(r.glyph), 2);
    }
    std::uint8_t byte = 0;
    for (std::size_t i = 0; i < bits.out.size(); ++i) {
        byte = static_cast<std::uint8_t>(byte << 1 | bits.out[i]);
        if (i % 8 == 7) out.push_back(byte);
    }
    if (bits.out.size() % 8) out.push_back(static_cast<std::uint8_t>(byte << (8 - bits.out.size() % 8)));
    return out;
}

} // namespace quorvane::fonts
