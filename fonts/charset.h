#pragma once
// The characters a font is made of: ranges of code points, UTF-8 text, the words that name them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quorvane::fonts {

struct CodeRange {
    char32_t first = 0, last = 0;
};

inline constexpr char32_t kLastCodePoint = 0x10FFFF;

// "0x41-0x5A", "65-90", "0x41" or "65": code points in hex or decimal, first <= last <= U+10FFFF.
std::optional<CodeRange> parseRange(std::string_view text);
// Ranges separated by commas: "0xF011,0xF0E7-0xF0E9".
std::optional<std::vector<CodeRange>> parseRanges(std::string_view text);

// The code points of UTF-8 text, or the offset of the first byte that is not UTF-8.
struct Decoded {
    std::u32string text;
    std::optional<std::size_t> badByte;
};
Decoded decodeUtf8(std::string_view text);

// C0 and C1 controls and DEL: what a file of the interface's strings holds that no font draws.
bool isControl(char32_t c);

std::string utf8(char32_t c);
// "U+00E9 é": the code point, and the character when it can stand in a message.
std::string describe(char32_t c);

// Printable ASCII, 0x20 to 0x7E: what a font holds when no characters are named.
std::vector<char32_t> printableAscii();

// Every character that ranges, UTF-8 texts and UTF-8 files name, in order, each once; printable ASCII when
// none is named. Texts and files give up their controls, which no font draws. A file that cannot be read
// or is not UTF-8 is the reason returned.
std::variant<std::vector<char32_t>, std::string> gatherCharacters(const std::vector<CodeRange>& ranges,
                                                                  const std::vector<std::string>& texts,
                                                                  const std::vector<std::string>& files);

} // namespace quorvane::fonts
