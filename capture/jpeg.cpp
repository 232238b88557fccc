#include "capture/jpeg.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <libexif/exif-data.h>

#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

struct ErrorManager {
    jpeg_error_mgr base{};
    std::jmp_buf jump{};
    std::string error;
    bool patchedUp = false; // a warning: the library made up data the file does not hold
};

std::string messageOf(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, text);
    return text;
}

void onError(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    manager->error = "the JPEG data is damaged (" + messageOf(info) + ")";
    std::longjmp(manager->jump, 1);
}

// libjpeg-turbo goes on after "premature end of data" and corrupt-data warnings, filling the rest with
// grey; such a picture is not what the file holds.
void onMessage(j_common_ptr info, int level) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && !manager->patchedUp) {
        manager->patchedUp = true;
        manager->error = "the JPEG data is damaged or cut short (" + messageOf(info) + ")";
    }
}

class JpegRead {
  public:
    JpegRead() {
        info.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = onError;
        errors.base.emit_message = onMessage;
    }
    ~JpegRead() { jpeg_destroy_decompress(&info); }
    JpegRead(const JpegRead&) = delete;
    JpegRead& operator=(const JpegRead&) = delete;

    // Up to the frame header, with the EXIF segment kept for the orientation. Call after setjmp.
    void readHeader(std::span<const std::uint8_t> file) {
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    }

    jpeg_decompress_struct info{};
    ErrorManager errors;
};

// 1 (upright) to 8, from the EXIF APP1 segment; 1 where there is none or it cannot be read.
int exifOrientation(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 6) continue;
        ExifData* exif = exif_data_new_from_data(marker->data, marker->data_length);
        if (!exif) continue;
        int orientation = 1;
        if (ExifEntry* entry = exif_data_get_entry(exif, EXIF_TAG_ORIENTATION);
            entry && entry->format == EXIF_FORMAT_SHORT && entry->components == 1) {
            orientation = exif_get_short(entry->data, exif_data_get_byte_order(exif));
        }
        exif_data_unref(exif);
        if (orientation >= 1 && orientation <= 8) return orientation;
    }
    return 1;
}

bool swapsSides(int orientation) {
    return orientation >= 5;
}

// Where the stored pixel (x, y) of a w x h picture lands when turned upright.
void orient(int orientation, int w, int h, int x, int y, int& ox, int& oy) {
    switch (orientation) {
    case 2:
        ox = w - 1 - x, oy = y;
        break; // mirrored
    case 3:
        ox = w - 1 - x, oy = h - 1 - y;
        break; // upside down
    case 4:
        ox = x, oy = h - 1 - y;
        break; // mirrored upside down
    case 5:
        ox = y, oy = x;
        break; // mirrored, turned left
    case 6:
        ox = h - 1 - y, oy = x;
        break; // turned right to stand upright
    case 7:
        ox = h - 1 - y, oy = w - 1 - x;
        break; // mirrored, turned right
    case 8:
        ox = y, oy = w - 1 - x;
        break; // turned left to stand upright
    default:
        ox = x, oy = y;
        break;
    }
}

} // namespace

bool isJpeg(std::span<const std::uint8_t> file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

std::variant<DeclaredSize, DecodeError> readJpegSize(std::span<const std::uint8_t> file) {
    JpegRead read;
    if (setjmp(read.errors.jump)) return DecodeError{read.errors.error};
    read.readHeader(file);
    const int w = static_cast<int>(read.info.image_width), h = static_cast<int>(read.info.image_height);
    return swapsSides(exifOrientation(read.info)) ? DeclaredSize{h, w} : DeclaredSize{w, h};
}

std::variant<Picture, DecodeError> decodeJpeg(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    JpegRead read;
    Picture picture;
    std::vector<JSAMPLE> row;
    if (setjmp(read.errors.jump)) return DecodeError{read.errors.error};
    read.readHeader(file);
    const int w = static_cast<int>(read.info.image_width), h = static_cast<int>(read.info.image_height);
    if (auto error = refuseBeyond(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(h), maxPixels))
        return *error;
    const int orientation = exifOrientation(read.info);
    read.info.out_color_space = JCS_RGB; // greyscale and YCbCr alike
    jpeg_start_decompress(&read.info);

    picture.width = swapsSides(orientation) ? h : w;
    picture.height = swapsSides(orientation) ? w : h;
    picture.pixels.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    row.resize(static_cast<std::size_t>(w) * 3);
    while (read.info.output_scanline < read.info.output_height) {
        const int y = static_cast<int>(read.info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&read.info, rows, 1);
        for (int x = 0; x < w; ++x) {
            int ox = 0, oy = 0;
            orient(orientation, w, h, x, y, ox, oy);
            const JSAMPLE* rgb = row.data() + 3 * static_cast<std::size_t>(x);
            picture.pixels[static_cast<std::size_t>(oy) * static_cast<std::size_t>(picture.width) +
                           static_cast<std::size_t>(ox)] = colorValue(rgb[0], rgb[1], rgb[2]);
        }
    }
    jpeg_finish_decompress(&read.info);
    if (read.errors.patchedUp) return DecodeError{read.errors.error};
    return picture;
}

} // namespace quorvane::capture
