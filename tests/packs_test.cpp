// Packs: the rectangles of change, the index's layout, asset names, and whole packs played back by the
// shipped decoder against the plain conversion of every frame.
#include "capture/capture.h"
#include "codegen/decoderimage.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "packs/build.h"
#include "packs/changes.h"
#include "packs/inputs.h"
#include "packs/pack.h"
#include "packs/playback.h"
#include "support/bmpwriter.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>

#include <random>

using namespace quorvane;
using packs::Rect;

namespace {

// Every changed pixel in exactly one rectangle, none outside the picture, at most `most`, whole pages.
void expectCovers(const std::vector<std::uint32_t>& before, const std::vector<std::uint32_t>& after, int w, int h,
                  const std::vector<Rect>& rects, const packs::SendCost& cost, const std::string& what) {
    std::vector<int> covered(before.size(), 0);
    EXPECT_LE(rects.size(), static_cast<std::size_t>(cost.maxRects)) << what;
    for (const Rect& r : rects) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.w > 0 && r.h > 0 && r.x + r.w <= w && r.y + r.h <= h) << what;
        EXPECT_EQ(r.y % cost.rowAlign, 0) << what;
        EXPECT_TRUE((r.y + r.h) % cost.rowAlign == 0 || r.y + r.h == h) << what;
        for (int y = r.y; y < r.y + r.h; ++y) {
            for (int x = r.x; x < r.x + r.w; ++x) ++covered[static_cast<std::size_t>(y * w + x)];
        }
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_LE(covered[i], 1) << what << ": rectangles overlap at " << i;
        if (before[i] != after[i]) {
            EXPECT_EQ(covered[i], 1) << what << ": pixel " << i << " changed outside every rectangle";
        }
    }
}

} // namespace

TEST(ChangedRects, EdgeCases) {
    const int w = 13, h = 19;
    const std::vector<std::uint32_t> still(w * h, 5);
    const auto with = [&](std::initializer_list<int> pixels) {
        auto v = still;
        for (int p : pixels) v[static_cast<std::size_t>(p)] = 6;
        return v;
    };
    const packs::SendCost rows{2, 12, 1, 8}, pages{0.125, 12, 8, 8};
    const struct {
        const char* what;
        std::vector<std::uint32_t> after;
        packs::SendCost cost;
        std::vector<Rect> expected;
    } cases[] = {
        {"identical", still, rows, {}},
        {"full change", std::vector<std::uint32_t>(w * h, 1), rows, {{0, 0, w, h}}},
        {"a corner pixel", with({w * h - 1}), rows, {{w - 1, h - 1, 1, 1}}},
        {"two far apart rows stay apart", with({0, 18 * w + 12}), rows, {{0, 0, 1, 1}, {12, 18, 1, 1}}},
        {"near rows merge", with({w + 3, 2 * w + 5}), rows, {{3, 1, 3, 2}}},
        {"pages: a pixel in the last, short page", with({17 * w + 2}), pages, {{2, 16, 1, 3}}},
        {"pages: a pixel in the first", with({3 * w + 4}), pages, {{4, 0, 1, 8}}},
    };
    for (const auto& c : cases) {
        const auto rects = packs::changedRects(still, c.after, w, h, c.cost);
        EXPECT_EQ(rects, c.expected) << c.what;
        expectCovers(still, c.after, w, h, rects, c.cost, c.what);
    }
}

// Seeded random frame sequences: scattered changes, runs, whole rows; rows and pages.
TEST(ChangedRects, RandomSequencesAreCoveredExactly) {
    std::mt19937 random(1234);
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + static_cast<int>(random() % 40), h = 1 + static_cast<int>(random() % 40);
        const packs::SendCost cost{round % 3 ? 2.0 : 0.125, 12, round % 3 ? 1 : 8, 1 + static_cast<int>(random() % 8)};
        std::vector<std::uint32_t> before(static_cast<std::size_t>(w * h));
        for (auto& v : before) v = static_cast<std::uint32_t>(random() % 3);
        auto after = before;
        const int changes = static_cast<int>(random() % 30);
        for (int c = 0; c < changes; ++c) after[random() % after.size()] = 7;
        expectCovers(before, after, w, h, packs::changedRects(before, after, w, h, cost), cost, "round " + std::to_string(round));
    }
}

TEST(PackIndex, FieldsStandWhereTheLayoutSays) {
    packs::Pack pack;
    pack.depth = codegen::Depth::Bits16;
    pack.byteOrder = codegen::ByteOrder::Little;
    pack.storage.paletteSize = 2;
    pack.palettes = {{0x1F, 0x00, 0xE0, 0x07}}; // two entries, two bytes each
    pack.assets = {{"eye", 3, 2, 0, 0, {{70, {{{0, 0, 3, 2}, {0, 1, 2, 3}}}}, {250, {}}}},
                   {"b", 1, 1, 5, -1, {{0, {{{0, 0, 1, 1}, {9}}}}}}};
    const auto bytes = packs::packBytes(pack);
    const auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8); };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    ASSERT_GE(bytes.size(), 20u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QVPK");
    const std::size_t frames = 20 + 2 * 16, parts = frames + 3 * 8, palettes = parts + 2 * 16, names = palettes + 4;
    const std::uint32_t palette = u32(palettes), data0 = u32(parts + 8);
    const struct {
        const char* field;
        std::uint32_t value, expected;
    } fields[] = {
        {"version", bytes[4], 1}, {"format", bytes[5], 16}, {"flags: low byte first", bytes[6], 1},
        {"assets", u16(8), 2}, {"frames", u16(10), 3}, {"parts", u16(12), 2}, {"palettes", u16(14), 1},
        {"length", u32(16), static_cast<std::uint32_t>(bytes.size())},
        {"asset 0 name", u32(20), static_cast<std::uint32_t>(names)}, {"asset 0 width", u16(24), 3}, {"asset 0 height", u16(26), 2},
        {"asset 0 first frame", u16(28), 0}, {"asset 0 frames", u16(30), 2}, {"asset 0 palette", u16(32), 0}, {"asset 0 loops", u16(34), 0},
        {"asset 1 first frame", u16(36 + 8), 2}, {"asset 1 frames", u16(36 + 10), 1}, {"asset 1 palette", u16(36 + 12), 0xFFFF},
        {"asset 1 loops", u16(36 + 14), 5},
        {"frame 0 delay", u16(frames), 70}, {"frame 0 first part", u16(frames + 2), 0}, {"frame 0 parts", u16(frames + 4), 1},
        {"frame 1 delay", u16(frames + 8), 250}, {"frame 1 parts", u16(frames + 12), 0},
        {"frame 2 first part", u16(frames + 18), 1}, {"frame 2 parts", u16(frames + 20), 1},
        {"part 0 w", u16(parts + 4), 3}, {"part 0 h", u16(parts + 6), 2}, {"part 0 length", u32(parts + 12), 4},
        {"part 0 data", u32(data0), 0x03020100}, {"part 1 data", bytes[u32(parts + 16 + 8)], 9},
        {"palette entries", u16(palette), 2}, {"palette entry 1", u16(palette + 4), 0x07E0},
        {"name", u32(names), 'e' | 'y' << 8 | 'e' << 16},
    };
    for (const auto& f : fields) EXPECT_EQ(f.value, f.expected) << f.field;
    EXPECT_TRUE(packs::playPack(bytes)) << "the decoder opens what the layout describes";

    pack.assets[0].frames[0].delayMs = 70000;
    EXPECT_THROW(packs::packBytes(pack), packs::PackTooLarge) << "a delay the index cannot hold is refused, never wrapped";
}

TEST(PackInputs, NamesAndOrder) {
    EXPECT_EQ(packs::assetNames({"eye", "Eye", "1up", "my-icon.v2", "count", "eye", "eye_width", "int"}),
              (std::vector<std::string>{"eye", "Eye_2", "_1up", "my_icon_v2", "count_2", "eye_3", "eye_width_2", "_int"}));
    const struct {
        const char *a, *b;
        bool less;
    } order[] = {{"icon2", "icon10", true}, {"icon10", "icon2", false}, {"icon02", "icon2", false}, {"icon2", "icon02", true},
                 {"a", "b", true},          {"a9z", "a10a", true},      {"frame", "frame1", true},  {"x", "x", false}};
    for (const auto& c : order) EXPECT_EQ(packs::naturalLess(c.a, c.b), c.less) << c.a << " < " << c.b;
}

namespace {

// Frames of w x h, each a background with a few moving blocks in up to `colours` colours, as BMP files.
std::vector<std::string> writeFrames(const std::filesystem::path& dir, int w, int h, int frames, unsigned seed) {
    std::mt19937 random(seed);
    const std::uint32_t colours[] = {0x203040, 0xF0F0F0, 0x0000FF, 0x00C000};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w * h), colours[0]);
    std::vector<std::string> files;
    for (int f = 0; f < frames; ++f) {
        const int x0 = static_cast<int>(random() % static_cast<unsigned>(w)), y0 = static_cast<int>(random() % static_cast<unsigned>(h));
        for (int y = y0; y < std::min(h, y0 + 3); ++y) {
            for (int x = x0; x < std::min(w, x0 + 4); ++x) pixels[static_cast<std::size_t>(y * w + x)] = colours[1 + f % 3];
        }
        if (f % 4 == 3) pixels.assign(pixels.size(), colours[f % 4]); // now and then, everything changes
        if (f % 5 == 4) {} // and now and then nothing does: the frame before is written again
        files.push_back((dir / ("f" + std::to_string(f) + ".bmp")).string());
        bmptest::writeFile(files.back(), bmptest::bmp24(w, h, pixels));
    }
    return files;
}

// What each frame would show converted on its own, as a still.
std::vector<std::uint8_t> shownAsStill(const std::string& file, const packs::FrameStyle& style) {
    const auto picture = std::get<capture::Picture>(capture::loadPicture(file));
    std::vector<std::int32_t> components(3 * picture.pixels.size());
    capture::captureComponents(picture, components);
    codegen::CodeOptions options{.depth = style.depth, .panel = style.panel, .byteOrder = style.byteOrder};
    options.storage.mono = style.storage.mono;
    options.storage.monoLayout = style.storage.monoLayout;
    options.sizeHeader = codegen::SizeHeader::Bytes16;
    const auto code = codegen::makeImageCode(components, {picture.width, picture.height}, options);
    return codegen::displayedPicture(code.rawFile, options.rawLayout(), style.panel)->rgb;
}

} // namespace

// Whole packs played back by the decoder, frame after frame, against every frame converted on its own.
// The frames have at most four colours, so a palette keeps them exactly.
TEST(PackRoundTrip, PlayedFramesAreTheStillConversions) {
    tempdir::TempDir temp("packs");
    using codegen::Compression;
    using codegen::Depth;
    const struct {
        Depth depth;
        codegen::ByteOrder order;
        codegen::Storage storage;
        codegen::PanelOptions panel;
    } cases[] = {
        {Depth::Bits8, {}, {0, false, {}, Compression::None}, {}},
        {Depth::Bits12, {}, {0, false, {}, Compression::Rle}, {}},
        {Depth::Bits16, codegen::ByteOrder::Little, {0, false, {}, Compression::Lz4}, {.rotation = 90}},
        {Depth::Bits18, {}, {0, false, {}, Compression::Auto}, {.invert = true, .mirror = codegen::Mirror::TopBottom}},
        {Depth::Bits24, {}, {16, false, {}, Compression::Rle}, {}},
        {Depth::Bits12, {}, {4, false, {}, Compression::Lz4}, {.bgr = true}},
        {Depth::Bits16, {}, {256, false, {}, Compression::Auto}, {}},
        {Depth::Bits16, {}, {0, true, codegen::MonoLayout::Rows, Compression::Rle}, {}},
        {Depth::Bits16, {}, {0, true, codegen::MonoLayout::RowsLsb, Compression::None}, {.rotation = 270}},
        {Depth::Bits16, {}, {0, true, codegen::MonoLayout::Pages, Compression::Auto}, {}},
    };
    const auto files = writeFrames(temp.path(), 13, 19, 12, 99);
    std::vector<std::vector<std::uint8_t>> stills;
    for (const auto& c : cases) {
        const packs::FrameStyle style{c.depth, c.order, c.storage, codegen::Dither::None, c.panel};
        const std::string what = std::string(codegen::depthName(c.depth)) + " palette " + std::to_string(c.storage.paletteSize) +
                                 (c.storage.mono ? " mono " + std::string(codegen::monoLayoutName(c.storage.monoLayout)) : "") +
                                 " " + std::string(codegen::compressionName(c.storage.compression));
        packs::BuildOptions options{.style = style, .panel = {64, 64}, .jobs = 2};
        const auto built = packs::buildPack({{packs::AssetSource::Kind::Frames, temp.path(), files, 40, 0, 0, "clip"}}, options);
        ASSERT_TRUE(std::holds_alternative<packs::Pack>(built)) << what << ": " << std::get<packs::BuildError>(built).message;
        const auto bytes = packs::packBytes(std::get<packs::Pack>(built));
        for (const std::size_t step : {std::size_t{1}, std::size_t{4096}}) {
            const auto played = packs::playPack(bytes, step);
            ASSERT_TRUE(played && played->size() == 1) << what;
            const auto shown = packs::shownFrames((*played)[0], style);
            ASSERT_TRUE(shown && shown->size() == files.size()) << what;
            for (std::size_t f = 0; f < files.size(); ++f) {
                EXPECT_EQ((*shown)[f].rgb, shownAsStill(files[f], style)) << what << ", frame " << f << ", step " << step;
                EXPECT_EQ((*played)[0].frames[f].delayMs, 40);
            }
        }
        // Only the first frame and the whole changes are sent whole.
        std::size_t whole = 0;
        const auto played = packs::playPack(bytes);
        for (const auto& frame : (*played)[0].frames) {
            for (const auto& part : frame.parts) whole += part.rect.pixels() == 13u * 19u;
        }
        EXPECT_LE(whole, 4u) << what;
    }
}

// The same bytes at 1, 2 and 8 threads; a sprite sheet's tiles are whole frames.
TEST(PackRoundTrip, SameBytesForAnyNumberOfThreads) {
    tempdir::TempDir temp("packjobs");
    std::vector<packs::AssetSource> sources;
    for (unsigned a = 0; a < 5; ++a) {
        const auto dir = temp.path() / ("a" + std::to_string(a));
        std::filesystem::create_directories(dir);
        sources.push_back({packs::AssetSource::Kind::Frames, dir, writeFrames(dir, 9 + static_cast<int>(a), 7, 9, a), 100, 0, 0, "a" + std::to_string(a)});
    }
    const auto sheet = (temp.path() / "sheet.bmp").string();
    bmptest::writeFile(sheet, bmptest::bmp24(6, 4, std::vector<std::uint32_t>(24, 0x00FF00)));
    sources.push_back({packs::AssetSource::Kind::Sheet, sheet, {}, 0, 3, 2, "sheet"});
    std::vector<std::uint8_t> first;
    for (const int jobs : {1, 2, 8}) {
        packs::BuildOptions options{.style = {.depth = codegen::Depth::Bits16, .storage = {16, false, {}, codegen::Compression::Auto}},
                                    .jobs = jobs};
        const auto built = packs::buildPack(sources, options);
        ASSERT_TRUE(std::holds_alternative<packs::Pack>(built)) << std::get<packs::BuildError>(built).message;
        const auto bytes = packs::packBytes(std::get<packs::Pack>(built));
        if (first.empty()) first = bytes;
        EXPECT_EQ(bytes, first) << jobs << " jobs";
        const auto& tiles = std::get<packs::Pack>(built).assets.back();
        ASSERT_EQ(tiles.frames.size(), 4u);
        for (const auto& frame : tiles.frames) EXPECT_EQ(frame.parts.size(), 1u) << "a tile is always whole, even unchanged";
    }
}

// Every byte of a pack's index damaged in turn, and the pack cut short: the decoder refuses, fails or
// plays within the pack (AddressSanitizer watches every read).
TEST(PackDamage, NeverReadsOutsideThePack) {
    tempdir::TempDir temp("packdamage");
    const auto files = writeFrames(temp.path(), 11, 9, 4, 5);
    packs::BuildOptions options{.style = {.depth = codegen::Depth::Bits12, .storage = {4, false, {}, codegen::Compression::Auto}}};
    const auto pack = packs::packBytes(std::get<packs::Pack>(packs::buildPack({{packs::AssetSource::Kind::Frames, temp.path(), files, 10, 0, 0, "x"}}, options)));
    ASSERT_TRUE(packs::playPack(pack));
    const std::size_t index = 20 + 16 + 4 * 8; // the header, the asset and the frames
    int refused = 0;
    for (std::size_t at = 0; at < std::min(pack.size(), index + 16 * 8); ++at) {
        for (const int value : {0x00, 0xFF, 0x80}) {
            auto damaged = pack;
            damaged[at] = static_cast<std::uint8_t>(damaged[at] ^ value ^ 0x5A);
            std::vector<std::uint8_t> exact(damaged); // the decoder reads this vector and no further
            const auto played = packs::playPack(exact, 7);
            refused += !played;
        }
    }
    EXPECT_GT(refused, 0);
    for (std::size_t cut = 0; cut < pack.size(); cut += 3) {
        std::vector<std::uint8_t> shorter(pack.begin(), pack.begin() + static_cast<std::ptrdiff_t>(cut));
        EXPECT_FALSE(packs::playPack(shorter)) << "a pack cut to " << cut << " bytes still opens";
    }
}

// Two damages that stills used to decode silently: an LZ4 block that reaches past the array, and an rle
// block whose units reach past the picture.
TEST(StillDamage, BlocksPastTheEndFail) {
    const codegen::DecoderImage lz4{.size = 8, .length = 4, .packed = 4, .width = 4, .start = 0, .coded = 1, .unit = 1};
    // method 2, then a block of 5 bytes (four literals) said to be 5 long, or 6: past the array
    EXPECT_FALSE(codegen::decodeStored(std::vector<std::uint8_t>{2, 0, 5, 0x40, 1, 2, 3, 4}, lz4).failed);
    EXPECT_TRUE(codegen::decodeStored(std::vector<std::uint8_t>{2, 0, 6, 0x40, 1, 2, 3, 4}, lz4).failed);

    const codegen::DecoderImage rle{.size = 4, .length = 4, .packed = 4, .width = 4, .coded = 1, .unit = 2};
    EXPECT_FALSE(codegen::decodeStored(std::vector<std::uint8_t>{1, 128, 7, 8}, rle).failed) << "two units of two: the picture";
    EXPECT_TRUE(codegen::decodeStored(std::vector<std::uint8_t>{1, 129, 7, 8}, rle).failed) << "three units reach past it";
}
