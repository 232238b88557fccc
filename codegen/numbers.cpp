#include "codegen/numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace quorvane::codegen {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

template <typename Int> std::optional<Int> toInteger(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        return std::nullopt;
    }
    return static_cast<Int>(rounded);
}

// Roughly log10 of a well-formed number text: its integer digits (leading zeros not counted) plus its
// exponent. Only its sign matters, to tell a number too large for a double from one too small.
double decimalMagnitude(std::string_view number) {
    std::size_t i = (number[0] == '+' || number[0] == '-') ? 1 : 0;
    while (i < number.size() && number[i] == '0') ++i;
    double integerDigits = 0;
    while (i < number.size() && isDigit(number[i])) ++i, ++integerDigits;
    if (integerDigits == 0) {
        if (i < number.size() && number[i] == '.') ++i;
        while (i < number.size() && number[i] == '0') ++i, --integerDigits;
    }
    const std::size_t e = number.find_first_of("eE");
    double exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = number.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) digits.remove_prefix(1);
        for (char c : digits) exponent = exponent * 10 + (c - '0');
        if (negative) exponent = -exponent;
    }
    return integerDigits + exponent;
}

} // namespace

double numericValue(std::string_view text) {
    // Squeeze out the blanks first; what remains is scanned for the longest number at its start.
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!isBlank(c)) s.push_back(c);
    }

    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isDigit(s[i])) ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t exponentStart = j;
        while (j < s.size() && isDigit(s[j])) ++j;
        if (j > exponentStart) end = j; // "12e" is 12: an exponent without digits is not part of the number
    }

    const char* first = s.data();
    if (*first == '+') ++first; // from_chars does not take a leading plus
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(first, s.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        // Beyond a double: the magnitude's order tells overflow (infinite) from underflow (zero).
        const bool negative = s[0] == '-';
        const double magnitude = decimalMagnitude(std::string_view(s).substr(0, end));
        if (magnitude > 0) {
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        }
        return negative ? -0.0 : 0.0;
    }
    (void)ptr;
    return value;
}

double roundHalfEven(double value) {
    if (!std::isfinite(value)) return value;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    return whole == 0.0 ? 0.0 : whole;
}

std::optional<std::int16_t> toInt16(double value) { return toInteger<std::int16_t>(value); }
std::optional<std::int32_t> toInt32(double value) { return toInteger<std::int32_t>(value); }

std::string decimalText(std::int64_t value) { return std::to_string(value); }

std::string hexText(std::uint32_t value) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), digits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

} // namespace quorvane::codegen
