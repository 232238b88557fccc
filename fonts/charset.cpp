#include "fonts/charset.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace quorvane::fonts {
namespace {

std::optional<char32_t> parseCodePoint(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || value > kLastCodePoint) return std::nullopt;
    return static_cast<char32_t>(value);
}

} // namespace

std::optional<CodeRange> parseRange(std::string_view text) {
    const auto dash = text.find('-');
    const auto first = parseCodePoint(text.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : parseCodePoint(text.substr(dash + 1));
    if (!first || !last || *last < *first) return std::nullopt;
    return CodeRange{*first, *last};
}

std::optional<std::vector<CodeRange>> parseRanges(std::string_view text) {
    std::vector<CodeRange> ranges;
    while (true) {
        const auto comma = text.find(',');
        const auto range = parseRange(text.substr(0, comma));
        if (!range) return std::nullopt;
        ranges.push_back(*range);
        if (comma == std::string_view::npos) return ranges;
        text.remove_prefix(comma + 1);
    }
}

Decoded decodeUtf8(std::string_view text) {
    Decoded out;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int more = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2 : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
        if (more < 0 || i + static_cast<std::size_t>(more) >= text.size()) {
            out.badByte = i;
            return out;
        }
        char32_t c = more == 0 ? lead : lead & (0x3Fu >> more);
        for (int k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                out.badByte = i;
                return out;
            }
            c = c << 6 | (next & 0x3Fu);
        }
        const char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (c < smallest[more] || c > kLastCodePoint || (c >= 0xD800 && c < 0xE000)) {
            out.badByte = i;
            return out;
        }
        out.text += c;
        i += static_cast<std::size_t>(more) + 1;
    }
    return out;
}

bool isControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

std::string utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string describe(char32_t c) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
    if (isControl(c) || c == ' ' || (c >= 0xD800 && c < 0xE000)) return code;
    return std::string(code) + " " + utf8(c);
}

std::vector<char32_t> printableAscii() {
    std::vector<char32_t> chars;
    for (char32_t c = 0x20; c <= 0x7E; ++c) chars.push_back(c);
    return chars;
}

std::variant<std::vector<char32_t>, std::string> gatherCharacters(const std::vector<CodeRange>& ranges,
                                                                  const std::vector<std::string>& texts,
                                                                  const std::vector<std::string>& files) {
    std::set<char32_t> chars;
    for (const CodeRange& range : ranges) {
        for (char32_t c = range.first; c <= range.last; ++c) chars.insert(c);
    }
    const auto addText = [&](std::u32string_view text) {
        for (const char32_t c : text) {
            if (!isControl(c)) chars.insert(c);
        }
    };
    for (const std::string& text : texts) addText(decodeUtf8(text).text);
    for (const std::string& file : files) {
        std::error_code error;
        const bool regular = std::filesystem::is_regular_file(file, error);
        std::ifstream in(file, std::ios::binary);
        std::string text;
        if (regular && in) text.assign(std::istreambuf_iterator<char>(in), {});
        if (!regular || !in.is_open() || in.bad()) return file + ": cannot be read";
        const Decoded decoded = decodeUtf8(text);
        if (decoded.badByte) return file + ": not UTF-8 text (byte " + std::to_string(*decoded.badByte) + ")";
        addText(decoded.text);
    }
    if (ranges.empty() && texts.empty() && files.empty()) return printableAscii();
    return std::vector<char32_t>(chars.begin(), chars.end());
}

} // namespace quorvane::fonts
