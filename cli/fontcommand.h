#pragma once

#include "cli/options.h"

#include <ostream>

namespace quorvane::cli {

// quorvane-cli font: 0 written, 1 a font, a character list or an output failed (or, with --strict, a
// character is missing).
int runFont(const FontCommand& font, std::ostream& out, std::ostream& err, bool errIsTerminal);

} // namespace quorvane::cli
