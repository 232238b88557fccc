#include "codegen/arraytext.h"

#include "codegen/imagename.h"
#include "codegen/numbers.h"

#include <charconv>
#include <stdexcept>

namespace quorvane::codegen {
namespace {

std::int64_t sizeLessOne(std::string_view sizeText) {
    return static_cast<std::int64_t>(numericValue(sizeText) - 1);
}

void appendNumber(std::string& line, std::int64_t value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    line.append(digits, end);
    line += ',';
}

} // namespace

std::string ArrayText::joined(std::string_view eol) const {
    std::string text;
    text.reserve(declaration.size() + valueLine.size() + 2 * eol.size() + 2);
    text.append(declaration).append(eol).append(valueLine).append(eol).append("};");
    return text;
}

ArrayText arrayText(std::string_view imageName, Target target, std::string_view heightText,
                    std::string_view widthText, std::span<const std::int32_t> packed) {
    ArrayText text;
    text.declaration = target == Target::Pic ? "unsigned rom char " : "const unsigned char ";
    text.declaration += cIdentifier(imageName);
    text.declaration += '[' + decimalText(static_cast<std::int64_t>(packed.size()) + 4) + "] = {";

    std::string& line = text.valueLine;
    line.reserve(packed.size() * 4 + 16);
    appendNumber(line, sizeLessOne(heightText));
    appendNumber(line, sizeLessOne(widthText));
    for (std::int32_t value : packed) appendNumber(line, value);
    line += '0'; // the closing value past the data; no comma after it
    return text;
}

void fillFileValues(std::span<std::int16_t> fileValues, std::string_view heightText, std::string_view widthText,
                    std::span<const std::int32_t> packed) {
    if (fileValues.size() < packed.size() + 3) {
        throw std::length_error("fillFileValues: " + std::to_string(packed.size()) +
                                " values do not fit the file image");
    }
    fileValues[0] = static_cast<std::int16_t>(sizeLessOne(heightText));
    fileValues[1] = static_cast<std::int16_t>(sizeLessOne(widthText));
    for (std::size_t i = 0; i < packed.size(); ++i) fileValues[i + 2] = static_cast<std::int16_t>(packed[i]);
    fileValues[packed.size() + 2] = 0;
}

} // namespace quorvane::codegen
