#include "codegen/storage.h"

#include "codegen/display.h"

#include "codegen/quantiser.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

namespace quorvane::codegen {
namespace {

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
    void operator()(liq_attr* p) const { quantiser().liq_attr_destroy(p); }
    void operator()(liq_image* p) const { quantiser().liq_image_destroy(p); }
    void operator()(liq_result* p) const { quantiser().liq_result_destroy(p); }
    void operator()(liq_histogram* p) const { quantiser().liq_histogram_destroy(p); }
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

// The entry nearest a colour, by the squared distance of their levels: what the panel shows is what is
// compared.
std::uint32_t nearestEntry(const liq_color& colour, std::span<const liq_color> entries) {
    std::uint32_t nearest = 0;
    int best = 1 << 30;
    for (std::size_t e = 0; e < entries.size(); ++e) {
        const int dr = colour.r - entries[e].r, dg = colour.g - entries[e].g, db = colour.b - entries[e].b;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < best) best = distance, nearest = static_cast<std::uint32_t>(e);
    }
    return nearest;
}

LiqPtr<liq_attr> paletteAttr(int colours) {
    LiqPtr<liq_attr> attr(quantiser().liq_attr_create());
    if (!attr) throw std::runtime_error("the palette could not be made: out of memory");
    check(quantiser().liq_set_max_colors(attr.get(), colours), "colours");
    // Speed 3 of libimagequant's 1 to 10 (4 by default): on the benchmark's photo at 256 colours, within
    // 0.5 dB of pngquant --nofs where speed 6 was 0.6 below, and still faster than pngquant as a whole
    // process. Telling it to ignore the bits the panel drops (posterization) cost 2 dB on artwork at 16
    // colours.
    check(quantiser().liq_set_speed(attr.get(), 3), "speed");
    return attr;
}

// Each chosen colour moved to the nearest the panel shows, each once: their parts, three each.
std::vector<std::int32_t> panelEntries(const liq_result* chosen, Depth depth) {
    std::vector<std::int32_t> entryParts;
    std::vector<liq_color> levels;
    // liq_get_palette takes its result as changeable, but only reads it.
    const liq_palette* found = quantiser().liq_get_palette(const_cast<liq_result*>(chosen));
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
    return entryParts;
}

// libimagequant chooses the colours among those the panel can show, counted once each; each chosen one
// is moved to the nearest the panel shows. Returns their parts, three each.
std::vector<std::int32_t> quantisedEntries(std::span<const std::int32_t> colourParts, std::span<const std::uint32_t> counts,
                                           Depth depth, int colours) {
    const LiqPtr<liq_attr> attr = paletteAttr(colours);
    LiqPtr<liq_histogram> counted(quantiser().liq_histogram_create(attr.get()));
    if (!counted) throw std::runtime_error("the palette could not be made: out of memory");
    std::vector<liq_histogram_entry> histogram(counts.size());
    for (std::size_t c = 0; c < histogram.size(); ++c) histogram[c] = {levelsOf(colourParts, c, depth), counts[c]};
    check(quantiser().liq_histogram_add_colors(counted.get(), attr.get(), histogram.data(), static_cast<int>(histogram.size()), 0),
          "counting the colours");
    liq_result* chosen = nullptr;
    check(quantiser().liq_histogram_quantize(counted.get(), attr.get(), &chosen), "quantising");
    LiqPtr<liq_result> first(chosen);
    return panelEntries(first.get(), depth);
}

// The same for one picture: given the picture itself (its colours as the panel shows them, pixel by
// pixel), libimagequant also weighs where in it each colour stands, as it does for pngquant.
std::vector<std::int32_t> quantisedPictureEntries(std::span<const std::int32_t> reducedParts, PictureSize size, Depth depth, int colours) {
    const LiqPtr<liq_attr> attr = paletteAttr(colours);
    const std::size_t pixels = size.pixels();
    std::vector<liq_color> levels(pixels);
    for (std::size_t i = 0; i < pixels; ++i) levels[i] = levelsOf(reducedParts, i, depth);
    LiqPtr<liq_image> image(quantiser().liq_image_create_rgba(attr.get(), levels.data(), size.width, size.height, 0));
    if (!image) throw std::runtime_error("the palette could not be made: the picture was refused");
    liq_result* chosen = nullptr;
    check(quantiser().liq_image_quantize(image.get(), attr.get(), &chosen), "quantising");
    LiqPtr<liq_result> first(chosen);
    return panelEntries(first.get(), depth);
}


std::vector<liq_color> entryLevels(std::span<const std::int32_t> entryParts, Depth depth) {
    std::vector<liq_color> levels(entryParts.size() / 3);
    for (std::size_t e = 0; e < levels.size(); ++e) levels[e] = levelsOf(entryParts, e, depth);
    return levels;
}

// Dithered: a histogram of the entries alone, each fixed, gives a result whose palette is exactly them,
// and libimagequant remaps the picture onto it, carrying each pixel's error to its neighbours. Returns
// each pixel's entry.
std::vector<std::uint32_t> remappedDithered(std::span<const std::int32_t> components, PictureSize size, int colours,
                                            std::span<const liq_color> levels) {
    const std::size_t pixels = size.pixels();
    const LiqPtr<liq_attr> attr = paletteAttr(colours);
    std::vector<std::uint8_t> rgba(4 * pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        for (std::size_t ch = 0; ch < 3; ++ch) rgba[4 * i + ch] = static_cast<std::uint8_t>(std::clamp(components[3 * i + ch], 0, 255));
        rgba[4 * i + 3] = 255;
    }
    LiqPtr<liq_image> image(quantiser().liq_image_create_rgba(attr.get(), rgba.data(), size.width, size.height, 0));
    if (!image) throw std::runtime_error("the palette could not be made: the picture was refused");
    LiqPtr<liq_attr> fixedAttr(quantiser().liq_attr_create());
    if (!fixedAttr) throw std::runtime_error("the palette could not be made: out of memory");
    check(quantiser().liq_set_max_colors(fixedAttr.get(), std::max(static_cast<int>(levels.size()), 2)), "colours");
    LiqPtr<liq_histogram> fixed(quantiser().liq_histogram_create(fixedAttr.get()));
    if (!fixed) throw std::runtime_error("the palette could not be made: out of memory");
    std::vector<liq_histogram_entry> fixedEntries;
    for (const liq_color& level : levels) {
        check(quantiser().liq_histogram_add_fixed_color(fixed.get(), level, 0), "fixing a colour");
        fixedEntries.push_back({level, 1});
    }
    check(quantiser().liq_histogram_add_colors(fixed.get(), fixedAttr.get(), fixedEntries.data(), static_cast<int>(fixedEntries.size()), 0),
          "counting the colours");
    liq_result* remapping = nullptr;
    check(quantiser().liq_histogram_quantize(fixed.get(), fixedAttr.get(), &remapping), "fixing the colours");
    LiqPtr<liq_result> second(remapping);
    check(quantiser().liq_set_dithering_level(second.get(), 1.0f), "dithering");
    std::vector<std::uint8_t> remapped(pixels);
    check(quantiser().liq_write_remapped_image(second.get(), image.get(), remapped.data(), remapped.size()), "remapping");

    // The result's entries back to ours: its palette is the fixed levels, perhaps in another order.
    const liq_palette* result = quantiser().liq_get_palette(second.get());
    std::vector<std::uint32_t> ours(result->count);
    for (unsigned i = 0; i < result->count; ++i) ours[i] = nearestEntry(result->entries[i], levels);
    std::vector<std::uint32_t> pixelEntries(pixels);
    for (std::size_t i = 0; i < pixels; ++i) pixelEntries[i] = ours[remapped[i]];
    return pixelEntries;
}

// Each pixel takes the nearest entry, so that nothing changes between the palette and the panel; or,
// dithered, libimagequant's remapping onto exactly the entries.
Palette quantised(std::span<const std::int32_t> components, PictureSize size, Depth depth, int colours, Dither dither,
                  const ReducedColours& reduced) {
    const std::vector<std::int32_t> entryParts = quantisedPictureEntries(reduceComponents(components, depth), size, depth, colours);
    const std::vector<liq_color> levels = entryLevels(entryParts, depth);
    if (dither == Dither::ErrorDiffusion) return inOrderOfUse(entryParts, remappedDithered(components, size, colours, levels));
    // Each colour's nearest entry once, then each pixel's.
    std::vector<std::uint32_t> nearest(reduced.counts.size());
    for (std::size_t c = 0; c < nearest.size(); ++c) nearest[c] = nearestEntry(levelsOf(reduced.parts, c, depth), levels);
    std::vector<std::uint32_t> pixelEntries(size.pixels());
    for (std::size_t i = 0; i < pixelEntries.size(); ++i) pixelEntries[i] = nearest[reduced.ofPixel[i]];
    return inOrderOfUse(entryParts, pixelEntries);
}

} // namespace

Palette choosePalette(std::span<const std::int32_t> components, PictureSize size, Depth depth, int colours, Dither dither) {
    if (!isPaletteSize(colours)) throw std::invalid_argument("choosePalette: a palette has 2, 4, 16 or 256 colours");
    const std::size_t pixels = size.pixels();
    if (components.size() != 3 * pixels) throw std::invalid_argument("choosePalette: the components do not match the size");
    // A picture with no more colours than the palette, once reduced, keeps them exactly.
    const ReducedColours reduced = reducedColours(components, depth);
    if (reduced.counts.size() > static_cast<std::size_t>(colours)) return quantised(components, size, depth, colours, dither, reduced);
    return inOrderOfUse(reduced.parts, reduced.ofPixel);
}

void ColourCount::add(std::span<const std::int32_t> components) {
    const std::vector<std::int32_t> parts = reduceComponents(components, depth_);
    for (std::size_t i = 0; 3 * i < parts.size(); ++i) {
        const auto [it, added] = index_.try_emplace(colourKey(parts, i), static_cast<std::uint32_t>(counts_.size()));
        if (added) {
            parts_.insert(parts_.end(), parts.begin() + static_cast<std::ptrdiff_t>(3 * i), parts.begin() + static_cast<std::ptrdiff_t>(3 * i + 3));
            counts_.push_back(0);
        }
        ++counts_[it->second];
    }
}

void ColourCount::add(const ColourCount& other) {
    for (std::size_t c = 0; c < other.counts_.size(); ++c) {
        const auto [it, added] = index_.try_emplace(colourKey(other.parts_, c), static_cast<std::uint32_t>(counts_.size()));
        if (added) {
            parts_.insert(parts_.end(), other.parts_.begin() + static_cast<std::ptrdiff_t>(3 * c),
                          other.parts_.begin() + static_cast<std::ptrdiff_t>(3 * c + 3));
            counts_.push_back(0);
        }
        counts_[it->second] += other.counts_[c];
    }
}

std::vector<std::int32_t> chooseEntries(const ColourCount& count, int colours) {
    if (!isPaletteSize(colours)) throw std::invalid_argument("chooseEntries: a palette has 2, 4, 16 or 256 colours");
    if (count.size() <= static_cast<std::size_t>(colours)) return {count.parts().begin(), count.parts().end()};
    return quantisedEntries(count.parts(), count.counts(), count.depth(), colours);
}

std::vector<std::uint8_t> mapToEntries(std::span<const std::int32_t> components, PictureSize size, Depth depth,
                                       std::span<const std::int32_t> entries, Dither dither) {
    const std::vector<liq_color> levels = entryLevels(entries, depth);
    std::vector<std::uint8_t> indices(size.pixels());
    if (dither == Dither::ErrorDiffusion && levels.size() > 1) {
        const auto remapped = remappedDithered(components, size, static_cast<int>(std::max<std::size_t>(levels.size(), 2)), levels);
        for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(remapped[i]);
        return indices;
    }
    const std::vector<std::int32_t> parts = reduceComponents(components, depth);
    std::unordered_map<std::uint32_t, std::uint8_t> nearest;
    for (std::size_t i = 0; i < indices.size(); ++i) {
        const auto [it, added] = nearest.try_emplace(colourKey(parts, i), std::uint8_t{0});
        if (added) it->second = static_cast<std::uint8_t>(nearestEntry(levelsOf(parts, i, depth), levels));
        indices[i] = it->second;
    }
    return indices;
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

} // namespace quorvane::codegen
