#include "capture/png.h"

#include <png.h>

#include <cstring>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

struct Reader {
    ByteSource& file;
    std::string error;
};

void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (!reader->file.readAll(out, length)) {
        reader->error = reader->file.shortReadReason();
        png_error(png, "truncated");
    }
}

// libpng quotes a bad chunk's type as the file spells it: anything unprintable becomes "?".
std::string printable(const char* message) {
    std::string text = message;
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E) c = '?';
    }
    return text;
}

void onError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<Reader*>(png_get_error_ptr(png));
    if (reader->error.empty()) reader->error = "the PNG data is damaged (" + printable(message) + ")";
    png_longjmp(png, 1);
}

// Warnings are ignored, but for image data beyond the declared rows: a stream that would inflate to far
// more than the picture is stopped at its first extra byte, not inflated to the end.
// No C++ object may be alive here when png_error jumps out: its destructor would be skipped.
void onWarning(png_structp png, png_const_charp message) {
    if (std::strstr(message, "Extra compressed data") || std::strstr(message, "Too much image data")) {
        static_cast<Reader*>(png_get_error_ptr(png))->error = "its image data runs past the declared rows";
        png_error(png, message);
    }
}

// libpng's structures, destroyed on every way out, a long jump included (they hold no C++ objects).
class PngRead {
  public:
    explicit PngRead(Reader& reader) {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, onError, onWarning);
        if (png_) info_ = png_create_info_struct(png_);
        if (png_) png_set_read_fn(png_, &reader, readBytes);
    }
    ~PngRead() { png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr); }
    PngRead(const PngRead&) = delete;
    PngRead& operator=(const PngRead&) = delete;
    bool ok() const { return png_ && info_; }
    png_structp png() const { return png_; }
    png_infop info() const { return info_; }

  private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

std::uint32_t eightBit(const png_byte* sample, bool sixteen) {
    if (!sixteen) return *sample;
    const std::uint32_t v = static_cast<std::uint32_t>(sample[0]) << 8 | sample[1];
    return (v * 255 + 32767) / 65535; // round(v * 255 / 65535); never exactly halfway
}

// The size stands at a fixed place in the first chunk, which must be IHDR; it is read from there so
// that an absurd declaration is refused as too large rather than as whatever libpng makes of it.
std::optional<DeclaredSize> sizeInIhdr(ByteSource& file) {
    std::uint8_t head[24];
    file.seek(0);
    if (!file.readAll(head, sizeof head) || std::memcmp(head + 12, "IHDR", 4) != 0) return std::nullopt;
    const auto u32 = [&](std::size_t at) {
        return std::uint32_t(head[at]) << 24 | std::uint32_t(head[at + 1]) << 16 | std::uint32_t(head[at + 2]) << 8 |
               head[at + 3];
    };
    const std::uint32_t width = u32(16), height = u32(20);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    return DeclaredSize{static_cast<int>(width), static_cast<int>(height)};
}

// One row as libpng hands it over (RGB or RGBA, 8 or 16 bits a sample) into colour values and alpha.
// Each layout has its own loop: the 8-bit ones are most pictures, and the compiler makes them tight.
void convertRow(const png_byte* row, std::size_t count, int channels, bool sixteen, std::uint32_t* out,
                std::uint8_t* alpha) {
    if (!sixteen && channels == 3) {
        for (std::size_t x = 0; x < count; ++x, row += 3) out[x] = colorValue(row[0], row[1], row[2]);
        return;
    }
    if (!sixteen) {
        for (std::size_t x = 0; x < count; ++x, row += 4) {
            out[x] = colorValue(row[0], row[1], row[2]);
            alpha[x] = row[3];
        }
        return;
    }
    const std::size_t step = static_cast<std::size_t>(channels) * 2;
    for (std::size_t x = 0; x < count; ++x, row += step) {
        out[x] = colorValue(eightBit(row, true), eightBit(row + 2, true), eightBit(row + 4, true));
        if (alpha) alpha[x] = static_cast<std::uint8_t>(eightBit(row + 6, true));
    }
}

} // namespace

bool isPng(std::span<const std::uint8_t> file) {
    return file.size() >= 8 && png_sig_cmp(file.data(), 0, 8) == 0;
}

std::optional<DecodeError> decodePng(ByteSource& file, RowSink& sink) {
    const auto declared = sizeInIhdr(file);
    if (declared) {
        if (auto refusal = sink.declared(*declared)) return refusal;
    }
    file.seek(0);
    Reader reader{file, {}};
    PngRead read(reader);
    if (!read.ok()) return DecodeError{"libpng could not start"};
    // Everything a long jump may leave behind is made before setjmp, so nothing is skipped on the way out.
    std::vector<png_byte> bytes;
    std::vector<std::uint32_t> colours;
    std::vector<std::uint8_t> alpha;
    std::optional<DecodeError> refusal;
    if (setjmp(png_jmpbuf(read.png()))) return DecodeError{reader.error};

    png_structp png = read.png();
    png_infop info = read.info();
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (!declared) {
        refusal = sink.declared({static_cast<int>(width), static_cast<int>(height)});
        if (refusal) return refusal;
    }
    refusal = sink.refuseBeyondLimit(width, height);
    if (refusal) return refusal;
    if (sink.averages()) png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    // Palette to RGB, tRNS to alpha, low-bit grey to 8 bits, grey to RGB; no gamma is applied. An
    // interlaced picture is read pass by pass, each pass's pixels put where they belong.
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);

    const bool sixteen = png_get_bit_depth(png, info) == 16;
    const int channels = png_get_channels(png, info); // 3, or 4 with alpha
    sink.start({static_cast<int>(width), static_cast<int>(height)}, channels == 4, {});
    bytes.resize(png_get_rowbytes(png, info));
    colours.resize(width);
    if (channels == 4) alpha.resize(width);
    std::uint8_t* rowAlpha = channels == 4 ? alpha.data() : nullptr;
    const bool plainRgb = !sixteen && channels == 3;
    const auto give = [&](int y, int first, int step, std::size_t count) {
        png_read_row(png, bytes.data(), nullptr);
        if (plainRgb && step == 1) return sink.rgbRow(y, std::span<const std::uint8_t>(bytes).first(3 * count));
        convertRow(bytes.data(), count, channels, sixteen, colours.data(), rowAlpha);
        sink.row(y, first, step, std::span(colours).first(count),
                 rowAlpha ? std::span<const std::uint8_t>(alpha).first(count) : std::span<const std::uint8_t>());
    };
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_NONE) {
        for (png_uint_32 y = 0; y < height; ++y) give(static_cast<int>(y), 0, 1, width);
    } else {
        // Adam7: libpng hands over each pass's rows, narrowed to that pass's columns; empty passes are skipped.
        for (int pass = 0; pass < 7; ++pass) {
            const png_uint_32 columns = PNG_PASS_COLS(width, pass), rows = PNG_PASS_ROWS(height, pass);
            if (columns == 0 || rows == 0) continue;
            for (png_uint_32 j = 0; j < rows; ++j) {
                give(static_cast<int>(PNG_ROW_FROM_PASS_ROW(j, pass)), static_cast<int>(PNG_PASS_START_COL(pass)),
                     1 << PNG_PASS_COL_SHIFT(pass), columns);
            }
        }
    }
    png_read_end(png, nullptr);
    return std::nullopt;
}

} // namespace quorvane::capture
