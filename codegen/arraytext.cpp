#include "codegen/arraytext.h"

#include "codegen/imagename.h"
#include "codegen/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <ostream>
#include <stdexcept>

namespace quorvane::codegen {
namespace {

// Collects numbers, each followed by a comma, in a small buffer and hands them to the sink in blocks:
// appending number by number costs more than the conversions on a 93,000-character line.
class NumberWriter {
public:
    NumberWriter(TextSink& sink, Radix radix) : sink_(sink), hex_(radix == Radix::Hex), bytes_(byteTexts(hex_)) {}
    ~NumberWriter() { flush(); }
    NumberWriter(const NumberWriter&) = delete;
    NumberWriter& operator=(const NumberWriter&) = delete;

    void put(std::int64_t value) {
        if (buffer_.size() - used_ < kWidest) flush();
        char* at = buffer_.data() + used_;
        at = hex_ ? putHex(at, value) : std::to_chars(at, buffer_.data() + buffer_.size(), value).ptr;
        *at++ = ',';
        used_ = static_cast<std::size_t>(at - buffer_.data());
    }

    // A byte's text from a table: most of an image's text is bytes, and a table beats converting each.
    void putByte(std::uint8_t value) {
        if (buffer_.size() - used_ < 8) flush();
        const ByteText& byte = bytes_[value];
        std::memcpy(buffer_.data() + used_, byte.text.data(), 8);
        used_ += byte.length;
    }

    // Bytes a block at a time: within a block the buffer has room for every one of them.
    void putBytes(std::span<const std::uint8_t> values) {
        while (!values.empty()) {
            std::size_t room = (buffer_.size() - used_) / 8;
            if (room == 0) flush(), room = buffer_.size() / 8;
            const std::size_t n = std::min(room, values.size());
            char* at = buffer_.data() + used_;
            for (const std::uint8_t value : values.first(n)) {
                const ByteText& byte = bytes_[value];
                std::memcpy(at, byte.text.data(), 8);
                at += byte.length;
            }
            used_ = static_cast<std::size_t>(at - buffer_.data());
            values = values.subspan(n);
        }
    }

    void text(std::string_view text) {
        if (buffer_.size() - used_ < text.size()) flush();
        if (text.size() > buffer_.size()) return sink_.write(text);
        text.copy(buffer_.data() + used_, text.size());
        used_ += text.size();
    }

    void flush() {
        if (used_ > 0) sink_.write({buffer_.data(), used_});
        used_ = 0;
    }

private:
    // "0x" and at least two upper-case digits: every byte value is four characters wide.
    static char* putHex(char* at, std::int64_t value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        if (value < 0) *at++ = '-', value = -value;
        *at++ = '0', *at++ = 'x';
        const auto v = static_cast<std::uint64_t>(value);
        int digits = 2;
        while (digits < 16 && (v >> (4 * digits)) != 0) ++digits;
        for (int d = digits - 1; d >= 0; --d) *at++ = kDigits[(v >> (4 * d)) & 0xF];
        return at;
    }

    struct ByteText {
        std::array<char, 8> text{};
        std::size_t length = 0;
    };
    using ByteTexts = std::array<ByteText, 256>;
    static const ByteTexts& byteTexts(bool inHex) {
        const auto make = [](bool hex) {
            ByteTexts texts;
            for (int v = 0; v < 256; ++v) {
                ByteText& t = texts[static_cast<std::size_t>(v)];
                char* end = hex ? putHex(t.text.data(), v) : std::to_chars(t.text.data(), t.text.data() + 8, v).ptr;
                *end++ = ',';
                t.length = static_cast<std::size_t>(end - t.text.data());
            }
            return texts;
        };
        static const ByteTexts decimal = make(false), hexadecimal = make(true);
        return inHex ? hexadecimal : decimal;
    }

    static constexpr std::size_t kWidest = 22; // "-0x8000000000000000,"
    TextSink& sink_;
    bool hex_;
    const ByteTexts& bytes_;
    std::array<char, 16384> buffer_;
    std::size_t used_ = 0;
};

constexpr std::string_view kIndent = "    ";

// The value past the data that every image array ends with; no comma after it.
std::string_view closingValue(Radix radix) { return radix == Radix::Hex ? "0x00" : "0"; }

} // namespace

std::string_view targetName(Target target) {
    switch (target) {
    case Target::Arm:
        return "arm";
    case Target::Avr:
        return "avr";
    case Target::Pic:
        break;
    }
    return "pic";
}

std::optional<Target> targetFromName(std::string_view name) {
    for (Target target : {Target::Pic, Target::Arm, Target::Avr}) {
        if (name == targetName(target)) return target;
    }
    return std::nullopt;
}

std::string_view radixName(Radix radix) { return radix == Radix::Hex ? "hex" : "dec"; }

std::optional<Radix> radixFromName(std::string_view name) {
    if (name == "dec") return Radix::Decimal;
    if (name == "hex") return Radix::Hex;
    return std::nullopt;
}

std::string arrayDeclarator(Target target, std::string_view identifier, std::size_t count) {
    std::string text = target == Target::Pic ? "unsigned rom char " : "const unsigned char ";
    text.append(identifier).append("[").append(decimalText(static_cast<std::int64_t>(count))).append("]");
    if (target == Target::Avr) text += " PROGMEM"; // kept in flash, read with pgm_read_byte
    return text;
}

std::optional<std::string_view> targetInclude(Target target) {
    if (target == Target::Avr) return "<avr/pgmspace.h>";
    return std::nullopt;
}

namespace {

// The includes, the declaration and the columns of an array of that identifier, used as it stands.
ArrayText frameOf(std::string_view identifier, Target target, std::size_t count, const TextLayout& layout) {
    ArrayText text;
    if (!layout.headerName.empty()) text.includes.push_back("#include \"" + layout.headerName + "\"");
    if (const auto include = targetInclude(target)) text.includes.push_back("#include " + std::string(*include));
    text.declaration = arrayDeclarator(target, identifier, count) + " = {";
    text.columns = layout.columns;
    return text;
}

} // namespace

std::string ArrayText::joined(std::string_view eol) const {
    std::string text;
    text.reserve(declaration.size() + valueLine.size() + valueLine.size() / 8 + 64);
    for (const std::string& line : includes) text.append(line).append(eol);
    text.append(declaration).append(eol);
    if (columns <= 0) {
        text.append(valueLine);
    } else {
        // The value line already has every comma in place; a line ends after every columns-th.
        text.append(kIndent);
        int onLine = 0;
        for (const char c : valueLine) {
            text += c;
            if (c == ',' && ++onLine == columns) {
                text.append(eol).append(kIndent);
                onLine = 0;
            }
        }
    }
    text.append(eol).append("};");
    for (const std::string& line : trailer) text.append(eol).append(line);
    return text;
}

std::size_t declaredCount(std::size_t sizeByteCount, std::size_t packedCount) {
    return sizeByteCount + packedCount + 2;
}

std::optional<std::string> targetRefusal(Target target, std::size_t count) {
    if (target != Target::Avr || count <= kAvrLargestObject) return std::nullopt;
    return "the array of " + decimalText(static_cast<std::int64_t>(count)) +
           " bytes is larger than avr-gcc takes in one object (" +
           decimalText(static_cast<std::int64_t>(kAvrLargestObject)) + " bytes)";
}

void ArrayText::write(std::ostream& out, std::string_view eol) const {
    if (columns > 0) {
        out << joined(eol);
        return;
    }
    for (const std::string& line : includes) out << line << eol;
    out << declaration << eol << valueLine << eol << "};";
    for (const std::string& line : trailer) out << eol << line;
}

ArrayText arrayFrame(std::string_view imageName, Target target, std::size_t declaredCount, const TextLayout& layout) {
    return frameOf(cIdentifier(imageName), target, declaredCount, layout);
}

ArrayText arrayText(std::string_view imageName, Target target, std::span<const std::uint8_t> sizeBytes,
                    std::span<const std::int32_t> packed, const TextLayout& layout) {
    ArrayText text = arrayFrame(imageName, target, declaredCount(sizeBytes.size(), packed.size()), layout);
    std::string& line = text.valueLine;
    line.reserve(packed.size() * (layout.radix == Radix::Hex ? 5 : 4) + 32);
    {
        StringSink sink(line);
        NumberWriter numbers(sink, layout.radix);
        for (const std::uint8_t size : sizeBytes) numbers.putByte(size);
        for (std::int32_t value : packed) numbers.put(value);
    }
    line += closingValue(layout.radix);
    return text;
}

void writeArrayText(TextSink& sink, const ArrayText& frame, Radix radix, std::span<const std::uint8_t> values,
                    std::size_t zeros, std::string_view eol) {
    NumberWriter out(sink, radix);
    for (const std::string& line : frame.includes) out.text(line), out.text(eol);
    out.text(frame.declaration);
    out.text(eol);
    // joined()'s lines: a break after every columns-th comma, each line indented.
    const std::size_t columns = frame.columns > 0 ? static_cast<std::size_t>(frame.columns) : 0;
    if (columns > 0) out.text(kIndent);
    std::size_t onLine = 0;
    const auto put = [&](std::uint8_t value) {
        out.putByte(value);
        if (++onLine == columns) out.text(eol), out.text(kIndent), onLine = 0;
    };
    if (columns == 0) {
        out.putBytes(values);
        for (std::size_t i = 0; i < zeros; ++i) out.putByte(0);
    } else {
        for (const std::uint8_t value : values) put(value);
        for (std::size_t i = 0; i < zeros; ++i) put(0);
    }
    out.text(closingValue(radix));
    out.text(eol);
    out.text("};");
    for (const std::string& line : frame.trailer) out.text(eol), out.text(line);
}

ArrayText byteArrayText(std::string_view identifier, Target target, std::span<const std::uint8_t> bytes,
                        const TextLayout& layout) {
    ArrayText text = frameOf(identifier, target, bytes.size(), layout);
    std::string& line = text.valueLine;
    line.reserve(bytes.size() * (layout.radix == Radix::Hex ? 5 : 4) + 8);
    {
        StringSink sink(line);
        NumberWriter numbers(sink, layout.radix);
        numbers.putBytes(bytes);
    }
    if (!line.empty()) line.pop_back(); // no comma after the last
    return text;
}

void fillFileValues(std::span<std::int16_t> fileValues, std::span<const std::uint8_t> sizeBytes,
                    std::span<const std::int32_t> packed) {
    const std::size_t lead = sizeBytes.size();
    if (fileValues.size() < lead + packed.size() + 1) {
        throw std::length_error("fillFileValues: " + std::to_string(packed.size()) +
                                " values do not fit the file image");
    }
    for (std::size_t i = 0; i < lead; ++i) fileValues[i] = static_cast<std::int16_t>(sizeBytes[i]);
    for (std::size_t i = 0; i < packed.size(); ++i) fileValues[lead + i] = static_cast<std::int16_t>(packed[i]);
    fileValues[lead + packed.size()] = 0;
}

} // namespace quorvane::codegen
