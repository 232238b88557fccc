#include "codegen/numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace quorvane::codegen;

TEST(Numbers, NumericValueOfTexts) {
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"", 0},         {"abc", 0},         {"12abc", 12},     {" 86", 86},        {"86 ", 86},
        {"1 2 3", 123},  {"12.5", 12.5},     {".5", 0.5},       {"5.", 5},          {"-7", -7},
        {"+7", 7},       {"- 7", -7},        {"1e2", 100},      {"1E+2", 100},      {"25e-1", 2.5},
        {"12e", 12},     {"12e+", 12},       {"3 . 5", 3.5},    {"1.2.3", 1.2},     {"\t4\n2", 42},
        {"-", 0},        {".", 0},           {"+.e5", 0},       {"0x1F", 0},        {"255.5", 255.5},
        {"007", 7},      {"1,5", 1},         {"--1", 0},        {"256", 256},       {"1 e 2", 100},
    };
    for (const auto& c : cases) EXPECT_EQ(numericValue(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Numbers, NumericValueBeyondADouble) {
    EXPECT_EQ(numericValue("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(numericValue("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(numericValue("1e-999"), 0.0);
    EXPECT_EQ(numericValue(std::string(400, '9')), std::numeric_limits<double>::infinity());
}

TEST(Numbers, NumericValueIgnoresTheProcessLocale) {
    // A desktop session in a comma-decimal locale must still read "12.5" as twelve and a half.
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(numericValue("12.5"), 12.5);
    if (previous) std::setlocale(LC_NUMERIC, "C");
}

TEST(Numbers, RoundHalfEven) {
    struct Case {
        double value;
        double expected;
    };
    const Case cases[] = {{2.5, 2},   {3.5, 4},   {-0.5, 0}, {-1.5, -2}, {0.5, 0},    {1.5, 2},
                          {2.4, 2},   {2.6, 3},   {-2.6, -3}, {28.5, 28}, {12.5, 12}, {0.49999, 0},
                          {255, 255}, {-2.5, -2}, {1e15 + 0.5, 1e15}};
    for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.value), c.expected) << c.value;
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.5))) << "no negative zero";
}

TEST(Numbers, IntegerConversionsRefuseWhatDoesNotFit) {
    EXPECT_EQ(toInt16(32767.4), 32767);
    EXPECT_EQ(toInt16(-32768.5), -32768);
    EXPECT_EQ(toInt16(32767.5), std::nullopt);
    EXPECT_EQ(toInt16(std::numeric_limits<double>::infinity()), std::nullopt);
    EXPECT_EQ(toInt16(std::nan("")), std::nullopt);
    EXPECT_EQ(toInt32(2147483647.0), 2147483647);
    EXPECT_EQ(toInt32(2147483648.0), std::nullopt);
    EXPECT_EQ(toInt32(-2147483648.0), INT32_MIN);
}

TEST(Numbers, DecimalAndHexadecimalTexts) {
    EXPECT_EQ(decimalText(0), "0");
    EXPECT_EQ(decimalText(-12), "-12");
    EXPECT_EQ(decimalText(52272), "52272");
    EXPECT_EQ(hexText(0), "0");
    EXPECT_EQ(hexText(0xE0), "E0");
    EXPECT_EQ(hexText(0x0F0), "F0");
    EXPECT_EQ(hexText(0xFF0000), "FF0000");
    EXPECT_EQ(hexText(0xFFFFFFFFu), "FFFFFFFF");
}
