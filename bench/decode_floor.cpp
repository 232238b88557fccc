// The decoder by itself, as a whole process, for the fit benchmark's floor: what libpng's full decode of
// a PNG costs, and libjpeg-turbo's decode of a JPEG at n/8 of its size (1/8 unless told). Rows are
// decoded and dropped.
//   quorvane_decode_floor png FILE | jpeg FILE [EIGHTHS]
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace {

int decodePng(FILE* file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) return 1;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    std::vector<png_byte> row(png_get_rowbytes(png, info) * 2);
    const png_uint_32 height = png_get_image_height(png, info);
    for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row.data(), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
}

int decodeJpegScaled(FILE* file, unsigned eighths) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.scale_num = eighths;
    info.scale_denom = 8;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(info.output_width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s png|jpeg FILE [EIGHTHS]\n", argv[0]);
        return 2;
    }
    const int eighths = argc == 4 ? std::atoi(argv[3]) : 1;
    if (eighths < 1 || eighths > 8) return 2;
    FILE* file = std::fopen(argv[2], "rb");
    if (!file) return 1;
    const int status =
        std::strcmp(argv[1], "png") == 0 ? decodePng(file) : decodeJpegScaled(file, static_cast<unsigned>(eighths));
    std::fclose(file);
    return status;
}
