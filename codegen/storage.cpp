#include "codegen/storage.h"

#include "codegen/display.h"

#include <libimagequant.h>
#include <lz4hc.h>

#include <algorithm>
#include <array>
#include <deque>
#include <memory>
#include <stdexcept>
#include <unordered_map>

namespace quorvane::codegen {
namespace {

constexpr int kWhiteLuma = 255000;

std::size_t pixelCount(PictureSize size) {
    return static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
}

int luma(std::span<const std::int32_t> components, std::size_t pixel) {
    const auto c = [&](std::size_t ch) { return std::clamp(components[3 * pixel + ch], 0, 255); };
    return 299 * c(0) + 587 * c(1) + 114 * c(2);
}

// Error diffusion on the luma, as the colour dithering does it on each channel: 7, 3, 5 and 1 sixteenths,
// serpentine rows, cut so that the four shares always add up to the whole error.
std::vector<std::uint8_t> diffusedBits(std::span<const std::int32_t> components, PictureSize size) {
    const auto width = static_cast<std::size_t>(size.width), height = static_cast<std::size_t>(size.height);
    std::vector<std::uint8_t> bits(width * height);
    std::vector<int> here(width + 2), next(width + 2);
    for (std::size_t y = 0; y < height; ++y) {
        const bool leftToRight = y % 2 == 0;
        std::fill(next.begin(), next.end(), 0);
        for (std::size_t step = 0; step < width; ++step) {
            const std::size_t x = leftToRight ? step : width - 1 - step;
            const std::size_t at = x + 1, ahead = leftToRight ? at + 1 : at - 1, behind = leftToRight ? at - 1 : at + 1;
            const int wanted = std::clamp(luma(components, y * width + x) + here[at], 0, kWhiteLuma);
            const bool lit = wanted >= kLitLuma;
            bits[y * width + x] = lit ? 1 : 0;
            const int error = wanted - (lit ? kWhiteLuma : 0);
            const int right = error * 7 / 16, downBehind = error * 3 / 16, down = error * 5 / 16;
            here[ahead] += right;
            next[behind] += downBehind;
            next[at] += down;
            next[ahead] += error - right - downBehind - down;
        }
        std::swap(here, next);
    }
    return bits;
}

std::uint32_t colourKey(std::span<const std::int32_t> parts, std::size_t pixel) {
    return static_cast<std::uint32_t>(parts[3 * pixel]) << 16 | static_cast<std::uint32_t>(parts[3 * pixel + 1]) << 8 |
           static_cast<std::uint32_t>(parts[3 * pixel + 2]);
}

// Entries numbered in the order the pixels first use them, so that k colours take the indices 0 to k - 1
// and the same picture always gets the same palette.
Palette inOrderOfUse(std::span<const std::int32_t> entryParts, std::span<const std::uint32_t> pixelEntries) {
    Palette palette;
    std::vector<int> renumbered(entryParts.size() / 3, -1);
    palette.indices.reserve(pixelEntries.size());
    for (const std::uint32_t entry : pixelEntries) {
        if (renumbered[entry] < 0) {
            renumbered[entry] = static_cast<int>(palette.entries.size() / 3);
            palette.entries.insert(palette.entries.end(), entryParts.begin() + 3 * entry, entryParts.begin() + 3 * entry + 3);
        }
        palette.indices.push_back(static_cast<std::uint8_t>(renumbered[entry]));
    }
    return palette;
}

struct LiqDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
    void operator()(liq_image* p) const { liq_image_destroy(p); }
    void operator()(liq_result* p) const { liq_result_destroy(p); }
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
template <typename T> using LiqPtr = std::unique_ptr<T, LiqDeleter>;

void check(liq_error error, const char* what) {
    if (error != LIQ_OK) throw std::runtime_error(std::string("the palette could not be made: ") + what + " (" + std::to_string(static_cast<int>(error)) + ")");
}

// The colours a picture uses once reduced to the depth, each once, and each pixel's.
struct ReducedColours {
    std::vector<std::int32_t> parts;    // red, green, blue parts per colour, in order of first use
    std::vector<std::uint32_t> counts;  // the pixels of each colour
    std::vector<std::uint32_t> ofPixel; // each pixel's colour
};

ReducedColours reducedColours(std::span<const std::int32_t> components, Depth depth) {
    const std::vector<std::int32_t> parts = reduceComponents(components, depth);
    ReducedColours colours;
    colours.ofPixel.resize(parts.size() / 3);
    std::unordered_map<std::uint32_t, std::uint32_t> seen;
    for (std::size_t i = 0; i < colours.ofPixel.size(); ++i) {
        const auto [it, added] = seen.try_emplace(colourKey(parts, i), static_cast<std::uint32_t>(seen.size()));
        if (added) {
            colours.parts.insert(colours.parts.end(), parts.begin() + static_cast<std::ptrdiff_t>(3 * i),
                                 parts.begin() + static_cast<std::ptrdiff_t>(3 * i + 3));
            colours.counts.push_back(0);
        }
        colours.ofPixel[i] = it->second;
        ++colours.counts[it->second];
    }
    return colours;
}

// A colour's displayed levels at the depth, as libimagequant takes colours.
liq_color levelsOf(std::span<const std::int32_t> parts, std::size_t entry, Depth depth) {
    const auto level = [&](std::size_t ch) {
        return static_cast<unsigned char>(displayedLevel(parts[3 * entry + ch], depth, static_cast<Channel>(ch)));
    };
    return {level(0), level(1), level(2), 255};
}

// The entry nearest each colour, by the squared distance of their displayed levels: what the panel shows
// is what is compared.
std::vector<std::uint32_t> nearestEntries(const ReducedColours& colours, std::span<const liq_color> entries, Depth depth) {
    std::vector<std::uint32_t> nearest(colours.counts.size());
    for (std::size_t c = 0; c < nearest.size(); ++c) {
        const liq_color level = levelsOf(colours.parts, c, depth);
        int best = 1 << 30;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            const int dr = level.r - entries[e].r, dg = level.g - entries[e].g, db = level.b - entries[e].b;
            const int distance = dr * dr + dg * dg + db * db;
            if (distance < best) best = distance, nearest[c] = static_cast<std::uint32_t>(e);
        }
    }
    return nearest;
}

// libimagequant chooses the colours among those the panel can show, counted once each; each chosen one
// is moved to the nearest the panel shows, and every pixel takes the nearest of those, so that nothing
// changes between the palette and the panel. Dithered, libimagequant remaps the picture onto exactly
// them instead.
Palette quantised(std::span<const std::int32_t> components, PictureSize size, Depth depth, int colours, Dither dither,
                  const ReducedColours& reduced) {
    LiqPtr<liq_attr> attr(liq_attr_create());
    if (!attr) throw std::runtime_error("the palette could not be made: out of memory");
    check(liq_set_max_colors(attr.get(), colours), "colours");
    // Speed 6 of libimagequant's 1 to 10 (4 by default): on the benchmark's photo at 256 colours, 0.1 dB
    // below the default in four fifths of the time; alike elsewhere. Telling it to ignore the bits the
    // panel drops (posterization) cost 2 dB on artwork at 16 colours.
    check(liq_set_speed(attr.get(), 6), "speed");
    LiqPtr<liq_histogram> counted(liq_histogram_create(attr.get()));
    if (!counted) throw std::runtime_error("the palette could not be made: out of memory");
    std::vector<liq_histogram_entry> histogram(reduced.counts.size());
    for (std::size_t c = 0; c < histogram.size(); ++c) histogram[c] = {levelsOf(reduced.parts, c, depth), reduced.counts[c]};
    check(liq_histogram_add_colors(counted.get(), attr.get(), histogram.data(), static_cast<int>(histogram.size()), 0),
          "counting the colours");
    liq_result* chosen = nullptr;
    check(liq_histogram_quantize(counted.get(), attr.get(), &chosen), "quantising");
    LiqPtr<liq_result> first(chosen);

    // The chosen colours at the depth, each once.
    std::vector<std::int32_t> entryParts;
    std::vector<liq_color> levels;
    const liq_palette* found = liq_get_palette(first.get());
    for (unsigned i = 0; i < found->count; ++i) {
        const liq_color c = found->entries[i];
        const std::int32_t parts[3] = {reduceComponent(c.r, depth, Channel::Red), reduceComponent(c.g, depth, Channel::Green),
                                       reduceComponent(c.b, depth, Channel::Blue)};
        const liq_color level = levelsOf(parts, 0, depth);
        if (std::any_of(levels.begin(), levels.end(), [&](const liq_color& l) { return l.r == level.r && l.g == level.g && l.b == level.b; })) {
            continue;
        }
        levels.push_back(level);
        entryParts.insert(entryParts.end(), parts, parts + 3);
    }

    const std::size_t pixels = pixelCount(size);
    std::vector<std::uint32_t> pixelEntries(pixels);
    if (dither != Dither::ErrorDiffusion) {
        const std::vector<std::uint32_t> nearest = nearestEntries(reduced, levels, depth);
        for (std::size_t i = 0; i < pixels; ++i) pixelEntries[i] = nearest[reduced.ofPixel[i]];
        return inOrderOfUse(entryParts, pixelEntries);
    }

    // Dithered: a histogram of those colours alone, each fixed, gives a result whose palette is exactly
    // them, and libimagequant remaps the picture onto it, carrying each pixel's error to its neighbours.
    std::vector<std::uint8_t> rgba(4 * pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        for (std::size_t ch = 0; ch < 3; ++ch) rgba[4 * i + ch] = static_cast<std::uint8_t>(std::clamp(components[3 * i + ch], 0, 255));
        rgba[4 * i + 3] = 255;
    }
    LiqPtr<liq_image> image(liq_image_create_rgba(attr.get(), rgba.data(), size.width, size.height, 0));
    if (!image) throw std::runtime_error("the palette could not be made: the picture was refused");
    LiqPtr<liq_attr> fixedAttr(liq_attr_create());
    if (!fixedAttr) throw std::runtime_error("the palette could not be made: out of memory");
    check(liq_set_max_colors(fixedAttr.get(), std::max(static_cast<int>(levels.size()), 2)), "colours");
    LiqPtr<liq_histogram> fixed(liq_histogram_create(fixedAttr.get()));
    if (!fixed) throw std::runtime_error("the palette could not be made: out of memory");
    std::vector<liq_histogram_entry> fixedEntries;
    for (const liq_color& level : levels) {
        check(liq_histogram_add_fixed_color(fixed.get(), level, 0), "fixing a colour");
        fixedEntries.push_back({level, 1});
    }
    check(liq_histogram_add_colors(fixed.get(), fixedAttr.get(), fixedEntries.data(), static_cast<int>(fixedEntries.size()), 0),
          "counting the colours");
    liq_result* remapping = nullptr;
    check(liq_histogram_quantize(fixed.get(), fixedAttr.get(), &remapping), "fixing the colours");
    LiqPtr<liq_result> second(remapping);
    check(liq_set_dithering_level(second.get(), 1.0f), "dithering");
    std::vector<std::uint8_t> remapped(pixels);
    check(liq_write_remapped_image(second.get(), image.get(), remapped.data(), remapped.size()), "remapping");

    // The result's entries back to ours: its palette is the fixed levels, perhaps in another order.
    const liq_palette* result = liq_get_palette(second.get());
    std::vector<std::uint32_t> ours(result->count);
    for (unsigned i = 0; i < result->count; ++i) {
        const liq_color c = result->entries[i];
        int best = 1 << 30;
        for (std::size_t e = 0; e < levels.size(); ++e) {
            const int dr = c.r - levels[e].r, dg = c.g - levels[e].g, db = c.b - levels[e].b;
            if (dr * dr + dg * dg + db * db < best) best = dr * dr + dg * dg + db * db, ours[i] = static_cast<std::uint32_t>(e);
        }
    }
    for (std::size_t i = 0; i < pixels; ++i) pixelEntries[i] = ours[remapped[i]];
    return inOrderOfUse(entryParts, pixelEntries);
}

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

std::string_view monoLayoutName(MonoLayout layout) {
    switch (layout) {
    case MonoLayout::RowsLsb: return "rows-lsb";
    case MonoLayout::Pages: return "pages";
    case MonoLayout::Rows: break;
    }
    return "rows";
}

std::optional<MonoLayout> monoLayoutFromName(std::string_view name) {
    for (MonoLayout layout : {MonoLayout::Rows, MonoLayout::RowsLsb, MonoLayout::Pages}) {
        if (monoLayoutName(layout) == name) return layout;
    }
    return std::nullopt;
}

std::string_view compressionName(Compression compression) {
    switch (compression) {
    case Compression::Rle: return "rle";
    case Compression::Lz4: return "lz4";
    case Compression::Auto: return "auto";
    case Compression::None: break;
    }
    return "none";
}

std::optional<Compression> compressionFromName(std::string_view name) {
    for (Compression c : {Compression::None, Compression::Rle, Compression::Lz4, Compression::Auto}) {
        if (compressionName(c) == name) return c;
    }
    return std::nullopt;
}

bool isPaletteSize(int colours) { return colours == 2 || colours == 4 || colours == 16 || colours == 256; }

int Storage::indexBits() const {
    if (mono) return 1;
    switch (paletteSize) {
    case 2: return 1;
    case 4: return 2;
    case 16: return 4;
    case 256: return 8;
    default: return 0;
    }
}

std::vector<std::uint8_t> monoBits(std::span<const std::int32_t> components, PictureSize size, Dither dither) {
    const std::size_t pixels = pixelCount(size);
    if (components.size() != 3 * pixels) throw std::invalid_argument("monoBits: the components do not match the size");
    if (dither == Dither::ErrorDiffusion) return diffusedBits(components, size);
    std::vector<std::uint8_t> bits(pixels);
    const auto width = static_cast<std::size_t>(size.width);
    for (std::size_t i = 0; i < pixels; ++i) {
        const int l = luma(components, i);
        if (dither == Dither::Ordered) {
            // Between black and white, as the colour dithering chooses between two levels: the upper
            // where 128 l > (2m + 1) 255 with m the matrix's value, l the luma in levels.
            const int m = bayerValue(i % width, i / width);
            bits[i] = 128LL * l > static_cast<long long>(2 * m + 1) * kWhiteLuma ? 1 : 0;
        } else {
            bits[i] = l >= kLitLuma ? 1 : 0;
        }
    }
    return bits;
}

std::size_t monoByteCount(PictureSize size, MonoLayout layout) {
    const auto w = static_cast<std::size_t>(size.width), h = static_cast<std::size_t>(size.height);
    return layout == MonoLayout::Pages ? (h + 7) / 8 * w : (w + 7) / 8 * h;
}

namespace {

// Where pixel (x, y)'s bit lies in the layout: its byte and the bit in it.
std::pair<std::size_t, int> monoPlace(std::size_t x, std::size_t y, std::size_t width, MonoLayout layout) {
    switch (layout) {
    case MonoLayout::Pages: return {y / 8 * width + x, static_cast<int>(y % 8)};
    case MonoLayout::RowsLsb: return {y * ((width + 7) / 8) + x / 8, static_cast<int>(x % 8)};
    case MonoLayout::Rows: break;
    }
    return {y * ((width + 7) / 8) + x / 8, 7 - static_cast<int>(x % 8)};
}

} // namespace

std::vector<std::uint8_t> monoBytes(std::span<const std::uint8_t> bits, PictureSize size, MonoLayout layout) {
    std::vector<std::uint8_t> bytes(monoByteCount(size, layout));
    const auto w = static_cast<std::size_t>(size.width);
    for (std::size_t i = 0; i < bits.size(); ++i) {
        if (!bits[i]) continue;
        const auto [at, bit] = monoPlace(i % w, i / w, w, layout);
        bytes[at] = static_cast<std::uint8_t>(bytes[at] | 1u << bit);
    }
    return bytes;
}

std::vector<std::uint8_t> monoBitsFromBytes(std::span<const std::uint8_t> bytes, PictureSize size, MonoLayout layout) {
    if (bytes.size() != monoByteCount(size, layout)) throw std::invalid_argument("monoBitsFromBytes: wrong length");
    const auto w = static_cast<std::size_t>(size.width);
    std::vector<std::uint8_t> bits(pixelCount(size));
    for (std::size_t i = 0; i < bits.size(); ++i) {
        const auto [at, bit] = monoPlace(i % w, i / w, w, layout);
        bits[i] = static_cast<std::uint8_t>(bytes[at] >> bit & 1u);
    }
    return bits;
}

Palette choosePalette(std::span<const std::int32_t> components, PictureSize size, Depth depth, int colours, Dither dither) {
    if (!isPaletteSize(colours)) throw std::invalid_argument("choosePalette: a palette has 2, 4, 16 or 256 colours");
    const std::size_t pixels = pixelCount(size);
    if (components.size() != 3 * pixels) throw std::invalid_argument("choosePalette: the components do not match the size");
    // A picture with no more colours than the palette, once reduced, keeps them exactly.
    const ReducedColours reduced = reducedColours(components, depth);
    if (reduced.counts.size() > static_cast<std::size_t>(colours)) return quantised(components, size, depth, colours, dither, reduced);
    return inOrderOfUse(reduced.parts, reduced.ofPixel);
}

int paletteEntryBytes(Depth depth) {
    const int bits = colorFormat(depth).bitsPerPixel();
    return bits == 12 ? 2 : bits / 8;
}

std::vector<std::uint8_t> paletteBytes(std::span<const std::int32_t> entries, int colours, Depth depth, ByteOrder order) {
    const auto entryBytes = static_cast<std::size_t>(paletteEntryBytes(depth));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(colours) * entryBytes);
    for (std::size_t e = 0; 3 * e + 2 < entries.size() && e < static_cast<std::size_t>(colours); ++e) {
        const std::span<const std::int32_t> parts = entries.subspan(3 * e, 3);
        std::uint8_t* entry = bytes.data() + e * entryBytes;
        if (depth == Depth::Bits12) { // 0000RRRR GGGGBBBB: a pixel of its own, not a packed pair
            entry[0] = static_cast<std::uint8_t>(parts[0]);
            entry[1] = static_cast<std::uint8_t>(parts[1] << 4 | parts[2]);
            continue;
        }
        const std::vector<std::int32_t> packed = packParts(parts, depth, order);
        for (std::size_t b = 0; b < entryBytes; ++b) entry[b] = static_cast<std::uint8_t>(packed[b]);
    }
    return bytes;
}

std::size_t indexByteCount(PictureSize size, int bits) {
    return (static_cast<std::size_t>(size.width) * static_cast<std::size_t>(bits) + 7) / 8 * static_cast<std::size_t>(size.height);
}

std::vector<std::uint8_t> packIndices(std::span<const std::uint8_t> indices, PictureSize size, int bits) {
    std::vector<std::uint8_t> bytes(indexByteCount(size, bits));
    const auto w = static_cast<std::size_t>(size.width), b = static_cast<std::size_t>(bits);
    const std::size_t stride = (w * b + 7) / 8;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const std::size_t bit = i % w * b, at = i / w * stride + bit / 8;
        bytes[at] = static_cast<std::uint8_t>(bytes[at] | indices[i] << (8 - b - bit % 8));
    }
    return bytes;
}

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
