#pragma once
// The C array source that a firmware project compiles, and the file image that "Make Header File" writes.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quorvane::codegen {

enum class Target { Pic, Arm };

struct ArrayText {
    std::string declaration; // "unsigned rom char logo[7] = {"
    std::string valueLine;   // "0,1,240,3,0,0": height - 1, width - 1, the packed values, a closing 0

    // declaration, eol, value line, eol, "};" (no line end after the closing line)
    std::string joined(std::string_view eol) const;
};

// The declaration's count is the number of packed values + 4, one more than the values listed: C fills
// the last element with 0. The name is made a valid C identifier.
ArrayText arrayText(std::string_view imageName, Target target, int height, int width,
                    std::span<const std::int32_t> packed);

// Writes height - 1, width - 1, the packed values and a closing 0 into entries 0 to packed.size() + 2 of
// fileValues, leaving the entries above as they were. Throws std::length_error if fileValues is too short.
void fillFileValues(std::span<std::int16_t> fileValues, int height, int width, std::span<const std::int32_t> packed);

} // namespace quorvane::codegen
