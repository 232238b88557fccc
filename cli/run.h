#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace quorvane::cli {

// Runs one quorvane-cli invocation (without the program name). Returns the exit status:
// 0 success, 1 an image or output failure, 2 a usage error.
int run(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

} // namespace quorvane::cli
