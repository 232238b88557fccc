#include "codegen/module1.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace quorvane::Module1 {
namespace {

std::array<std::int32_t, 32> maskStorage{};

void requireCount(std::int16_t count, const char* operation) {
    if (count < 1 || count > 30) {
        throw std::out_of_range(std::string(operation) + ": shift count " + std::to_string(count) +
                                " is outside 1 to 30");
    }
}

std::int32_t powerOfTwo(int exponent) { return static_cast<std::int32_t>(std::int64_t{1} << exponent); }

} // namespace

const std::array<std::int32_t, 32>& MaskTable = maskStorage;

void BuildMaskTable() {
    std::int32_t running = 0;
    for (int i = 0; i <= 30; ++i) {
        running += powerOfTwo(i);
        maskStorage[static_cast<std::size_t>(i)] = running;
    }
    // 0x7FFFFFFF + (-2^31): opposite signs, so the sum (-1) cannot overflow.
    maskStorage[31] = running + std::numeric_limits<std::int32_t>::min();
}

std::int32_t ShiftLeft(std::int32_t value, std::int16_t count) {
    requireCount(count, "ShiftLeft");
    // Building the table once gives the same values as building it on every call, and keeps the
    // packing loops of a whole image cheap.
    static const bool built = (BuildMaskTable(), true);
    (void)built;

    const bool arrivesInSignBit = (value & powerOfTwo(31 - count)) != 0;
    if (arrivesInSignBit) {
        const std::int64_t kept = value & MaskTable[static_cast<std::size_t>(30 - count)];
        return static_cast<std::int32_t>(kept * powerOfTwo(count)) | std::numeric_limits<std::int32_t>::min();
    }
    const std::int64_t kept = value & MaskTable[static_cast<std::size_t>(31 - count)];
    return static_cast<std::int32_t>(kept * powerOfTwo(count));
}

std::int32_t ShiftRight(std::int32_t value, std::int16_t count) {
    requireCount(count, "ShiftRight");
    const std::int32_t high = value < 0 ? 0x40000000 : 0;
    return ((value & 0x7FFFFFFE) / powerOfTwo(count)) | (high / powerOfTwo(count - 1));
}

} // namespace quorvane::Module1
