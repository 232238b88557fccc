#pragma once
// The fonts installed on this computer, as fontconfig lists them: what the Font window offers beside a
// font file of the user's own.

#include <string>
#include <vector>

namespace quorvane::fonts {

struct SystemFont {
    std::string family, style, file;
    bool operator==(const SystemFont&) const = default;
};

// Every scalable or bitmap font file fontconfig knows, by family, then style; each file once.
std::vector<SystemFont> systemFonts();

} // namespace quorvane::fonts
