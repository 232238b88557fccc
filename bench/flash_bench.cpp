// Fewer bytes in flash, measured on pictures made here (240 x 320 unless said):
//   palette quality: the PSNR of what the panel shows at --palette 16 and 256 (16 Bit) against pngquant's
//   own palette of as many colours read at 16 Bit, on a photo-like picture and on artwork (flat colours, a
//   gradient banner, soft edges); and the whole process against pngquant's, timed in turns;
//   compression: for an icon set, a flat-colour interface and a photo, the bytes stored, rle and lz4, our
//   lz4 against liblz4's highest level on the same chunks and on the whole data as one block, and the
//   host's speed decoding each with quorvane_decode.h, a row at a time.
// Goals are reported as met or not; the program fails only when a run fails.
//   quorvane_flash_bench PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]
#include "codegen/decoderimage.h"
#include "codegen/imagecode.h"
#include "spawn.h"

#include "../tests/support/photolike.h"

#include <lz4hc.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace quorvane::codegen;

namespace {

struct Rgb {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgb;
};

Rgb photo(int width, int height) {
    Rgb picture{width, height, {}};
    phototest::PhotoLike source(width, height);
    std::vector<std::uint8_t> row;
    for (int y = 0; y < height; ++y) {
        source.row(y, row);
        picture.rgb.insert(picture.rgb.end(), row.begin(), row.end());
    }
    return picture;
}

Rgb painted(int width, int height, const std::function<std::array<double, 3>(int x, int y)>& colour) {
    Rgb picture{width, height, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (double c : colour(x, y)) picture.rgb.push_back(static_cast<std::uint8_t>(std::lround(std::clamp(c, 0.0, 255.0))));
        }
    }
    return picture;
}

// Coverage of a disc of radius r about (cx, cy) at a pixel, softened over one pixel: an anti-aliased edge.
double disc(int x, int y, double cx, double cy, double r) {
    return std::clamp(r + 0.5 - std::hypot(x + 0.5 - cx, y + 0.5 - cy), 0.0, 1.0);
}

std::array<double, 3> mix(std::array<double, 3> a, std::array<double, 3> b, double t) {
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
}

// A screen of an instrument: a gradient banner, flat panels and buttons with soft round corners.
Rgb artwork() {
    return painted(240, 320, [](int x, int y) -> std::array<double, 3> {
        if (y < 48) return mix({20, 60, 160}, {120, 30, 140}, x / 239.0);
        std::array<double, 3> c = {236, 236, 232};
        if (y >= 64 && y < 200 && x >= 12 && x < 228) c = {250, 250, 250};
        if (y >= 80 && y < 96 && x >= 24 && x < 24 + (y * 7 % 160)) c = {60, 60, 60};
        for (int i = 0; i < 3; ++i) c = mix(c, std::array<std::array<double, 3>, 3>{{{220, 40, 40}, {40, 170, 60}, {240, 180, 20}}}[i], disc(x, y, 50 + 70 * i, 260, 24));
        return c;
    });
}

// 32 icons of 32 x 32 in eight columns: simple shapes of two or three colours on white.
Rgb icons() {
    return painted(256, 128, [](int x, int y) -> std::array<double, 3> {
        const int icon = y / 32 * 8 + x / 32, u = x % 32, v = y % 32;
        const std::array<double, 3> ink = {double(icon * 37 % 200), double(icon * 91 % 200), double(icon * 53 % 220)};
        const bool frame = u >= 4 && u < 28 && v >= 4 && v < 28 && (u < 6 || u >= 26 || v < 6 || v >= 26);
        const bool mark = icon % 2 ? (u - 16) * (u - 16) + (v - 16) * (v - 16) < 60 : std::abs(u - v) < 3 && u > 8 && u < 24;
        if (frame) return ink;
        return mark ? std::array<double, 3>{255 - ink[0], 255 - ink[1] / 2, ink[2]} : std::array<double, 3>{255, 255, 255};
    });
}

void writePng(const fs::path& path, const Rgb& picture) {
    FILE* file = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, picture.rgb.data() + 3 * static_cast<std::size_t>(y * picture.width));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

Rgb readPng(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Rgb picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.width = static_cast<int>(image.width), picture.height = static_cast<int>(image.height);
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return {};
    return picture;
}

double psnr(const Rgb& a, const Rgb& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += (a.rgb[i] - b.rgb[i]) * double(a.rgb[i] - b.rgb[i]);
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * double(a.rgb.size()) / sum);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

// Ours and pngquant's whole processes, in turns; false when one fails.
bool timeBoth(const std::vector<std::string>& ours, const std::vector<std::string>& theirs, int runs, double& mine, double& yardstick) {
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(benchspawn::timedRun(ours));
        b.push_back(benchspawn::timedRun(theirs));
        if (a.back() < 0 || b.back() < 0) return false;
    }
    mine = median(a), yardstick = median(b);
    return true;
}

bool paletteQuality(const std::string& cli, const fs::path& data, int runs) {
    const std::string pngquant = "/usr/bin/pngquant";
    if (!fs::exists(pngquant)) {
        std::printf("palette: pngquant is not installed (scripts/install-deps.sh --bench), skipped\n");
        return true;
    }
    std::printf("palette quality at 16 Bit: PSNR of what the panel shows (dB), goal: at least pngquant's - 0.5, dithered\n"
                "or not (ours undithered against pngquant --nofs); whole process, median of %d in turns, goal: at most\n"
                "pngquant's time\n", runs);
    std::printf("| picture | colours | ours | pngquant, read at 16 Bit | pngquant --nofs | quality | ours, ms | pngquant, ms | time |\n"
                "|---|---|---|---|---|---|---|---|---|\n");
    const std::pair<const char*, Rgb> pictures[] = {{"photo-like", photo(240, 320)}, {"artwork", artwork()}};
    for (const auto& [name, picture] : pictures) {
        const fs::path source = data / (std::string(name) + ".png");
        writePng(source, picture);
        for (const char* colours : {"16", "256"}) {
            const std::string ours = (data / "ours.png").string(), theirs = (data / "theirs.png").string(),
                              theirs16 = (data / "theirs16.png").string(), hex = (data / "ours.hex").string();
            const std::vector<std::string> oursRun = {cli, "code", "--panel", "240x320", "--size-header", "16", "--depth", "16", "--palette", colours,
                                                      "--hex", hex, source.string()};
            const std::vector<std::string> theirsRun = {pngquant, "--force", "--output", theirs, colours, source.string()};
            const std::string plainTheirs = (data / "theirs-nofs.png").string(), plainTheirs16 = (data / "theirs16-nofs.png").string();
            const std::vector<std::string> plainRun = {pngquant, "--force", "--nofs", "--output", plainTheirs, colours, source.string()};
            std::vector<std::string> preview = oursRun;
            preview.insert(preview.end() - 1, {"--preview", ours});
            if (benchspawn::timedRun(preview) < 0 || benchspawn::timedRun(theirsRun) < 0 ||
                benchspawn::timedRun({cli, "code", "--panel", "240x320", "--size-header", "16", "--depth", "16", "--preview", theirs16, theirs}) < 0 ||
                benchspawn::timedRun(plainRun) < 0 ||
                benchspawn::timedRun({cli, "code", "--panel", "240x320", "--size-header", "16", "--depth", "16", "--preview", plainTheirs16, plainTheirs}) < 0) {
                std::fprintf(stderr, "palette benchmark: a run failed\n");
                return false;
            }
            const double mine = psnr(picture, readPng(ours)), yardstick = psnr(picture, readPng(theirs16)),
                         plainYardstick = psnr(picture, readPng(plainTheirs16));
            double oursMs = 0, theirsMs = 0;
            if (!timeBoth(oursRun, theirsRun, runs, oursMs, theirsMs)) return false;
            std::printf("| %s | %s | %.2f | %.2f | %.2f | %s | %.1f | %.1f | %s |\n", name, colours, mine, yardstick, plainYardstick,
                        verdict(mine >= std::max(yardstick, plainYardstick) - 0.5), oursMs, theirsMs, verdict(oursMs <= theirsMs));
        }
    }
    return true;
}

std::vector<std::int32_t> componentsOf(const Rgb& picture) { return {picture.rgb.begin(), picture.rgb.end()}; }

// Bytes and decoding speed of each compression, and our lz4 against liblz4 itself.
void compression() {
    std::printf("\ncompression at 16 Bit: data bytes after the size bytes; decoding a row at a time on this host\n");
    std::printf("| picture | stored | rle | lz4 | lz4 as one block | rle, MB/s | lz4, MB/s | stored, MB/s |\n|---|---|---|---|---|---|---|---|\n");
    const std::pair<const char*, Rgb> pictures[] = {{"icon set 256 x 128", icons()}, {"interface 240 x 320", artwork()}, {"photo 240 x 320", photo(240, 320)}};
    bool within = true;
    for (const auto& [name, picture] : pictures) {
        const std::vector<std::int32_t> components = componentsOf(picture);
        const PictureSize size{picture.width, picture.height};
        std::size_t bytes[3] = {};
        double speed[3] = {};
        CodeOptions plain;
        plain.depth = Depth::Bits16;
        plain.sizeHeader = SizeHeader::None;
        const std::vector<std::uint8_t> data = makeImageCode(components, size, plain).rawFile;
        // Each behind its method byte, as the decoder reads it from flash.
        RawLayout layout = plain.rawLayout();
        layout.storage.compression = Compression::Auto;
        for (const Compression c : {Compression::None, Compression::Rle, Compression::Lz4}) {
            const Compressed compressed = compress(data, c, 2);
            std::vector<std::uint8_t> file = {static_cast<std::uint8_t>(compressed.method)};
            file.insert(file.end(), compressed.bytes.begin(), compressed.bytes.end());
            const auto index = static_cast<std::size_t>(c);
            bytes[index] = compressed.bytes.size();
            const DecoderImage image = decoderImage(layout, size, file.size());
            const auto start = std::chrono::steady_clock::now();
            int rounds = 0;
            do {
                if (decodeStored(file, image, 2 * static_cast<std::size_t>(picture.width)).failed) std::fprintf(stderr, "decoding failed\n");
                ++rounds;
            } while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(200));
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            speed[index] = rounds * double(image.length) / seconds / 1e6;
        }
        // liblz4 at its highest level on the whole data as one block: what the 1 KB chunks cost.
        std::vector<char> block(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(data.size()))));
        const int whole = LZ4_compress_HC(reinterpret_cast<const char*>(data.data()), block.data(), static_cast<int>(data.size()),
                                          static_cast<int>(block.size()), LZ4HC_CLEVEL_MAX);
        // The same chunks through liblz4 directly, and their two length bytes each.
        std::size_t reference = 0;
        for (std::size_t at = 0; at < data.size(); at += kLz4Chunk) {
            const int n = static_cast<int>(std::min(kLz4Chunk, data.size() - at));
            reference += 2 + static_cast<std::size_t>(LZ4_compress_HC(reinterpret_cast<const char*>(data.data() + at), block.data(), n,
                                                                      static_cast<int>(block.size()), LZ4HC_CLEVEL_MAX));
        }
        within = within && bytes[2] <= reference + reference / 100;
        std::printf("| %s | %zu | %zu | %zu | %d | %.0f | %.0f | %.0f |\n", name, bytes[0], bytes[1], bytes[2], whole, speed[1],
                    speed[2], speed[0]);
    }
    std::printf("lz4 within 1 %% of liblz4's highest level on the same chunks: %s\n", verdict(within));

    // The raw file's bytes at each choice, size bytes included: the README's table.
    std::printf("\nbytes at each choice (16 Bit colours; auto: the smallest of stored, rle and lz4)\n");
    std::printf("| picture | 16 Bit | 16 Bit, auto | 256 colours | 256, auto | 16 colours | 16, auto | mono | mono, auto |\n"
                "|---|---|---|---|---|---|---|---|---|\n");
    for (const auto& [name, picture] : pictures) {
        std::printf("| %s |", name);
        const std::vector<std::int32_t> components = componentsOf(picture);
        for (const Storage storage : {Storage{}, Storage{.compression = Compression::Auto}, Storage{.paletteSize = 256},
                                      Storage{.paletteSize = 256, .compression = Compression::Auto}, Storage{.paletteSize = 16},
                                      Storage{.paletteSize = 16, .compression = Compression::Auto}, Storage{.mono = true},
                                      Storage{.mono = true, .compression = Compression::Auto}}) {
            CodeOptions options;
            options.depth = Depth::Bits16;
            options.sizeHeader = SizeHeader::Bytes16;
            options.storage = storage;
            std::printf(" %zu |", makeImageCode(components, {picture.width, picture.height}, options).rawFile.size());
        }
        std::printf("\n");
    }
}

// The decoder's code on a Cortex-M0, as arm-none-eabi-size counts a unit that calls it.
void decoderSize(const fs::path& data) {
    if (!fs::exists("/usr/bin/arm-none-eabi-gcc")) {
        std::printf("\ndecoder size: arm-none-eabi-gcc is not installed (scripts/install-deps.sh), skipped\n");
        return;
    }
    {
        std::ofstream header(data / "quorvane_decode.h");
        header << decoderHeaderText();
        std::ofstream unit(data / "unit.c");
        unit << "#include \"quorvane_decode.h\"\nextern const qv_image img;\nvoid sink(const unsigned char *p, size_t n);\n"
                "int run(void);\nint run(void) {\n    qv_stream s;\n    unsigned char row[64];\n    size_t n;\n"
                "    qv_begin(&s, &img);\n    while ((n = qv_read(&s, row, sizeof row)) > 0) sink(row, n);\n"
                "    return qv_failed(&s);\n}\n";
    }
    const std::string object = (data / "unit.o").string();
    if (benchspawn::timedRun({"/usr/bin/arm-none-eabi-gcc", "-std=c99", "-Os", "-mcpu=cortex-m0", "-mthumb", "-c",
                              (data / "unit.c").string(), "-o", object}) < 0) {
        std::printf("\ndecoder size: the unit did not compile\n");
        return;
    }
    FILE* size = popen(("/usr/bin/arm-none-eabi-size " + object).c_str(), "r");
    unsigned long text = 0;
    char line[256];
    if (size && std::fgets(line, sizeof line, size) && std::fgets(line, sizeof line, size)) text = std::strtoul(line, nullptr, 10);
    if (size) pclose(size);
    std::printf("\ndecoder on a Cortex-M0 (-Os -mthumb), with the unit that calls it: %lu bytes of code, goal 1024: %s\n", text,
                verdict(text > 0 && text <= 1024));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]\n", argv[0]);
        return 2;
    }
    const std::string cli = fs::absolute(argv[1]).string();
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    const fs::path data = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "quorvane-flash-bench";
    fs::create_directories(data);
    if (!paletteQuality(cli, data, runs)) return 1;
    compression();
    decoderSize(data);
    return 0;
}
