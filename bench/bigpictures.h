#pragma once
// Large photo-like pictures for the whole-process benchmarks, written row by row through each format's
// own library (our BMP writer aside), so that not even the benchmark holds a whole one.

#include "../tests/support/photolike.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <jpeglib.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace bigpictures {

using phototest::PhotoLike;

inline void writePng(const std::string& path, int width, int height, int level = 6) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    PhotoLike photo(width, height);
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < height; ++y) {
        photo.row(y, rgb);
        png_write_row(png, rgb.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
}

// Baseline, 4:2:0, as cameras write them.
inline void writeJpeg(const std::string& path, int width, int height, int quality = 90) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    PhotoLike photo(width, height);
    std::vector<std::uint8_t> rgb;
    while (info.next_scanline < info.image_height) {
        photo.row(static_cast<int>(info.next_scanline), rgb);
        JSAMPROW row = rgb.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// 24-bit, bottom-up, as most programs write them.
inline void writeBmp24(const std::string& path, int width, int height) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t stride = (3 * static_cast<std::uint32_t>(width) + 3) / 4 * 4;
    const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(height);
    const auto u16 = [&](std::uint32_t v) { out.put(char(v & 0xFF)).put(char((v >> 8) & 0xFF)); };
    const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    out << "BM";
    u32(54 + dataSize), u32(0), u32(54);
    u32(40), u32(static_cast<std::uint32_t>(width)), u32(static_cast<std::uint32_t>(height)), u16(1), u16(24);
    u32(0), u32(dataSize), u32(2835), u32(2835), u32(0), u32(0);
    // Rows are made top to bottom and stored bottom-up: each row is written at its place.
    PhotoLike photo(width, height);
    std::vector<std::uint8_t> rgb, stored(stride, 0);
    for (int y = 0; y < height; ++y) {
        photo.row(y, rgb);
        for (int x = 0; x < width; ++x) {
            const std::size_t i = 3 * static_cast<std::size_t>(x);
            stored[i] = rgb[i + 2], stored[i + 1] = rgb[i + 1], stored[i + 2] = rgb[i];
        }
        out.seekp(54 + static_cast<std::streamoff>(stride) * (height - 1 - y));
        out.write(reinterpret_cast<const char*>(stored.data()), stride);
    }
}

// 6 x 7 x 6 levels of red, green and blue in a 256-colour table.
inline void writeGif(const std::string& path, int width, int height) {
    int error = 0;
    GifFileType* file = EGifOpenFileName(path.c_str(), false, &error);
    if (!file) throw std::runtime_error("cannot write " + path);
    std::vector<GifColorType> colours(256, GifColorType{0, 0, 0});
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 7; ++g)
            for (int b = 0; b < 6; ++b)
                colours[static_cast<std::size_t>((r * 7 + g) * 6 + b)] = {
                    static_cast<GifByteType>(r * 51), static_cast<GifByteType>(g * 42), static_cast<GifByteType>(b * 51)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 8, 0, map);
    EGifPutImageDesc(file, 0, 0, width, height, false, nullptr);
    PhotoLike photo(width, height);
    std::vector<std::uint8_t> rgb;
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        photo.row(y, rgb);
        for (int x = 0; x < width; ++x) {
            const std::size_t i = 3 * static_cast<std::size_t>(x);
            line[static_cast<std::size_t>(x)] =
                static_cast<GifPixelType>(((rgb[i] * 5 / 255) * 7 + rgb[i + 1] * 6 / 255) * 6 + rgb[i + 2] * 5 / 255);
        }
        EGifPutLine(file, line.data(), width);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
}

// Makes the file once; later runs of the benchmark reuse it.
inline std::string made(const std::filesystem::path& folder, const std::string& name,
                        const std::function<void(const std::string&)>& write) {
    std::filesystem::create_directories(folder);
    const auto path = folder / name;
    if (!std::filesystem::exists(path)) {
        const auto partial = folder / (name + ".part");
        write(partial.string());
        std::filesystem::rename(partial, path);
    }
    return path.string();
}

} // namespace bigpictures
