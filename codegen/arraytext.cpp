#include "codegen/arraytext.h"

#include "codegen/imagename.h"
#include "codegen/numbers.h"

#include <array>
#include <charconv>
#include <stdexcept>

namespace quorvane::codegen {
namespace {

// Collects numbers, each followed by a comma, in a small buffer and hands them to the line in blocks:
// appending number by number costs more than the conversions on a 93,000-character line.
class NumberWriter {
public:
    explicit NumberWriter(std::string& line) : line_(line) {}
    ~NumberWriter() { flush(); }
    NumberWriter(const NumberWriter&) = delete;
    NumberWriter& operator=(const NumberWriter&) = delete;

    void put(std::int64_t value) {
        if (buffer_.size() - used_ < kWidest) flush();
        char* at = std::to_chars(buffer_.data() + used_, buffer_.data() + buffer_.size(), value).ptr;
        *at++ = ',';
        used_ = static_cast<std::size_t>(at - buffer_.data());
    }

    void flush() {
        line_.append(buffer_.data(), used_);
        used_ = 0;
    }

private:
    static constexpr std::size_t kWidest = 21; // "-9223372036854775808,"
    std::string& line_;
    std::array<char, 4096> buffer_;
    std::size_t used_ = 0;
};

} // namespace

std::string ArrayText::joined(std::string_view eol) const {
    std::string text;
    text.reserve(declaration.size() + valueLine.size() + 2 * eol.size() + 2);
    text.append(declaration).append(eol).append(valueLine).append(eol).append("};");
    return text;
}

ArrayText arrayText(std::string_view imageName, Target target, int height, int width,
                    std::span<const std::int32_t> packed) {
    ArrayText text;
    text.declaration = target == Target::Pic ? "unsigned rom char " : "const unsigned char ";
    text.declaration += cIdentifier(imageName);
    text.declaration += '[' + decimalText(static_cast<std::int64_t>(packed.size()) + 4) + "] = {";

    std::string& line = text.valueLine;
    line.reserve(packed.size() * 4 + 16);
    {
        NumberWriter numbers(line);
        numbers.put(std::int64_t{height} - 1);
        numbers.put(std::int64_t{width} - 1);
        for (std::int32_t value : packed) numbers.put(value);
    }
    line += '0'; // the closing value past the data; no comma after it
    return text;
}

void fillFileValues(std::span<std::int16_t> fileValues, int height, int width, std::span<const std::int32_t> packed) {
    if (fileValues.size() < packed.size() + 3) {
        throw std::length_error("fillFileValues: " + std::to_string(packed.size()) +
                                " values do not fit the file image");
    }
    fileValues[0] = static_cast<std::int16_t>(height - 1);
    fileValues[1] = static_cast<std::int16_t>(width - 1);
    for (std::size_t i = 0; i < packed.size(); ++i) fileValues[i + 2] = static_cast<std::int16_t>(packed[i]);
    fileValues[packed.size() + 2] = 0;
}

} // namespace quorvane::codegen
