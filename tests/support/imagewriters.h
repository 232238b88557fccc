#pragma once
// Writes PNG, JPEG and GIF files for the tests through their own libraries, so that every header field
// and sample is what the test says it is.

#include <png.h>

#include <cstddef>
#include <cstdio>
#include <jpeglib.h>

#include <gif_lib.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace imagetest {

struct PngLayout {
    std::uint32_t width = 1, height = 1;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<std::uint8_t>> rows; // packed as the file holds them
    std::vector<png_color> palette;
    std::vector<std::uint8_t> paletteAlpha; // tRNS for a palette
    std::optional<png_color_16> transparentColour; // tRNS for grey or RGB
};

// Rows of `channels` samples a pixel that change across and down, for a PngLayout.
inline std::vector<std::vector<std::uint8_t>> patternRows(int width, int height, int channels) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width * channels; ++x) row.push_back(static_cast<std::uint8_t>(37 * x + 91 * y));
        rows.push_back(row);
    }
    return rows;
}

inline void appendPng(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

inline std::vector<std::uint8_t> png(const PngLayout& l) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("libpng refused the test picture");
    }
    png_set_write_fn(png, &out, appendPng, nullptr);
    png_set_IHDR(png, info, l.width, l.height, l.bitDepth, l.colorType,
                 l.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!l.palette.empty()) png_set_PLTE(png, info, l.palette.data(), static_cast<int>(l.palette.size()));
    if (!l.paletteAlpha.empty()) {
        png_set_tRNS(png, info, l.paletteAlpha.data(), static_cast<int>(l.paletteAlpha.size()), nullptr);
    }
    if (l.transparentColour) {
        png_color_16 colour = *l.transparentColour;
        png_set_tRNS(png, info, nullptr, 0, &colour);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (const auto& row : l.rows) rows.push_back(const_cast<png_bytep>(row.data()));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGB (or greyscale, with components = 1) JPEG at the given quality; `extra` is written as
// an APP1 segment (EXIF) when not empty. Colour is subsampled 4:2:0 unless fullChroma.
inline std::vector<std::uint8_t> jpeg(int width, int height, const std::vector<std::uint8_t>& samples, int components,
                                      bool progressive = false, const std::vector<std::uint8_t>& exif = {},
                                      bool fullChroma = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    if (fullChroma) info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
    if (progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (!exif.empty()) jpeg_write_marker(&info, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + info.next_scanline * static_cast<std::size_t>(width * components));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

// The EXIF block of an APP1 segment holding only an orientation (little-endian TIFF).
inline std::vector<std::uint8_t> exifOrientation(std::uint16_t orientation) {
    return {'E', 'x', 'i', 'f', 0, 0,                  // identifier
            'I', 'I', 42, 0, 8, 0, 0, 0,               // TIFF header, IFD0 at 8
            1, 0,                                      // one entry
            0x12, 0x01, 3, 0, 1, 0, 0, 0,              // orientation, SHORT, one value
            static_cast<std::uint8_t>(orientation), 0, 0, 0, // the value
            0, 0, 0, 0};                               // no next IFD
}

struct GifFrame {
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    std::vector<std::uint8_t> indexes; // rows in display order
    int transparentIndex = -1;
};

inline int appendGif(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// A GIF of a logical screen with a colour table of `colours` (0x00BBGGRR) and one frame.
inline std::vector<std::uint8_t> gif(int screenWidth, int screenHeight, const std::vector<std::uint32_t>& colours,
                                     const GifFrame& frame) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, appendGif, &error);
    std::vector<GifColorType> entries;
    for (std::uint32_t c : colours) {
        entries.push_back({static_cast<GifByteType>(c), static_cast<GifByteType>(c >> 8), static_cast<GifByteType>(c >> 16)});
    }
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(entries.size()), entries.data());
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, screenWidth, screenHeight, 8, 0, map);
    if (frame.transparentIndex >= 0) {
        GraphicsControlBlock control{};
        control.TransparentColor = frame.transparentIndex;
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, block);
    }
    EGifPutImageDesc(file, frame.left, frame.top, frame.width, frame.height, frame.interlaced, nullptr);
    // An interlaced frame is stored in its four passes.
    std::vector<int> order;
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < (frame.interlaced ? 4 : 1); ++pass) {
        for (int y = frame.interlaced ? starts[pass] : 0; y < frame.height; y += frame.interlaced ? steps[pass] : 1) {
            order.push_back(y);
        }
    }
    for (int y : order) {
        EGifPutLine(file, const_cast<GifPixelType*>(frame.indexes.data() + static_cast<std::size_t>(y * frame.width)), frame.width);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

} // namespace imagetest
