#include "codegen/format.h"

namespace quorvane::codegen {
namespace {

// k is half a step, so each part takes the components nearest it, ties going to the even part; a
// channel of eight bits has steps of one and takes the component as it is (round(c + 1) - 1 = c).
// clang-format off
constexpr ColorFormat kFormats[] = {
    //                          red            green          blue
    {Depth::Bits8,  "8",  {{{3, 3, 16, 32}, {3, 3, 16, 32}, {2, 2, 32, 64}}}, true},  // RRRGGGBB
    {Depth::Bits12, "12", {{{4, 4, 8, 16},  {4, 4, 8, 16},  {4, 4, 8, 16}}},  true},  // RRRRGGGG BBBB...
    {Depth::Bits16, "16", {{{5, 5, 4, 8},   {6, 6, 2, 4},   {5, 5, 4, 8}}},   false}, // RRRRRGGG GGGBBBBB
    {Depth::Bits18, "18", {{{6, 8, 2, 4},   {6, 8, 2, 4},   {6, 8, 2, 4}}},   false}, // RRRRRR00 GGGGGG00 BBBBBB00
    {Depth::Bits24, "24", {{{8, 8, 1, 1},   {8, 8, 1, 1},   {8, 8, 1, 1}}},   false}, // RRRRRRRR GGGGGGGG BBBBBBBB
};
// clang-format on

} // namespace

const ColorFormat& colorFormat(Depth depth) {
    for (const ColorFormat& format : kFormats) {
        if (format.depth == depth) return format;
    }
    return kFormats[0];
}

std::span<const ColorFormat> colorFormats() { return kFormats; }

std::string_view depthName(Depth depth) { return colorFormat(depth).name; }

std::optional<Depth> depthFromName(std::string_view name) {
    for (const ColorFormat& format : kFormats) {
        if (format.name == name) return format.depth;
    }
    return std::nullopt;
}

} // namespace quorvane::codegen
