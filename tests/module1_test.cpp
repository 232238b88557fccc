#include "codegen/module1.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using namespace quorvane::Module1;

namespace {

struct ShiftCase {
    const char* name;
    std::int32_t value;
    std::int16_t count;
    std::int32_t expected;
};

constexpr ShiftCase leftCases[] = {
    {"small value", 5, 3, 0x28},
    {"high nibble lost", 0x12345678, 4, 591751040},
    {"nibble into sign bits", 0x0F000000, 4, -268435456},
    {"bit 30 becomes the sign", 0x40000000, 1, INT32_MIN},
    {"largest count", 3, 30, -1073741824},
    {"minus one", -1, 1, -2},
    {"component by five", 255, 5, 8160},
    {"bits above bit 31 lost", 0x7FFFFFFF, 1, -2},
    {"minus one by thirty", -1, 30, static_cast<std::int32_t>(0xC0000000u)},
    {"zero stays zero", 0, 17, 0},
};

constexpr ShiftCase rightCases[] = {
    {"component by three", 255, 3, 31},
    {"nibble", 0x12345678, 4, 19088743},
    {"negative becomes positive", -8, 1, 2147483644},
    {"minus one by one", -1, 1, 2147483647},
    {"sign bit alone", INT32_MIN, 1, 1073741824},
    {"sign bit by thirty", INT32_MIN, 30, 2},
    {"minus one by thirty", -1, 30, 3},
    {"one by one", 1, 1, 0},
    {"minus two by three", -2, 3, 536870911},
    {"largest positive by thirty", 0x7FFFFFFF, 30, 1},
};

} // namespace

TEST(Module1, ShiftLeftWorkedExamples) {
    for (const auto& c : leftCases) {
        EXPECT_EQ(ShiftLeft(c.value, c.count), c.expected) << c.name;
    }
}

TEST(Module1, ShiftRightWorkedExamples) {
    for (const auto& c : rightCases) {
        EXPECT_EQ(ShiftRight(c.value, c.count), c.expected) << c.name;
    }
}

TEST(Module1, MaskTableHoldsTheLowBitMasksAfterAShift) {
    ShiftLeft(1, 1);
    for (std::size_t i = 0; i <= 30; ++i) {
        EXPECT_EQ(MaskTable[i], static_cast<std::int32_t>((std::uint64_t{1} << (i + 1)) - 1)) << "entry " << i;
    }
    EXPECT_EQ(MaskTable[30], 2147483647);
    EXPECT_EQ(MaskTable[31], -1);
}

// The masks and divisions must agree with plain unsigned shifts for every value and count.
TEST(Module1, ShiftsEqualUnsignedShiftsOfTheBitPattern) {
    std::mt19937 random(20261207);
    std::uniform_int_distribution<std::uint32_t> pattern;
    for (int i = 0; i < 2000; ++i) {
        const std::uint32_t bits = i < 4 ? std::uint32_t{0xFFFFFFFFu} >> i : pattern(random);
        const auto value = static_cast<std::int32_t>(bits);
        for (std::int16_t count = 1; count <= 30; ++count) {
            ASSERT_EQ(ShiftLeft(value, count), static_cast<std::int32_t>(bits << count)) << bits << " << " << count;
            ASSERT_EQ(ShiftRight(value, count), static_cast<std::int32_t>(bits >> count)) << bits << " >> " << count;
        }
    }
}

TEST(Module1, CountsOutsideOneToThirtyAreRejectedWithoutTouchingTheTable) {
    ShiftLeft(1, 1);
    const auto before = MaskTable;
    for (std::int16_t count : {std::int16_t{0}, std::int16_t{31}, std::int16_t{-1}, std::int16_t{32767}}) {
        EXPECT_THROW(ShiftLeft(1, count), std::out_of_range) << count;
        EXPECT_THROW(ShiftRight(1, count), std::out_of_range) << count;
    }
    EXPECT_EQ(MaskTable, before);
}

TEST(Module1, BuildMaskTableIsRepeatable) {
    BuildMaskTable();
    const auto first = MaskTable;
    BuildMaskTable();
    EXPECT_EQ(MaskTable, first);
}
