#pragma once
// The number rules shared by every place that turns a control's text into a number and back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::codegen {

// The value of the number a text begins with: blanks are ignored wherever they stand, a period is the
// decimal point, a sign and an exponent are optional. A text that does not begin with a number is 0,
// so "12abc" is 12, "abc" and "" are 0, " 86" is 86. Independent of the process locale.
double numericValue(std::string_view text);

// Nearest whole number, an exact half going to the even neighbour: 2.5 -> 2, 3.5 -> 4, -0.5 -> 0.
double roundHalfEven(double value);

// roundHalfEven, then the integer of that width; nullopt when the result does not fit (or is not a number).
std::optional<std::int16_t> toInt16(double value);
std::optional<std::int32_t> toInt32(double value);

// Digits, with a leading minus for a negative value; no blank.
std::string decimalText(std::int64_t value);

// Upper-case hexadecimal digits of the 32-bit pattern, no leading zeros; zero is "0".
std::string hexText(std::uint32_t value);

} // namespace quorvane::codegen
