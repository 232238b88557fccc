#pragma once
// What the user names on the command line or drops on the window, made into the pack's assets: a
// folder becomes one asset a picture, in natural name order, and every asset gets a C name of its own.

#include "packs/build.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane::packs {

struct PackInput {
    enum class Kind { Path, Frames, Sheet };
    Kind kind = Kind::Path;
    std::string path;
    std::optional<int> delayMs;        // each frame's, for Frames (100 unless given) and Sheet (0)
    int tileWidth = 0, tileHeight = 0; // Sheet
};

// "icon2" before "icon10": runs of digits compare by their value, everything else byte by byte.
bool naturalLess(std::string_view a, std::string_view b);

// The pictures of a folder (not its subfolders), recognised by their content, in natural name order.
std::vector<std::string> picturesIn(const std::string& folder);

// Each name made a C identifier ("my-icon" gives my_icon, "1up" gives _1up); a name met again, in any
// case, gets _2, _3, ... in input order, and so does one whose NAME_<ASSET> constants would clash with
// another's or with NAME_COUNT.
std::vector<std::string> assetNames(const std::vector<std::string>& wanted);

// The sources in input order, named; a message naming the file or folder that is not a picture.
std::variant<std::vector<AssetSource>, std::string> assetSources(const std::vector<PackInput>& inputs);

} // namespace quorvane::packs
