#include "codegen/pngfile.h"

#include <png.h>

#include <algorithm>

namespace quorvane::codegen {

namespace {

struct PngSink {
    std::vector<std::uint8_t> bytes;
    std::string error;
};

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<PngSink*>(png_get_io_ptr(png));
    sink->bytes.insert(sink->bytes.end(), data, data + length);
}

void flushNothing(png_structp) {}

void onError(png_structp png, png_const_charp message) {
    static_cast<PngSink*>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

} // namespace

std::optional<std::vector<std::uint8_t>> encodePng(int width, int height, std::span<const std::uint8_t> rgb,
                                                   std::string& error) {
    const std::size_t stride = 3 * static_cast<std::size_t>(width);
    return encodePng(width, height, [&](int y, std::span<std::uint8_t> row) {
        const auto from = rgb.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * stride);
        std::copy(from, from + static_cast<std::ptrdiff_t>(stride), row.begin());
    }, error);
}

namespace {

// libpng's part, apart: a function that calls setjmp keeps no object whose making it could interrupt.
bool writeRows(PngSink& sink, int width, int height, const std::function<void(int, std::span<std::uint8_t>)>& rows,
               std::span<std::uint8_t> row, std::string& error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "libpng could not start";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = sink.error.empty() ? "libpng failed" : sink.error;
        return false;
    }
    png_set_write_fn(png, &sink, appendBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        rows(y, row);
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::optional<std::vector<std::uint8_t>> encodePng(int width, int height,
                                                   const std::function<void(int, std::span<std::uint8_t>)>& rows,
                                                   std::string& error) {
    std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(std::max(width, 0)));
    PngSink sink;
    if (!writeRows(sink, width, height, rows, row, error)) return std::nullopt;
    return std::move(sink.bytes);
}

} // namespace quorvane::codegen
