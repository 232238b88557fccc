#pragma once
// Shifts of signed 32-bit values, built from a table of bit masks so that no operation ever depends on
// what the language does with signed overflow: every intermediate value fits in 32 signed bits.

#include <array>
#include <cstdint>

namespace quorvane::Module1 {

// Entry i is the mask of the low i + 1 bits; entry 31 is all 32 bits (-1). Zero until the first left shift.
extern const std::array<std::int32_t, 32>& MaskTable;

void BuildMaskTable();

// The 32-bit pattern of value shifted left by count, bits past bit 31 lost, read back as signed.
// count must be 1 to 30; any other count throws std::out_of_range before anything is touched.
std::int32_t ShiftLeft(std::int32_t value, std::int16_t count);

// Logical right shift of the 32-bit pattern: zeros enter from the left, the result is never negative.
// count must be 1 to 30; any other count throws std::out_of_range.
std::int32_t ShiftRight(std::int32_t value, std::int16_t count);

} // namespace quorvane::Module1
