#include "packs/build.h"

#include "packs/changes.h"
#include "packs/sources.h"

#include <tbb/parallel_for.h>
#include <tbb/task_arena.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>

namespace quorvane::packs {
namespace {

using Size = codegen::PictureSize;

template <typename F> void inParallel(std::size_t n, F&& f) {
    tbb::parallel_for(std::size_t{0}, n, [&](std::size_t i) { f(i); });
}

// The fewest of 2, 4, 16 or 256 entries that hold the colours chosen.
int paletteSizeFor(std::span<const std::int32_t> entries) {
    const std::size_t colours = entries.size() / 3;
    for (const int size : {2, 4, 16}) {
        if (colours <= static_cast<std::size_t>(size)) return size;
    }
    return 256;
}

// The palette sizes an asset is stored at and the smaller kept: an asset of few colours takes fewer
// bits a pixel at the fewest entries that hold them, but runs of whole bytes may compress better at
// the most it was allowed.
std::vector<int> paletteCandidates(std::span<const std::int32_t> entries, int allowed) {
    if (allowed == 0) return {0};
    const int fewest = paletteSizeFor(entries);
    if (fewest >= allowed) return {allowed};
    return {fewest, allowed};
}

std::size_t frameBytes(const Frame& frame) {
    std::size_t bytes = 0;
    for (const Part& part : frame.parts) bytes += part.data.size() + kPartBytes;
    return bytes;
}

std::size_t storedBytes(const Asset& asset) {
    std::size_t bytes = 0;
    for (const Frame& frame : asset.frames) bytes += frameBytes(frame);
    return bytes;
}

// One asset's frames: batches of frames read in order, then reduced, compared and encoded in parallel.
// The frame is found to change where the panel would show a change, so the rectangles are the same at
// every palette size: each is encoded at every candidate, one asset a candidate.
std::variant<std::vector<Asset>, BuildError> convertAsset(const AssetSource& source, const BuildOptions& options,
                                                          std::span<const std::int32_t> entries, std::span<const int> paletteSizes) {
    const FrameStyle& style = options.style;
    std::vector<FrameStyle> styles;
    for (const int size : paletteSizes) {
        styles.push_back(style);
        styles.back().storage.paletteSize = size;
    }
    const bool whole = source.kind == AssetSource::Kind::Sheet; // tiles are drawn in any order
    const SendCost cost{panelBytesPerPixel(style.depth, style.storage), 12,
                        style.storage.mono && style.storage.monoLayout == codegen::MonoLayout::Pages ? 8 : 1, 8};
    SendCost runs = cost, one = cost;
    runs.start = SendCost::Start::Runs;
    one.maxRects = 1;
    std::vector<Asset> assets(styles.size());
    PanelFrame previous;
    struct Pending {
        std::vector<std::int32_t> received;
        int delayMs;
    };
    std::vector<Pending> batch;
    Size received{};
    const std::size_t batchSize = 2 * static_cast<std::size_t>(std::max(1, tbb::this_task_arena::max_concurrency()));
    const auto flush = [&] {
        std::vector<PanelFrame> reduced(batch.size());
        inParallel(batch.size(), [&](std::size_t i) { reduced[i] = panelFrame(batch[i].received, received, style, entries); });
        std::vector<std::vector<Frame>> frames(styles.size(), std::vector<Frame>(batch.size()));
        inParallel(batch.size(), [&](std::size_t i) {
            const PanelFrame* before = i > 0 ? &reduced[i - 1] : previous.values.empty() ? nullptr : &previous;
            // Three ways to cover the changes: a staircase of rows, bands of rows changed one after the
            // other, and one rectangle around them all. The first two split only where that sends the
            // panel fewer bytes; of the three, the one that takes the fewest bytes of flash is kept.
            std::vector<std::vector<Rect>> ways = {{{0, 0, received.width, received.height}}};
            if (before && !whole) {
                ways.clear();
                for (const SendCost* way : std::initializer_list<const SendCost*>{&cost, &runs, &one}) {
                    auto rects = changedRects(before->values, reduced[i].values, received.width, received.height, *way);
                    // The same rectangles another way found are not encoded twice.
                    if (std::find(ways.begin(), ways.end(), rects) == ways.end()) ways.push_back(std::move(rects));
                }
            }
            for (std::size_t s = 0; s < styles.size(); ++s) {
                std::optional<Frame> best;
                for (const auto& rects : ways) {
                    Frame frame{batch[i].delayMs, {}};
                    for (const Rect& r : rects) frame.parts.push_back({r, partData(reduced[i], r, styles[s])});
                    if (!best || frameBytes(frame) < frameBytes(*best)) best = std::move(frame);
                    if (rects.empty()) break;
                }
                frames[s][i] = std::move(*best);
            }
        });
        if (!reduced.empty()) previous = std::move(reduced.back());
        for (std::size_t s = 0; s < styles.size(); ++s) {
            for (Frame& f : frames[s]) assets[s].frames.push_back(std::move(f));
        }
        batch.clear();
    };
    const FrameCallback take = [&](const capture::Picture& picture, int delayMs) -> std::optional<BuildError> {
        if (batch.empty() && assets[0].frames.empty()) received = codegen::panelSize({picture.width, picture.height}, style.panel);
        batch.push_back({panelComponents(picture, style), delayMs});
        if (batch.size() >= batchSize) flush();
        return std::nullopt;
    };
    auto loops = readSource(source, options, take);
    if (auto* error = std::get_if<BuildError>(&loops)) return *error;
    flush();
    for (Asset& asset : assets) {
        asset.name = source.name;
        asset.width = received.width;
        asset.height = received.height;
        asset.loops = std::get<int>(loops);
    }
    return assets;
}

// The colours of every frame of a source, for its palette.
std::variant<codegen::ColourCount, BuildError> countColours(const AssetSource& source, const BuildOptions& options) {
    codegen::ColourCount count(options.style.depth);
    auto read = readSource(source, options, [&](const capture::Picture& picture, int) -> std::optional<BuildError> {
        // The colours as the panel receives them: inverted or swapped, they are other colours.
        count.add(panelComponents(picture, options.style));
        return std::nullopt;
    });
    if (auto* error = std::get_if<BuildError>(&read)) return *error;
    return count;
}

// Runs f(i) for every source in parallel; the first error in the sources' order, if any.
template <typename F> std::optional<BuildError> forEachSource(std::size_t n, const BuildOptions& options, F&& f) {
    std::vector<std::optional<BuildError>> errors(n);
    std::atomic<bool> failed{false};
    std::mutex progressLock;
    std::size_t done = 0;
    inParallel(n, [&](std::size_t i) {
        if (failed || (options.cancel && *options.cancel)) return;
        errors[i] = f(i);
        if (errors[i]) failed = true;
        if (options.progress) {
            const std::lock_guard lock(progressLock);
            options.progress(++done, n);
        }
    });
    if (options.cancel && *options.cancel) return BuildError{"cancelled", false, true};
    for (auto& error : errors) {
        if (error) return error;
    }
    return std::nullopt;
}

} // namespace

std::variant<Pack, BuildError> buildPack(const std::vector<AssetSource>& sources, const BuildOptions& options) {
    const int jobs = options.jobs > 0 ? options.jobs : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    tbb::task_arena arena(jobs);
    std::variant<Pack, BuildError> result;
    arena.execute([&] {
        Pack pack;
        pack.depth = options.style.depth;
        pack.byteOrder = options.style.byteOrder;
        pack.storage = options.style.storage;
        const int colours = options.style.storage.paletteSize;
        std::vector<std::vector<std::int32_t>> entries(sources.size());
        if (colours > 0) {
            // The palettes first: chosen over every frame of an asset, or of every asset.
            std::vector<std::optional<codegen::ColourCount>> counts(sources.size());
            const BuildOptions quiet = [&] {
                BuildOptions o = options;
                o.progress = nullptr;
                return o;
            }();
            if (auto error = forEachSource(sources.size(), quiet, [&](std::size_t i) -> std::optional<BuildError> {
                    auto counted = countColours(sources[i], options);
                    if (auto* e = std::get_if<BuildError>(&counted)) return *e;
                    counts[i].emplace(std::get<codegen::ColourCount>(std::move(counted)));
                    return std::nullopt;
                })) {
                result = *error;
                return;
            }
            if (options.sharedPalette) {
                codegen::ColourCount all(options.style.depth);
                for (const auto& count : counts) all.add(*count);
                const std::vector<std::int32_t> shared = codegen::chooseEntries(all, colours);
                for (auto& e : entries) e = shared;
            } else {
                inParallel(sources.size(), [&](std::size_t i) { entries[i] = codegen::chooseEntries(*counts[i], colours); });
            }
        }
        // A shared palette has one size for every asset: the candidates of its entries, for all.
        std::vector<std::vector<int>> candidates(sources.size());
        for (std::size_t i = 0; i < sources.size(); ++i) candidates[i] = paletteCandidates(entries[i], colours);
        std::vector<std::vector<Asset>> converted(sources.size());
        if (auto error = forEachSource(sources.size(), options, [&](std::size_t i) -> std::optional<BuildError> {
                auto assets = convertAsset(sources[i], options, entries[i], candidates[i]);
                if (auto* e = std::get_if<BuildError>(&assets)) return *e;
                converted[i] = std::get<std::vector<Asset>>(std::move(assets));
                return std::nullopt;
            })) {
            result = *error;
            return;
        }
        // Each asset at its smaller size; with a shared palette, the size whose assets are smaller in all.
        std::vector<std::size_t> chosen(sources.size(), 0);
        if (options.sharedPalette && !sources.empty()) {
            std::vector<std::size_t> totals(candidates[0].size(), 0);
            for (const auto& assets : converted) {
                for (std::size_t c = 0; c < assets.size(); ++c) totals[c] += storedBytes(assets[c]);
            }
            const auto best = static_cast<std::size_t>(std::min_element(totals.begin(), totals.end()) - totals.begin());
            chosen.assign(sources.size(), best);
            pack.palettes.push_back(codegen::paletteBytes(entries[0], candidates[0][best], options.style.depth, options.style.byteOrder));
        } else {
            for (std::size_t i = 0; i < sources.size(); ++i) {
                const auto& assets = converted[i];
                for (std::size_t c = 1; c < assets.size(); ++c) {
                    if (storedBytes(assets[c]) < storedBytes(assets[chosen[i]])) chosen[i] = c;
                }
                if (colours > 0) {
                    pack.palettes.push_back(codegen::paletteBytes(entries[i], candidates[i][chosen[i]], options.style.depth, options.style.byteOrder));
                }
            }
        }
        for (std::size_t i = 0; i < sources.size(); ++i) {
            Asset& asset = converted[i][chosen[i]];
            if (colours > 0) asset.palette = options.sharedPalette ? 0 : static_cast<int>(i);
            pack.assets.push_back(std::move(asset));
        }
        result = std::move(pack);
    });
    return result;
}

} // namespace quorvane::packs
