// Whole-process timings and memory of large pictures, each against a yardstick timed in turns in the
// same run, and the decoder alone beside it (the floor that no work around the decoder can go under):
//   a 320 x 480 photo-like PNG for an ILI9488, not fitted, the array text on standard output:
//                                   quorvane-cli code --display ili9488-320x480 --depth 18 --hex
//                                   vs  convert FILE -depth 8 rgb:OUT (goal 0.6);  floor: libpng's full decode
//   a 4000 x 3000 photo-like JPEG:  quorvane-cli code --fit   vs  vipsthumbnail FILE --size 132x132 (0.4)
//                                   floor: libjpeg-turbo's decode at 2/8, the scale that fitting uses
//   a 1024 x 1024 photo-like PNG:   quorvane-cli code --fit   vs  convert FILE -resize 132x132 out.bmp (0.4)
//                                   and against its floor, libpng's full decode (goal 1.15)
//   8192 x 8192 PNG, JPEG, 24-bit BMP and GIF: the peak resident memory of quorvane-cli code --fit,
//   on the 132 x 132 panel and on a 320 x 480 one.
//   a 1024 x 1024 PNG to 24 Bit on a 1024 x 1024 panel with --hex and the text: the peak resident memory
//   against the raw file's own bytes and what the process holds before it reads a picture.
// Each goal is reported as met or not; the program fails only when a run fails. A yardstick that is not
// installed (scripts/install-deps.sh --bench installs them) is skipped with a note.
//   quorvane_fit_bench PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]
#include "bigpictures.h"
#include "spawn.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double kMemoryGoalMegabytes = 32;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char* verdict(bool met) { return met ? "met" : "NOT met"; }

// Medians of each command, run in turns so that the machine's mood touches them alike; empty when a
// command failed.
std::vector<double> medians(const std::vector<std::vector<std::string>>& commands, int runs) {
    std::vector<std::vector<double>> times(commands.size());
    for (int i = 0; i < runs; ++i) {
        for (std::size_t c = 0; c < commands.size(); ++c) {
            times[c].push_back(benchspawn::timedRun(commands[c]));
            if (times[c].back() < 0) {
                std::fprintf(stderr, "fit benchmark: %s failed\n", commands[c][0].c_str());
                return {};
            }
        }
    }
    std::vector<double> result;
    for (const auto& t : times) result.push_back(median(t));
    return result;
}

bool installed(const std::string& program) { return fs::exists(program); }

struct Goals {
    double yardstick = 0.40; // ours over the yardstick's time
    double floor = 0;        // ours over the floor's time; 0 for none
};

// Ours, the yardstick and the floor; true when they all ran.
bool compare(const char* what, const std::vector<std::string>& ours, const std::vector<std::string>& yardstick,
             const char* yardstickName, const std::vector<std::string>& floor, const char* floorName, int runs,
             Goals goals = {}) {
    if (!installed(yardstick[0])) {
        std::printf("%s: %s is not installed here (scripts/install-deps.sh --bench); nothing to compare with\n", what,
                    yardstick[0].c_str());
        return true;
    }
    const auto m = medians({ours, yardstick, floor}, runs);
    if (m.empty()) return false;
    const double ratio = m[0] / m[1], floorRatio = m[2] / m[1];
    std::printf("%s, median of %d runs in turns: quorvane-cli %.1f ms, %s %.1f ms: ratio %.2f, goal %.2f %s; "
                "%s alone %.1f ms (%.2f of the yardstick)",
                what, runs, m[0], yardstickName, m[1], ratio, goals.yardstick, verdict(ratio <= goals.yardstick),
                floorName, m[2], floorRatio);
    if (goals.floor > 0) {
        const double overFloor = m[0] / m[2];
        std::printf("; quorvane-cli over %s: %.2f, goal %.2f %s", floorName, overFloor, goals.floor,
                    verdict(overFloor <= goals.floor));
    }
    std::printf("\n");
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-quorvane-cli [RUNS] [DATA-FOLDER]\n", argv[0]);
        return 2;
    }
    const std::string cli = argv[1];
    const int runs = argc > 2 ? std::max(9, std::atoi(argv[2])) : 15;
    const fs::path data = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "quorvane-fit-bench";
    const std::string floorProgram = (fs::path(argv[0]).parent_path() / "quorvane_decode_floor").string();
    const std::string out = (fs::temp_directory_path() / "quorvane-fit-bench-out").string();
    fs::create_directories(out);

    using namespace bigpictures;
    const auto png1024 = made(data, "photo-1024.png", [](const std::string& p) { writePng(p, 1024, 1024); });
    const auto jpeg4000 = made(data, "photo-4000x3000.jpg", [](const std::string& p) { writeJpeg(p, 4000, 3000); });
    const auto png320 = made(data, "photo-320x480.png", [](const std::string& p) { writePng(p, 320, 480); });
    const auto ours = [&](const std::string& picture) {
        return std::vector<std::string>{cli, "code", "--fit", "--depth", "12", "--hex", out + "/out.hex", picture};
    };

    bool ok = compare("320 x 480 PNG at 18 Bit", {cli, "code", "--display", "ili9488-320x480", "--depth", "18", "--hex", out + "/panel.hex", png320},
                      {"/usr/bin/convert", png320, "-depth", "8", "rgb:" + out + "/panel.rgb"}, "convert -depth 8 rgb:",
                      {floorProgram, "png", png320}, "libpng's decode", runs, {.yardstick = 0.6});
    ok = compare("4000 x 3000 JPEG fitted", ours(jpeg4000),
                      {"/usr/bin/vipsthumbnail", jpeg4000, "--size", "132x132", "-o", out + "/tn.jpg"},
                      "vipsthumbnail --size 132x132", {floorProgram, "jpeg", jpeg4000, "2"},
                      "libjpeg-turbo's 2/8 decode", runs) && ok;
    ok = compare("1024 x 1024 PNG fitted", ours(png1024),
                 {"/usr/bin/convert", png1024, "-resize", "132x132", out + "/out.bmp"}, "convert -resize 132x132",
                 {floorProgram, "png", png1024}, "libpng's decode", runs, {.yardstick = 0.4, .floor = 1.15}) &&
         ok;

    // The largest pictures that fitting takes: fast deflate for the PNG, or making it takes longer than
    // the benchmark.
    const std::pair<const char*, std::string> largest[] = {
        {"PNG", made(data, "photo-8192.png", [](const std::string& p) { writePng(p, 8192, 8192, 1); })},
        {"JPEG", made(data, "photo-8192.jpg", [](const std::string& p) { writeJpeg(p, 8192, 8192); })},
        {"24-bit BMP", made(data, "photo-8192.bmp", [](const std::string& p) { writeBmp24(p, 8192, 8192); })},
        {"GIF", made(data, "photo-8192.gif", [](const std::string& p) { writeGif(p, 8192, 8192); })},
    };
    bool allMet = true;
    for (const bool large : {false, true}) {
        std::printf("8192 x 8192 fitted to %s, peak resident memory of the whole process (goal %.0f MB each):",
                    large ? "320 x 480" : "132 x 132", kMemoryGoalMegabytes);
        for (const auto& [format, picture] : largest) {
            std::vector<std::string> command = ours(picture);
            if (large) command.insert(command.begin() + 2, {"--panel", "320x480", "--size-header", "16"});
            const auto run = benchspawn::run(command);
            if (run.milliseconds < 0) {
                std::printf("\nfit benchmark: quorvane-cli failed on %s\n", picture.c_str());
                return 1;
            }
            allMet = allMet && run.peakMegabytes <= kMemoryGoalMegabytes;
            std::printf(" %s %.1f MB (%.0f ms);", format, run.peakMegabytes, run.milliseconds);
        }
        std::printf("\n");
    }
    std::printf("memory goal %s\n", verdict(allMet));

    // No fitting: every row goes through the road and out. What is held is the raw file's bytes (which
    // the text is written from) and a few rows; the text itself goes out a block at a time.
    const auto started = benchspawn::run({cli, "--version"});
    const auto whole = benchspawn::run({cli, "code", "--panel", "1024x1024", "--size-header", "16", "--depth", "24",
                                        "--hex", out + "/big.hex", png1024});
    if (whole.milliseconds < 0 || started.milliseconds < 0) {
        std::printf("fit benchmark: quorvane-cli failed on %s\n", png1024.c_str());
        return 1;
    }
    const double rawMegabytes = static_cast<double>(fs::file_size(out + "/big.hex")) / (1024.0 * 1024.0);
    std::printf("1024 x 1024 PNG to 24 Bit with --hex and the text (%.1f ms): peak resident memory %.1f MB, of which "
                "%.1f MB before any picture (quorvane-cli --version) and %.1f MB the raw file; the rest %.1f MB\n",
                whole.milliseconds, whole.peakMegabytes, started.peakMegabytes, rawMegabytes,
                whole.peakMegabytes - started.peakMegabytes - rawMegabytes);
    fs::remove_all(out);
    return ok ? 0 : 1;
}
