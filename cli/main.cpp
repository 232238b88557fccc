// quorvane-cli. Every command but pack and font runs here; those two go, once their options are known to
// be right, to quorvane-cli-full, the program that has their libraries, so that the others start
// without loading oneTBB, FreeType and HarfBuzz and what those bring.
#include "cli/run.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <system_error>
#include <vector>
#include <unistd.h>

#ifndef QUORVANE_LIBEXEC_FROM_BIN
#define QUORVANE_LIBEXEC_FROM_BIN "../libexec/quorvane"
#endif

namespace {

namespace fs = std::filesystem;

constexpr const char* kFull = "quorvane-cli-full";

// Beside this program in the build tree; in libexec once installed.
std::vector<fs::path> fullProgramPlaces() {
    std::error_code ignored;
    const fs::path folder = fs::read_symlink("/proc/self/exe", ignored).parent_path();
    return {folder / kFull, (folder / QUORVANE_LIBEXEC_FROM_BIN / kFull).lexically_normal()};
}

// Runs the whole command line in place of this process; returns only when it cannot.
int handOver(char** argv) {
    const std::vector<fs::path> places = fullProgramPlaces();
    int error = ENOENT;
    for (const fs::path& place : places) {
        std::cout.flush();
        ::execv(place.c_str(), argv);
        if (errno != ENOENT) {
            error = errno;
            std::cerr << "quorvane-cli: cannot run " << place.string() << ": " << std::strerror(error) << '\n';
            return 1;
        }
    }
    std::cerr << "quorvane-cli: " << argv[1] << " is run by " << kFull << ", which is not installed in "
              << places.back().parent_path().string() << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const quorvane::cli::HandOver handOver{.pack = [argv](const auto&) { return ::handOver(argv); },
                                           .font = [argv](const auto&) { return ::handOver(argv); }};
    return quorvane::cli::run(args, std::cout, std::cerr, handOver);
}
