#pragma once

#include "cli/options.h"

#include <ostream>

namespace quorvane::cli {

// quorvane-cli pack: 0 written, 1 a picture or an output failed, 2 a usage error found on reading.
int runPack(const PackCommand& pack, std::ostream& out, std::ostream& err, bool errIsTerminal);

} // namespace quorvane::cli
