// Animations composed frame by frame against an independent composition written here from the formats'
// rules, over tables of disposal, blending, transparency, offsets, colour tables and interlacing.
#include "capture/animation.h"
#include "capture/formats.h"
#include "capture/source.h"
#include "support/animwriters.h"

#include <gtest/gtest.h>

#include <random>

using namespace quorvane;

namespace {

// Every frame as readFrames composed it: 0xAABBGGRR, colour 0 where transparent.
struct Read {
    capture::AnimationInfo info;
    std::vector<std::vector<std::uint32_t>> frames;
    std::vector<int> delays;
    std::optional<capture::DecodeError> error;
};

class Collect : public capture::FrameReceiver {
  public:
    std::optional<capture::DecodeError> begin(const capture::AnimationInfo& info) override {
        read.info = info;
        return std::nullopt;
    }
    std::optional<capture::DecodeError> frame(const capture::Picture& canvas, int delayMs) override {
        std::vector<std::uint32_t> rgba(canvas.pixels.size());
        for (std::size_t i = 0; i < rgba.size(); ++i) {
            rgba[i] = canvas.alpha[i] == 0 ? 0 : canvas.pixels[i] | std::uint32_t{canvas.alpha[i]} << 24;
        }
        read.frames.push_back(std::move(rgba));
        read.delays.push_back(delayMs);
        return std::nullopt;
    }
    Read read;
};

Read readAll(const std::vector<std::uint8_t>& file) {
    capture::ByteSource source(file);
    Collect collect;
    EXPECT_TRUE(capture::isAnimationFile(source));
    collect.read.error = capture::readFrames(source, collect, 1 << 20);
    return collect.read;
}

// A browser's GIF: the screen starts transparent; before each frame, the one before is disposed of.
std::vector<std::vector<std::uint32_t>> composeGif(int w, int h, const std::vector<std::uint32_t>& global,
                                                   const std::vector<animtest::GifFrameSpec>& frames) {
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(w * h), 0), saved;
    std::vector<std::vector<std::uint32_t>> out;
    const animtest::GifFrameSpec* previous = nullptr;
    const auto inRect = [&](const animtest::GifFrameSpec& f, int x, int y) {
        return x >= f.left && x < f.left + f.width && y >= f.top && y < f.top + f.height;
    };
    for (const auto& f : frames) {
        if (previous && (previous->disposal == 2 || previous->disposal == 3)) {
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    if (inRect(*previous, x, y)) canvas[static_cast<std::size_t>(y * w + x)] = previous->disposal == 2 ? 0 : saved[static_cast<std::size_t>(y * w + x)];
                }
            }
        }
        if (f.disposal == 3) saved = canvas;
        const auto& table = f.local.empty() ? global : f.local;
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const int index = f.indexes[static_cast<std::size_t>(y * f.width + x)];
                const int sx = f.left + x, sy = f.top + y;
                if (index == f.transparent || sx >= w || sy >= h) continue;
                canvas[static_cast<std::size_t>(sy * w + sx)] = table[static_cast<std::size_t>(index)] | 0xFF000000u;
            }
        }
        out.push_back(canvas);
        previous = &f;
    }
    return out;
}

// A browser's APNG, with alpha of 0 or 255 only: "over" keeps the canvas where the frame is transparent.
std::vector<std::vector<std::uint32_t>> composeApng(int w, int h, const std::vector<animtest::ApngFrameSpec>& frames) {
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(w * h), 0), saved;
    std::vector<std::vector<std::uint32_t>> out;
    const animtest::ApngFrameSpec* previous = nullptr;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const auto& f = frames[i];
        if (previous && previous->dispose != 0) {
            for (int y = previous->y; y < previous->y + previous->height; ++y) {
                for (int x = previous->x; x < previous->x + previous->width; ++x) {
                    const auto at = static_cast<std::size_t>(y * w + x);
                    canvas[at] = previous->dispose == 1 || (previous == &frames[0]) ? 0 : saved[at];
                }
            }
        }
        if (f.dispose == 2) saved = canvas;
        for (int y = 0; y < f.height; ++y) {
            for (int x = 0; x < f.width; ++x) {
                const std::uint32_t p = f.rgba[static_cast<std::size_t>(y * f.width + x)];
                const auto at = static_cast<std::size_t>((f.y + y) * w + f.x + x);
                if (f.blend == 0 || p >> 24 == 255) canvas[at] = p >> 24 == 0 ? 0 : p;
            }
        }
        out.push_back(canvas);
        previous = &f;
    }
    return out;
}

} // namespace

// 3 disposals x transparency x offsets x local or global tables x interlacing, four frames each.
TEST(Animation, GifFramesComposeAsABrowserShowsThem) {
    const std::vector<std::uint32_t> global = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF}, local = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    std::mt19937 random(7);
    for (int disposal : {1, 2, 3}) {
        for (bool transparent : {false, true}) {
            for (bool offset : {false, true}) {
                for (bool localTable : {false, true}) {
                    for (bool interlaced : {false, true}) {
                        std::vector<animtest::GifFrameSpec> frames;
                        // The first frame stays, so that what a later frame restores differs from a cleared screen.
                        for (int i = 0; i < 4; ++i) {
                            animtest::GifFrameSpec f{.left = i == 0 || !offset ? 0 : 2 + i, .top = i == 0 || !offset ? 0 : 1,
                                                     .width = i == 0 || !offset ? 9 : 5, .height = i == 0 || !offset ? 10 : 9,
                                                     .interlaced = interlaced && i == 1, .transparent = transparent ? 0 : -1,
                                                     .disposal = i == 0 ? 1 : disposal, .delayCs = 3 + i};
                            if (localTable && i == 2) f.local = local;
                            for (int p = 0; p < f.width * f.height; ++p) f.indexes.push_back(static_cast<std::uint8_t>(random() % 4));
                            frames.push_back(std::move(f));
                        }
                        const auto file = animtest::animatedGif(9, 10, global, frames, 3);
                        const Read read = readAll(file);
                        const std::string what = "disposal " + std::to_string(disposal) + (transparent ? " transparent" : "") +
                                                 (offset ? " offset" : "") + (localTable ? " local" : "") + (interlaced ? " interlaced" : "");
                        ASSERT_FALSE(read.error) << what << ": " << read.error->reason;
                        EXPECT_EQ(read.frames, composeGif(9, 10, global, frames)) << what;
                        EXPECT_EQ(read.delays, (std::vector<int>{30, 40, 50, 60})) << what;
                        EXPECT_EQ(read.info.loops, 3) << what;
                    }
                }
            }
        }
    }
}

// 3 disposals x 2 blends x offsets x a hidden default image.
TEST(Animation, ApngFramesComposeAsABrowserShowsThem) {
    std::mt19937 random(11);
    const auto pixels = [&](int n) {
        std::vector<std::uint32_t> p;
        for (int i = 0; i < n; ++i) p.push_back(random() % 3 == 0 ? 0 : (random() & 0xFFFFFF) | 0xFF000000u);
        return p;
    };
    for (int dispose : {0, 1, 2}) {
        for (int blend : {0, 1}) {
            for (bool offset : {false, true}) {
                for (bool hidden : {false, true}) {
                    std::vector<animtest::ApngFrameSpec> frames;
                    for (int i = 0; i < 4; ++i) {
                        animtest::ApngFrameSpec f{.x = i && offset ? 3 : 0, .y = i && offset ? 2 : 0, .width = i && offset ? 4 : 7,
                                                  .height = i && offset ? 3 : 6, .delayNum = 1 + i, .delayDen = i == 2 ? 0 : 30,
                                                  .dispose = i == 0 ? 0 : dispose, .blend = i ? blend : 0};
                        f.rgba = pixels(f.width * f.height);
                        frames.push_back(std::move(f));
                    }
                    const auto defaultImage = pixels(7 * 6);
                    const auto file = animtest::apng(7, 6, frames, 2, hidden ? &defaultImage : nullptr);
                    const Read read = readAll(file);
                    const std::string what = "dispose " + std::to_string(dispose) + " blend " + std::to_string(blend) +
                                             (offset ? " offset" : "") + (hidden ? " hidden default" : "");
                    ASSERT_FALSE(read.error) << what << ": " << read.error->reason;
                    EXPECT_EQ(read.frames, composeApng(7, 6, frames)) << what;
                    // 1/30 s, 2/30 s, and 3/100 s for a denominator of 0.
                    EXPECT_EQ(read.delays, (std::vector<int>{33, 67, 30, 133})) << what;
                    EXPECT_EQ(read.info.loops, 2) << what;
                }
            }
        }
    }
}

TEST(Animation, WebpFramesAreTheEncodersCanvases) {
    std::vector<animtest::WebpFrameSpec> frames(3);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        frames[f].rgba.assign(6 * 5, 0xFF204060u);
        frames[f].rgba[f * 7] = 0xFF0000FFu; // a red pixel that moves
        frames[f].durationMs = 40 * static_cast<int>(f + 1);
    }
    const Read read = readAll(animtest::animatedWebp(6, 5, frames, 4));
    ASSERT_FALSE(read.error) << read.error->reason;
    ASSERT_EQ(read.frames.size(), 3u);
    for (std::size_t f = 0; f < 3; ++f) EXPECT_EQ(read.frames[f], frames[f].rgba) << f;
    EXPECT_EQ(read.delays, (std::vector<int>{40, 80, 120}));
    EXPECT_EQ(read.info.loops, 4);
}

// A frame damaged in the middle is named; a still PNG is no animation.
TEST(Animation, DamageIsNamedByItsFrame) {
    std::vector<animtest::ApngFrameSpec> frames(3, animtest::ApngFrameSpec{.width = 2, .height = 2, .rgba = std::vector<std::uint32_t>(4, 0xFF00FF00u)});
    auto file = animtest::apng(2, 2, frames, 0);
    // The last fdAT's data byte, after which its CRC no longer matches.
    const std::size_t lastFdat = std::string(file.begin(), file.end()).rfind("fdAT");
    file[lastFdat + 10] ^= 0xFF;
    const Read read = readAll(file);
    ASSERT_TRUE(read.error);
    EXPECT_EQ(read.error->reason.rfind("frame 2: ", 0), 0u) << read.error->reason;
    EXPECT_EQ(read.frames.size(), 2u);

    auto gif = animtest::animatedGif(4, 4, {0, 0xFFFFFF}, std::vector<animtest::GifFrameSpec>(3, {.width = 4, .height = 4, .indexes = std::vector<std::uint8_t>(16, 1)}), -1);
    gif.resize(gif.size() - 12);
    const Read cut = readAll(gif);
    ASSERT_TRUE(cut.error);
    EXPECT_NE(cut.error->reason.find("frame 2"), std::string::npos) << cut.error->reason;
    EXPECT_EQ(cut.info.loops, 1) << "a GIF without a NETSCAPE2.0 block plays once";
}
