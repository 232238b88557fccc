#pragma once
// The pack as C source and header for the firmware project.

#include "codegen/arraytext.h"
#include "packs/pack.h"

#include <string>
#include <string_view>

namespace quorvane::packs {

// The array of the pack's bytes, exactly (no closing value): sizeof NAME is the pack's length.
codegen::ArrayText packSource(std::string_view identifier, codegen::Target target, std::span<const std::uint8_t> bytes,
                              const codegen::TextLayout& layout);

// An include guard, quorvane_decode.h, the array declared extern, NAME_SIZE, the assets' enum
// (NAME_<ASSET> = i, ..., NAME_COUNT) and each asset's NAME_<ASSET>_WIDTH, _HEIGHT and _FRAMES.
std::string packHeader(std::string_view headerName, std::string_view identifier, codegen::Target target, const Pack& pack,
                       std::size_t bytes);

} // namespace quorvane::packs
