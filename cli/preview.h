#pragma once
// The picture as the display will show it, and its PNG file.

#include "codegen/reduce.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvane::cli {

// Every part expanded back to 8 bits per component: round(part * 255 / largest part of its channel).
// Returns R, G, B bytes per pixel.
std::vector<std::uint8_t> displayedComponents(std::span<const std::int32_t> parts, codegen::Depth depth);

// The bytes of an 8-bit RGB PNG; nullopt with the reason in `error` when libpng refuses.
std::optional<std::vector<std::uint8_t>> encodePng(int width, int height, std::span<const std::uint8_t> rgb,
                                                   std::string& error);

} // namespace quorvane::cli
