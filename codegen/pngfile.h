#pragma once
// The preview's PNG file: the panel view that `quorvane-cli --preview` and the preview window save.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvane::codegen {

// The bytes of an 8-bit RGB PNG; nullopt with the reason in `error` when libpng refuses.
std::optional<std::vector<std::uint8_t>> encodePng(int width, int height, std::span<const std::uint8_t> rgb,
                                                   std::string& error);
// The same with each row asked for as it is written: rows(y, rgb) fills row y's 3 * width bytes, from the top.
std::optional<std::vector<std::uint8_t>> encodePng(int width, int height,
                                                   const std::function<void(int, std::span<std::uint8_t>)>& rows,
                                                   std::string& error);

} // namespace quorvane::codegen
