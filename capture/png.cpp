#include "capture/png.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

struct Reader {
    std::span<const std::uint8_t> file;
    std::size_t at = 0;
    std::string error;
};

void readBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<Reader*>(png_get_io_ptr(png));
    if (length > reader->file.size() - reader->at) {
        reader->error = "the file is truncated";
        png_error(png, "truncated");
    }
    std::memcpy(out, reader->file.data() + reader->at, length);
    reader->at += length;
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

} // namespace

bool isPng(std::span<const std::uint8_t> file) {
    return file.size() >= 8 && png_sig_cmp(file.data(), 0, 8) == 0;
}

std::variant<DeclaredSize, DecodeError> readPngSize(std::span<const std::uint8_t> file) {
    // The size stands at a fixed place in the first chunk, which must be IHDR; it is read from there so
    // that an absurd declaration is refused as too large rather than as whatever libpng makes of it.
    if (file.size() >= 24 && std::memcmp(file.data() + 12, "IHDR", 4) == 0) {
        const auto u32 = [&](std::size_t at) {
            return std::uint32_t(file[at]) << 24 | std::uint32_t(file[at + 1]) << 16 |
                   std::uint32_t(file[at + 2]) << 8 | file[at + 3];
        };
        const std::uint32_t width = u32(16), height = u32(20);
        if (width > 0 && height > 0 && width <= 0x7FFFFFFF && height <= 0x7FFFFFFF) {
            return DeclaredSize{static_cast<int>(width), static_cast<int>(height)};
        }
    }
    Reader reader{file, 0, {}};
    PngRead read(reader);
    if (!read.ok()) return DecodeError{"libpng could not start"};
    if (setjmp(png_jmpbuf(read.png()))) return DecodeError{reader.error};
    png_read_info(read.png(), read.info());
    return DeclaredSize{static_cast<int>(png_get_image_width(read.png(), read.info())),
                        static_cast<int>(png_get_image_height(read.png(), read.info()))};
}

std::variant<Picture, DecodeError> decodePng(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    Reader reader{file, 0, {}};
    PngRead read(reader);
    if (!read.ok()) return DecodeError{"libpng could not start"};
    // Everything a long jump may leave behind is made before setjmp, so nothing is skipped on the way out.
    Picture picture;
    std::vector<png_byte> rows;
    std::vector<png_bytep> rowPointers;
    if (setjmp(png_jmpbuf(read.png()))) return DecodeError{reader.error};

    png_structp png = read.png();
    png_infop info = read.info();
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    if (auto error = refuseBeyond(width, height, maxPixels)) return *error;
    // Palette to RGB, tRNS to alpha, low-bit grey to 8 bits, grey to RGB; no gamma is applied.
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    const bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    if (interlaced) png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const bool sixteen = png_get_bit_depth(png, info) == 16;
    const int channels = png_get_channels(png, info); // 3, or 4 with alpha
    const std::size_t stride = png_get_rowbytes(png, info), sampleBytes = sixteen ? 2 : 1;
    picture.width = static_cast<int>(width);
    picture.height = static_cast<int>(height);
    // Room for the whole picture up front, as far as the file can hold it: deflate packs at most about
    // 1032 bytes into one, so a small file that declares a large picture gets little room before it fails.
    const std::uint64_t pixels = static_cast<std::uint64_t>(width) * height;
    const std::uint64_t canHold = 1100 * static_cast<std::uint64_t>(file.size());
    picture.pixels.reserve(static_cast<std::size_t>(std::min(pixels, canHold)));
    if (channels == 4) picture.alpha.reserve(static_cast<std::size_t>(std::min(pixels, canHold)));
    const auto appendRow = [&](const png_byte* row) {
        const std::size_t first = picture.pixels.size();
        picture.pixels.resize(first + width);
        std::uint32_t* out = picture.pixels.data() + first;
        std::uint8_t* alpha = nullptr;
        if (channels == 4) {
            picture.alpha.resize(first + width);
            alpha = picture.alpha.data() + first;
        }
        const std::size_t step = static_cast<std::size_t>(channels) * sampleBytes;
        for (png_uint_32 x = 0; x < width; ++x, row += step) {
            if (sixteen) {
                out[x] = colorValue(eightBit(row, true), eightBit(row + 2, true), eightBit(row + 4, true));
                if (alpha) alpha[x] = static_cast<std::uint8_t>(eightBit(row + 6, true));
            } else {
                out[x] = colorValue(row[0], row[1], row[2]);
                if (alpha) alpha[x] = row[3];
            }
        }
    };
    if (interlaced) {
        // The passes fill the whole picture together, so it is held whole.
        rows.resize(stride * height);
        rowPointers.resize(height);
        for (png_uint_32 y = 0; y < height; ++y)
            rowPointers[y] = rows.data() + y * stride;
        png_read_image(png, rowPointers.data());
        for (png_uint_32 y = 0; y < height; ++y)
            appendRow(rowPointers[y]);
    } else {
        // Row by row, the picture growing as its data arrives: a file that declares a large picture
        // but holds little costs little before it fails.
        rows.resize(stride);
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, rows.data(), nullptr);
            appendRow(rows.data());
        }
    }
    png_read_end(png, nullptr);
    return picture;
}

} // namespace quorvane::capture
