#pragma once
// The C array source that a firmware project compiles, and the file image that "Make Header File" writes.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::codegen {

// The compiler dialect of the declaration. arm is plain C99, which every current compiler takes.
enum class Target { Pic, Arm, Avr };

enum class Radix { Decimal, Hex };

// "pic", "arm", "avr" and "dec", "hex": the words of the command line.
std::string_view targetName(Target target);
std::optional<Target> targetFromName(std::string_view name);
std::string_view radixName(Radix radix);
std::optional<Radix> radixFromName(std::string_view name);

// How the values stand in the source text. None of it changes a byte of the raw file.
struct TextLayout {
    int columns = 0;              // values to a line, each line indented; 0 keeps them all on one line
    Radix radix = Radix::Decimal; // 0x0F rather than 15
    std::string headerName;       // a header's file name, which the source then includes first
};

struct ArrayText {
    std::vector<std::string> includes; // the lines before the declaration, "#include <avr/pgmspace.h>"
    std::string declaration;           // "unsigned rom char logo[7] = {"
    std::string valueLine;             // "0,1,240,3,0,0": the size bytes, the packed values, a closing 0
    int columns = 0;                   // as in TextLayout: how joined() lays the values out
    std::vector<std::string> trailer;  // the lines after the array: the decoder's description of it

    // The includes, the declaration, the values, "};", the trailer, each line ended by eol but the last. With
    // columns, the values go that many to a line, each line indented by four blanks and ending with a
    // comma but the last; otherwise the value line stands whole.
    std::string joined(std::string_view eol) const;
    // joined's text written to a stream, without making a copy of the value line first.
    void write(std::ostream& out, std::string_view eol) const;
};

// Where text goes a block at a time: a file being written, standard output, a string.
class TextSink {
  public:
    virtual ~TextSink() = default;
    virtual void write(std::string_view text) = 0;
};

class StringSink : public TextSink {
  public:
    explicit StringSink(std::string& text) : text_(text) {}
    void write(std::string_view text) override { text_.append(text); }

  private:
    std::string& text_;
};

// "const unsigned char logo[7] PROGMEM": the array's type, name and count as the target writes them,
// without an initialiser. The header declares it extern; the source gives it its values.
std::string arrayDeclarator(Target target, std::string_view identifier, std::size_t count);

// The header that a target's declaration needs ("<avr/pgmspace.h>" for PROGMEM), if any.
std::optional<std::string_view> targetInclude(Target target);

// The values are the size bytes, the packed values and a closing 0; the declaration's count is one more
// than the values listed (C fills the last element with 0): the packed values + 4 with one-byte sizes.
// The name is made a valid C identifier.
ArrayText arrayText(std::string_view imageName, Target target, std::span<const std::uint8_t> sizeBytes,
                    std::span<const std::int32_t> packed, const TextLayout& layout = {});

// arrayText's includes, declaration and columns for an array of declaredCount entries: everything but
// the values.
ArrayText arrayFrame(std::string_view imageName, Target target, std::size_t declaredCount, const TextLayout& layout);

// The text that frame.joined(eol) gives once the frame has its value line, written a block at a time
// with no value line and no string a value: the values are `values` (the size bytes and the data bytes),
// then `zeros` packed values of 0, then the closing 0.
void writeArrayText(TextSink& sink, const ArrayText& frame, Radix radix, std::span<const std::uint8_t> values,
                    std::size_t zeros, std::string_view eol);

// An array of exactly these bytes, no closing value: "const unsigned char assets[5] = {" and the bytes.
// The identifier is used as it stands.
ArrayText byteArrayText(std::string_view identifier, Target target, std::span<const std::uint8_t> bytes,
                        const TextLayout& layout = {});

// The declaration's count for these many size bytes and packed values.
std::size_t declaredCount(std::size_t sizeByteCount, std::size_t packedCount);

// avr-gcc refuses an object larger than this many bytes.
inline constexpr std::size_t kAvrLargestObject = 32767;

// Why the target's compiler cannot take an array of that declared count, or nothing when it can.
std::optional<std::string> targetRefusal(Target target, std::size_t declaredCount);

// Writes the size bytes, the packed values and a closing 0 into the first entries of fileValues, leaving
// the entries above as they were. Throws std::length_error if fileValues is too short.
void fillFileValues(std::span<std::int16_t> fileValues, std::span<const std::uint8_t> sizeBytes,
                    std::span<const std::int32_t> packed);

} // namespace quorvane::codegen
