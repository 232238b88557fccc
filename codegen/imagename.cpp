#include "codegen/imagename.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace quorvane::codegen {
namespace {

// C17 and C23 keywords, and the storage qualifier that PIC compilers reserve.
constexpr std::array<std::string_view, 56> reservedWords{
    "auto",          "break",        "case",         "char",       "const",     "continue",     "default",
    "do",            "double",       "else",         "enum",       "extern",    "float",        "for",
    "goto",          "if",           "inline",       "int",        "long",      "register",     "restrict",
    "return",        "short",        "signed",       "sizeof",     "static",    "struct",       "switch",
    "typedef",       "union",        "unsigned",     "void",       "volatile",  "while",        "_Alignas",
    "_Alignof",      "_Atomic",      "_Bool",        "_Complex",   "_Generic",  "_Imaginary",   "_Noreturn",
    "_Static_assert", "_Thread_local", "alignas",    "alignof",    "bool",      "constexpr",    "false",
    "nullptr",       "static_assert", "thread_local", "true",      "typeof",    "typeof_unqual", "rom",
};

bool isIdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

} // namespace

std::string imageNameFromPath(std::string_view path) {
    const std::size_t cut = path.find_last_of("/\\");
    const std::string_view piece = cut == std::string_view::npos ? path : path.substr(cut + 1);
    // A picture's own extension goes whole, whatever its length or case: photo.jpeg gives photo.
    for (std::string_view extension : {".bmp", ".png", ".jpg", ".jpeg", ".gif", ".webp", ".apng"}) {
        if (piece.size() < extension.size()) continue;
        const std::string_view tail = piece.substr(piece.size() - extension.size());
        const bool same = std::equal(tail.begin(), tail.end(), extension.begin(),
                                     [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
        if (same) return std::string(piece.substr(0, piece.size() - extension.size()));
    }
    if (piece.size() < 4) return std::string(piece);
    return std::string(piece.substr(0, piece.size() - 4));
}

std::string cIdentifier(std::string_view name) {
    std::string id(name);
    std::replace_if(id.begin(), id.end(), [](char c) { return !isIdentifierChar(c); }, '_');
    const bool reserved = std::find(reservedWords.begin(), reservedWords.end(), id) != reservedWords.end();
    if (id.empty() || (id[0] >= '0' && id[0] <= '9') || reserved) id.insert(id.begin(), '_');
    return id;
}

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

} // namespace quorvane::codegen
