#pragma once

#include <functional>
#include <ostream>
#include <span>
#include <string_view>

namespace quorvane::cli {

struct PackCommand;
struct FontCommand;

// Runs one quorvane-cli invocation (without the program name), every command in this process. Returns
// the exit status: 0 success, 1 an image or output failure, 2 a usage error.
int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

// pack needs oneTBB, font FreeType, HarfBuzz and fontconfig, which no other command uses: loading them
// costs every command a millisecond before it reads its picture. run() above runs them in the process;
// quorvane-cli hands them, once their options are known to be right, to a program that has them.
struct HandOver {
    std::function<int(const PackCommand&)> pack;
    std::function<int(const FontCommand&)> font;
};
int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err, const HandOver& handOver);

} // namespace quorvane::cli
