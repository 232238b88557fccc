#pragma once
// The preview's PNG file.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvane::cli {

// The bytes of an 8-bit RGB PNG; nullopt with the reason in `error` when libpng refuses.
std::optional<std::vector<std::uint8_t>> encodePng(int width, int height, std::span<const std::uint8_t> rgb,
                                                   std::string& error);

} // namespace quorvane::cli
