// quorvane-cli-full: every command of quorvane-cli in one program, which quorvane-cli runs for pack and
// font.
#include "cli/run.h"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    return quorvane::cli::run(args, std::cout, std::cerr);
}
