// Whole-process timing of `quorvane-cli code --depth 12 --hex out.hex img.bmp` on a 132 x 132 BMP,
// start-up included: the cost a firmware build pays per image. Beside it, in turns, a program that only
// opens the picture with QImage (quorvane_qimage_loader, built with the window): goal 0.5 of its time.
#include "../tests/support/bmpwriter.h"
#include "spawn.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-quorvane-cli [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    const auto dir = std::filesystem::temp_directory_path() / "quorvane-process-bench";
    std::filesystem::create_directories(dir);
    std::vector<std::uint32_t> pixels(132 * 132);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    bmptest::writeFile(dir / "img.bmp", bmptest::bmp24(132, 132, pixels));

    const std::string image = (dir / "img.bmp").string(), hex = (dir / "out.hex").string();
    const std::vector<std::string> ours = {argv[1], "code", "--depth", "12", "--hex", hex, image};
    const std::string loader = (std::filesystem::path(argv[0]).parent_path() / "quorvane_qimage_loader").string();
    const bool compared = std::filesystem::exists(loader);
    std::vector<double> millis, yardstick;
    for (int i = 0; i < runs; ++i) {
        millis.push_back(benchspawn::timedRun(ours));
        if (compared) yardstick.push_back(benchspawn::timedRun({loader, image}));
        if (millis.back() < 0 || (compared && yardstick.back() < 0)) {
            std::fprintf(stderr, "%s failed\n", millis.back() < 0 ? "quorvane-cli" : "the QImage loader");
            return 1;
        }
    }
    std::sort(millis.begin(), millis.end());
    std::printf("quorvane-cli code --depth 12 --hex, 132 x 132 BMP, %d runs: median %.2f ms, min %.2f ms, p90 %.2f ms\n",
                runs, millis[millis.size() / 2], millis.front(), millis[millis.size() * 9 / 10]);
    if (compared) {
        std::sort(yardstick.begin(), yardstick.end());
        const double ratio = millis[millis.size() / 2] / yardstick[yardstick.size() / 2];
        std::printf("a QImage-only loader of the same BMP, in turns: median %.2f ms; ratio %.2f, goal 0.50 %s\n",
                    yardstick[yardstick.size() / 2], ratio, ratio <= 0.5 ? "met" : "NOT met");
    } else {
        std::printf("the QImage loader is built with the window (QUORVANE_BUILD_UI); nothing to compare with\n");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
