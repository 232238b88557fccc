// Packs, measured on a corpus made here, every clip a 256-colour GIF that both this tool and the
// yardsticks read: a 240 x 240 gauge needle turning, an eye blinking, text scrolling, a boot logo
// appearing, a 64-frame sprite animation, and 1,000 icons of 48 x 48.
//   flash: the pack with --palette 256 --compress auto against gifsicle -O3 on the same GIF (goal: the
//          median no larger, the worst within 1.5 x), and at 16 Bit without a palette against the same
//          frames stored whole with lz4 (a sprite sheet, goal: at most half);
//   sent:  the bytes of every part over a loop against whole frames (goal: at most 35 % on the mostly
//          still clips);
//   speed: the 1,000 icons in at most 2 s, at least 1.6 x faster at --jobs 2 than --jobs 1, the same
//          bytes; a 100-frame 240 x 240 GIF in at most the time ImageMagick takes to compose its frames;
//   memory: a 300-frame 240 x 240 animation under 64 MB;
//   the decoder on the host: the gauge's frames a second, its parts decoded into a frame.
// Goals are reported as met or not; the program fails only when a run fails.
//   quorvane_pack_bench PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]
#include "packs/playback.h"
#include "spawn.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Frame = std::vector<std::uint8_t>; // red, green, blue

struct Clip {
    std::string name;
    int width, height, delayCs;
    std::vector<Frame> frames;
    bool mostlyStill;
};

// The 6 x 6 x 6 colour cube and 40 greys: every clip is drawn in these, so a GIF holds it exactly.
std::array<std::uint8_t, 3> entry(int i) {
    if (i < 216) return {static_cast<std::uint8_t>(i / 36 * 51), static_cast<std::uint8_t>(i / 6 % 6 * 51), static_cast<std::uint8_t>(i % 6 * 51)};
    const auto g = static_cast<std::uint8_t>(6 + (i - 216) * 6);
    return {g, g, g};
}

int nearest(double r, double g, double b) {
    int best = 0;
    double bestDistance = 1e18;
    const int cube = static_cast<int>(std::lround(std::clamp(r, 0.0, 255.0) / 51)) * 36 +
                     static_cast<int>(std::lround(std::clamp(g, 0.0, 255.0) / 51)) * 6 + static_cast<int>(std::lround(std::clamp(b, 0.0, 255.0) / 51));
    for (int i : {cube, 216 + static_cast<int>(std::clamp((r + g + b) / 3 - 6, 0.0, 234.0) / 6)}) {
        const auto e = entry(std::min(i, 255));
        const double d = (e[0] - r) * (e[0] - r) + (e[1] - g) * (e[1] - g) + (e[2] - b) * (e[2] - b);
        if (d < bestDistance) bestDistance = d, best = std::min(i, 255);
    }
    return best;
}

Clip draw(std::string name, int w, int h, int frames, int delayCs, bool still,
          const std::function<std::array<double, 3>(int f, int x, int y)>& colour) {
    Clip clip{std::move(name), w, h, delayCs, {}, still};
    for (int f = 0; f < frames; ++f) {
        Frame frame;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const auto c = colour(f, x, y);
                const auto e = entry(nearest(c[0], c[1], c[2]));
                frame.insert(frame.end(), e.begin(), e.end());
            }
        }
        clip.frames.push_back(std::move(frame));
    }
    return clip;
}

double clamp01(double v) { return std::clamp(v, 0.0, 1.0); }

std::vector<Clip> corpus() {
    const double pi = 3.141592653589793;
    std::vector<Clip> clips;
    clips.push_back(draw("gauge", 240, 240, 60, 4, true, [pi](int f, int x, int y) -> std::array<double, 3> {
        const double dx = x + 0.5 - 120, dy = y + 0.5 - 120, r = std::hypot(dx, dy);
        if (r > 110) return {20, 20, 30};
        const double angle = -pi * 0.75 + 1.5 * pi * f / 59, nx = std::sin(angle), ny = -std::cos(angle);
        const double along = dx * nx + dy * ny, across = std::abs(dx * ny - dy * nx);
        if (along > 0 && along < 95 && across < 3) return {230, 40, 30};
        if (r < 10) return {200, 200, 200};
        const bool tick = r > 95 && std::fmod(std::atan2(dy, dx) + 2 * pi, pi / 12) < 0.03;
        return tick ? std::array<double, 3>{240, 240, 240} : std::array<double, 3>{40, 44, 60};
    }));
    clips.push_back(draw("eye", 240, 240, 30, 5, true, [](int f, int x, int y) -> std::array<double, 3> {
        const double open = f >= 12 && f < 18 ? std::abs(f - 14.5) / 3.5 : 1.0; // lids close and open again
        const double dx = (x - 120) / 100.0, dy = (y - 120) / 60.0;
        if (dx * dx + dy * dy > 1) return {250, 220, 190};
        if (std::abs(dy) > open * std::sqrt(std::max(0.0, 1 - dx * dx))) return {220, 170, 140};
        const double iris = std::hypot(x - 120.0, y - 120.0);
        if (iris < 18) return {10, 10, 10};
        if (iris < 45) return {40, 100 + iris, 60};
        return {255, 255, 255};
    }));
    clips.push_back(draw("ticker", 240, 64, 60, 3, false, [](int f, int x, int y) -> std::array<double, 3> {
        const int sx = x + 4 * f; // text scrolling left, 4 pixels a frame
        const bool glyph = y > 16 && y < 48 && (sx / 6 % 5 != 4) && ((sx * 7 + y * 3) / 5 % 3 == 0 || (y - 16) % 31 < 3);
        return glyph ? std::array<double, 3>{255, 200, 0} : std::array<double, 3>{0, 0, 40};
    }));
    clips.push_back(draw("bootlogo", 240, 240, 40, 4, true, [](int f, int x, int y) -> std::array<double, 3> {
        const double t = clamp01(f / 30.0), r = std::hypot(x - 120.0, y - 100.0);
        if (y > 180 && y < 196 && x > 40 && x < 200) return x < 40 + 160 * t ? std::array<double, 3>{0, 160, 255} : std::array<double, 3>{30, 30, 30};
        if (r < 60 * t) return {255 * t, 120 * t, 0};
        return {0, 0, 0};
    }));
    clips.push_back(draw("sprite", 64, 64, 64, 6, false, [pi](int f, int x, int y) -> std::array<double, 3> {
        const double phase = 2 * pi * f / 64, cx = 32 + 10 * std::sin(phase), cy = 30 + 4 * std::abs(std::cos(phase));
        const double body = std::hypot(x - cx, (y - cy) * 0.8), leg = std::abs(x - cx - 8 * std::sin(phase + (y > 44 ? pi : 0)));
        if (body < 12) return {200, 60, 60 + 40 * std::sin(phase)};
        if (y > 40 && y < 58 && leg < 3) return {60, 60, 200};
        return {120, 200, 120};
    }));
    return clips;
}

void writeGif(const fs::path& path, const Clip& clip, int loops) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    std::vector<GifColorType> colours;
    for (int i = 0; i < 256; ++i) {
        const auto e = entry(i);
        colours.push_back({e[0], e[1], e[2]});
    }
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, clip.width, clip.height, 8, 0, map);
    const GifByteType count[3] = {1, static_cast<GifByteType>(loops), 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, count);
    EGifPutExtensionTrailer(gif);
    std::vector<GifPixelType> line(static_cast<std::size_t>(clip.width));
    for (const Frame& frame : clip.frames) {
        GraphicsControlBlock control{DISPOSE_DO_NOT, false, clip.delayCs, NO_TRANSPARENT_COLOR};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
        EGifPutImageDesc(gif, 0, 0, clip.width, clip.height, false, nullptr);
        for (int y = 0; y < clip.height; ++y) {
            for (int x = 0; x < clip.width; ++x) {
                const std::uint8_t* p = frame.data() + 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(clip.width) + static_cast<std::size_t>(x));
                line[static_cast<std::size_t>(x)] = static_cast<GifPixelType>(nearest(p[0], p[1], p[2]));
            }
            EGifPutLine(gif, line.data(), clip.width);
        }
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
}

// The frames in a grid, left to right then top to bottom: a sprite sheet, whose tiles a pack stores
// whole. As many columns as the smallest divisor of the frame count that makes it about square.
void writeSheet(const fs::path& path, const Clip& clip) {
    const std::size_t n = clip.frames.size();
    std::size_t columns = 1;
    while (columns * columns < n || n % columns) ++columns;
    const std::size_t rows = n / columns, w = static_cast<std::size_t>(clip.width), h = static_cast<std::size_t>(clip.height);
    Frame all(3 * w * h * n);
    for (std::size_t f = 0; f < n; ++f) {
        for (std::size_t y = 0; y < h; ++y) {
            std::copy_n(clip.frames[f].begin() + static_cast<std::ptrdiff_t>(3 * y * w), 3 * w,
                        all.begin() + static_cast<std::ptrdiff_t>(3 * ((f / columns * h + y) * w * columns + f % columns * w)));
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w * columns);
    image.height = static_cast<png_uint_32>(h * rows);
    image.format = PNG_FORMAT_RGB;
    png_image_write_to_file(&image, path.c_str(), 0, all.data(), 0, nullptr);
}

std::vector<std::uint8_t> slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

// Both processes in turns, median milliseconds and the larger peak; false when one fails.
bool timeBoth(const std::vector<std::string>& a, const std::vector<std::string>& b, int runs, double& ta, double& tb, double& peak) {
    std::vector<double> x, y;
    peak = 0;
    for (int i = 0; i < runs; ++i) {
        const auto ra = benchspawn::run(a), rb = benchspawn::run(b);
        if (ra.milliseconds < 0 || rb.milliseconds < 0) return false;
        x.push_back(ra.milliseconds), y.push_back(rb.milliseconds);
        peak = std::max(peak, ra.peakMegabytes);
    }
    ta = median(x), tb = median(y);
    return true;
}

// The bytes of every part's pixels at 16 Bit, over one loop of the asset, from the pack's own index.
std::size_t sentBytes(const std::vector<std::uint8_t>& pack) {
    const auto played = quorvane::packs::playPack(pack);
    std::size_t bytes = 0;
    if (!played) return 0;
    for (const auto& frame : (*played)[0].frames) {
        for (const auto& part : frame.parts) bytes += 2 * part.rect.pixels();
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvane_pack_bench PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]\n");
        return 2;
    }
    const std::string cli = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const fs::path data = fs::path(argc > 3 ? argv[3] : "bench-data") / "packs";
    fs::create_directories(data);
    const std::string gifsicle = "/usr/bin/gifsicle", convert = "/usr/bin/convert";
    bool ok = true;

    const std::vector<Clip> clips = corpus();
    std::printf("flash and what the panel is sent, per clip (bytes):\n"
                "| clip | frames | GIF, gifsicle -O3 | pack, --palette 256 auto | vs gifsicle | 16 Bit frames whole, lz4 | pack, 16 Bit lz4 | vs whole | sent over a loop | vs whole frames |\n"
                "|---|---|---|---|---|---|---|---|---|---|\n");
    std::vector<double> versusGif;
    bool halfMet = true, sentMet = true;
    std::uintmax_t deepAll = 0, wholeAll = 0;
    for (const Clip& clip : clips) {
        const fs::path gif = data / (clip.name + ".gif"), optimised = data / (clip.name + "-O3.gif"), sheet = data / (clip.name + "-sheet.png");
        writeGif(gif, clip, 0);
        writeSheet(sheet, clip);
        const std::string panel = std::to_string(clip.width) + "x" + std::to_string(clip.height);
        const fs::path palette = data / (clip.name + "-256.qvpk"), deep = data / (clip.name + "-16.qvpk"), whole = data / (clip.name + "-whole.qvpk");
        ok &= benchspawn::run({cli, "pack", "--quiet", "--panel", panel, "--depth", "16", "--palette", "256", "--compress", "auto", "--hex", palette, gif}).milliseconds >= 0;
        ok &= benchspawn::run({cli, "pack", "--quiet", "--panel", panel, "--depth", "16", "--compress", "lz4", "--hex", deep, gif}).milliseconds >= 0;
        ok &= benchspawn::run({cli, "pack", "--quiet", "--panel", panel, "--depth", "16", "--compress", "lz4", "--hex", whole, "--sheet",
                               panel, sheet}).milliseconds >= 0;
        std::uintmax_t gifBytes = 0;
        if (fs::exists(gifsicle)) {
            benchspawn::run({gifsicle, "-O3", "-o", optimised, gif});
            gifBytes = fs::exists(optimised) ? fs::file_size(optimised) : 0;
        }
        const auto packBytes = fs::file_size(palette), deepBytes = fs::file_size(deep), wholeBytes = fs::file_size(whole);
        const double frameBytes = 2.0 * clip.width * clip.height * static_cast<double>(clip.frames.size());
        const double sent = static_cast<double>(sentBytes(slurp(deep))) / frameBytes;
        if (gifBytes > 0) versusGif.push_back(static_cast<double>(packBytes) / static_cast<double>(gifBytes));
        halfMet &= deepBytes * 2 <= wholeBytes;
        deepAll += deepBytes, wholeAll += wholeBytes;
        if (clip.mostlyStill) sentMet &= sent <= 0.35;
        std::printf("| %s | %zu | %ju | %ju | %.2f x | %ju | %ju | %.0f %% | %.0f %% | %s |\n", clip.name.c_str(), clip.frames.size(),
                    gifBytes, static_cast<std::uintmax_t>(packBytes), gifBytes ? static_cast<double>(packBytes) / static_cast<double>(gifBytes) : 0.0,
                    static_cast<std::uintmax_t>(wholeBytes), static_cast<std::uintmax_t>(deepBytes), 100.0 * static_cast<double>(deepBytes) / static_cast<double>(wholeBytes),
                    100 * sent, clip.mostlyStill ? "mostly still" : "moving");
    }
    if (versusGif.empty()) {
        std::printf("gifsicle is not installed (scripts/install-deps.sh --bench): the GIF comparison is skipped\n");
    } else {
        const double worst = *std::max_element(versusGif.begin(), versusGif.end());
        std::printf("against gifsicle -O3: median %.2f x (goal at most 1: %s), worst %.2f x (goal at most 1.5: %s)\n", median(versusGif),
                    verdict(median(versusGif) <= 1.0), worst, verdict(worst <= 1.5));
    }
    std::printf("16 Bit lz4 against the frames stored whole: %.0f %% over the corpus (goal at most 50: %s), every clip: %s;\n"
                "sent at most 35 %% on the mostly still clips: %s\n\n",
                100.0 * static_cast<double>(deepAll) / static_cast<double>(wholeAll), verdict(deepAll * 2 <= wholeAll),
                halfMet ? "yes" : "no", verdict(sentMet));

    // 1,000 icons of 48 x 48, each its own picture.
    const fs::path icons = data / "icons";
    fs::create_directories(icons);
    for (int i = 0; i < 1000; ++i) {
        const fs::path icon = icons / ("icon" + std::to_string(i) + ".png");
        if (fs::exists(icon)) continue;
        const Clip one = draw("icon", 48, 48, 1, 0, false, [i](int, int x, int y) -> std::array<double, 3> {
            const double r = std::hypot(x - 24.0, y - 24.0);
            return r < 8 + i % 14 ? std::array<double, 3>{i * 37 % 256 * 1.0, i * 91 % 256 * 1.0, i * 13 % 256 * 1.0}
                                  : std::array<double, 3>{255, 255, 255};
        });
        writeSheet(icon, one);
    }
    const fs::path one = data / "icons-1.qvpk", two = data / "icons-2.qvpk";
    double t1 = 0, t2 = 0, peak = 0;
    ok &= timeBoth({cli, "pack", "--quiet", "--depth", "16", "--compress", "auto", "--jobs", "1", "--hex", one, icons},
                   {cli, "pack", "--quiet", "--depth", "16", "--compress", "auto", "--jobs", "2", "--hex", two, icons}, runs, t1, t2, peak);
    const bool same = slurp(one) == slurp(two);
    std::printf("1,000 icons of 48 x 48 into one pack (16 Bit, auto), whole process, median of %d in turns:\n"
                "--jobs 1: %.0f ms, --jobs 2: %.0f ms (goal at most 2,000: %s), %.2f x faster (goal at least 1.6: %s), same bytes: %s\n\n",
                runs, t1, t2, verdict(t2 <= 2000), t1 / t2, verdict(t1 / t2 >= 1.6), same ? "yes" : "NO");
    ok &= same;

    // A 100-frame 240 x 240 GIF, and a 300-frame one for the memory.
    Clip hundred = clips[0];
    while (hundred.frames.size() < 300) hundred.frames.push_back(hundred.frames[hundred.frames.size() % 60]);
    const fs::path long300 = data / "gauge300.gif";
    writeGif(long300, hundred, 0);
    hundred.frames.resize(100);
    const fs::path long100 = data / "gauge100.gif";
    writeGif(long100, hundred, 0);
    if (fs::exists(convert)) {
        double ours = 0, theirs = 0;
        ok &= timeBoth({cli, "pack", "--quiet", "--panel", "240x240", "--depth", "16", "--compress", "auto", "--hex", data / "gauge100.qvpk", long100},
                       {convert, long100, "-coalesce", "rgb:" + (data / "gauge100.rgb").string()}, runs, ours, theirs, peak);
        std::printf("a 100-frame 240 x 240 GIF: pack %.0f ms, ImageMagick composing its frames %.0f ms: %.2f x (goal at most 1: %s)\n", ours,
                    theirs, ours / theirs, verdict(ours <= theirs));
    } else {
        std::printf("ImageMagick is not installed (scripts/install-deps.sh --bench): the composition timing is skipped\n");
    }
    // This process holds the corpus, and a child spawned from it starts with this process's peak: GNU
    // time forks the conversion from a small process of its own and reports that one's peak alone.
    const std::string gnuTime = "/usr/bin/time";
    const fs::path peakFile = data / "gauge300.peak";
    if (fs::exists(gnuTime)) {
        const auto big = benchspawn::run({gnuTime, "-f", "%M", "-o", peakFile, cli, "pack", "--quiet", "--panel", "240x240", "--depth", "16",
                                          "--compress", "auto", "--hex", data / "gauge300.qvpk", long300});
        ok &= big.milliseconds >= 0;
        double kilobytes = 0;
        std::ifstream(peakFile) >> kilobytes;
        std::printf("a 300-frame 240 x 240 animation: peak %.1f MB (goal under 64: %s)\n", kilobytes / 1024, verdict(kilobytes / 1024 < 64));
    } else {
        std::printf("GNU time is not installed (scripts/install-deps.sh --bench): the peak memory is skipped\n");
    }

    // The decoder on the host: the gauge's parts decoded and laid into a frame, frames a second.
    const auto gauge = slurp(data / "gauge-16.qvpk");
    const auto start = std::chrono::steady_clock::now();
    int loops = 0;
    std::size_t frames = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(500)) {
        const auto played = quorvane::packs::playPack(gauge, 64);
        if (!played) return 1;
        frames += (*played)[0].frames.size();
        ++loops;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("the decoder on the host, the gauge (16 Bit, lz4, 64 bytes a qv_read): %.0f frames a second\n", static_cast<double>(frames) / seconds);
    return ok ? 0 : 1;
}
