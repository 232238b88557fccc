#include "capture/jpeg.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include <libexif/exif-data.h>

#include <cstdint>
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
    // Beyond its memory limit the library asks for a backing store, which it does not have.
    manager->error = info->err->msg_code == JERR_NO_BACKING_STORE
                         ? "it needs more memory to decode than this program allows (a progressive JPEG is held "
                           "whole while it decodes)"
                         : "the JPEG data is damaged (" + messageOf(info) + ")";
    std::longjmp(manager->jump, 1);
}

// The library reads the file through this, a buffer at a time, as jpeg_stdio_src would.
struct SourceManager {
    jpeg_source_mgr base{};
    ByteSource* file = nullptr;
    std::vector<JOCTET> buffer = std::vector<JOCTET>(64 * 1024);
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<SourceManager*>(info->src);
    std::size_t n = source->file->read(source->buffer.data(), source->buffer.size());
    if (n == 0) {
        // Past the end: a warning (which makes the decode a refusal) and an end marker, as libjpeg's own
        // sources do, so the library stops cleanly.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        n = 2;
    }
    source->base.next_input_byte = source->buffer.data();
    source->base.bytes_in_buffer = n;
    return TRUE;
}

void skipInputData(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<SourceManager*>(info->src);
    while (count > static_cast<long>(source->base.bytes_in_buffer)) {
        count -= static_cast<long>(source->base.bytes_in_buffer);
        fillInputBuffer(info);
    }
    if (count > 0) {
        source->base.next_input_byte += count;
        source->base.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

// A progressive JPEG keeps every coefficient of the picture while it decodes; past this the library
// refuses rather than take what a hostile file asks for.
constexpr long kMaxLibraryMemory = 256L * 1024 * 1024;

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
    void readHeader(ByteSource& file) {
        jpeg_create_decompress(&info);
        info.mem->max_memory_to_use = kMaxLibraryMemory;
        source.file = &file;
        source.base.init_source = initSource;
        source.base.fill_input_buffer = fillInputBuffer;
        source.base.skip_input_data = skipInputData;
        source.base.resync_to_restart = jpeg_resync_to_restart;
        source.base.term_source = termSource;
        info.src = &source.base;
        file.seek(0);
        jpeg_save_markers(&info, JPEG_APP0 + 1, 0xFFFF);
        jpeg_read_header(&info, TRUE);
    }

    jpeg_decompress_struct info{};
    ErrorManager errors;
    SourceManager source;
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

// Whether turning upright reverses the picture's rows (flipsDown) or its columns (flipsAcross) as shown,
// so that the short samples of a reduced decode come first instead of last.
bool flipsAcross(int orientation) { return orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7; }
bool flipsDown(int orientation) { return orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8; }

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

std::optional<DecodeError> decodeJpeg(ByteSource& file, RowSink& sink) {
    JpegRead read;
    std::vector<JSAMPLE> row;
    std::vector<std::uint32_t> colours, turned;
    std::optional<DecodeError> refusal;
    if (setjmp(read.errors.jump)) return DecodeError{read.errors.error};
    read.readHeader(file);
    jpeg_decompress_struct& info = read.info;
    const int orientation = exifOrientation(info);
    const bool swapped = swapsSides(orientation);
    const int w = static_cast<int>(info.image_width), h = static_cast<int>(info.image_height);
    const DeclaredSize shown = swapped ? DeclaredSize{h, w} : DeclaredSize{w, h};
    refusal = sink.declared(shown);
    if (!refusal) refusal = sink.refuseBeyondLimit(w, h);
    if (refusal) return refusal;

    // The smallest of the library's scales that still gives the sink the samples it can use: decoding
    // at 1/8 costs a fraction of decoding every pixel. At n/8 each sample stands for 8 / n pixels, the
    // last of a row or column for what is left; a scale counts only if that many pixels' worth is there
    // exactly, not by the rounded-up sample count.
    const DeclaredSize useful = sink.smallestUseful(shown);
    const int needW = swapped ? useful.height : useful.width, needH = swapped ? useful.width : useful.height;
    unsigned eighths = 8;
    if (needW < w || needH < h) {
        for (eighths = 1; eighths < 8; ++eighths) {
            if (std::int64_t{eighths} * w >= std::int64_t{8} * needW && std::int64_t{eighths} * h >= std::int64_t{8} * needH) break;
        }
        info.scale_num = eighths;
        info.scale_denom = 8;
    }
    info.out_color_space = JCS_RGB; // greyscale and YCbCr alike
    jpeg_start_decompress(&info);

    const int ow = static_cast<int>(info.output_width), oh = static_cast<int>(info.output_height);
    const DeclaredSize decoded = swapped ? DeclaredSize{oh, ow} : DeclaredSize{ow, oh};
    const double unit = 8.0 / eighths;
    sink.start(decoded, false, {.across = {unit, flipsAcross(orientation)}, .down = {unit, flipsDown(orientation)}});
    row.resize(static_cast<std::size_t>(ow) * 3);
    colours.resize(static_cast<std::size_t>(ow));
    // Upright pictures go to the sink row by row; any other is turned whole, at the size decoded.
    if (orientation != 1) turned.resize(static_cast<std::size_t>(ow) * static_cast<std::size_t>(oh));
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        if (orientation == 1) {
            sink.rgbRow(y, row);
            continue;
        }
        for (int x = 0; x < ow; ++x) {
            const JSAMPLE* rgb = row.data() + 3 * static_cast<std::size_t>(x);
            colours[static_cast<std::size_t>(x)] = colorValue(rgb[0], rgb[1], rgb[2]);
        }
        for (int x = 0; x < ow; ++x) {
            int ox = 0, oy = 0;
            orient(orientation, ow, oh, x, y, ox, oy);
            turned[static_cast<std::size_t>(oy) * static_cast<std::size_t>(decoded.width) + static_cast<std::size_t>(ox)] =
                colours[static_cast<std::size_t>(x)];
        }
    }
    jpeg_finish_decompress(&info);
    if (read.errors.patchedUp) return DecodeError{read.errors.error};
    const std::span<const std::uint32_t> upright(turned);
    const auto width = static_cast<std::size_t>(decoded.width);
    for (int y = 0; !turned.empty() && y < decoded.height; ++y) {
        sink.row(y, 0, 1, upright.subspan(static_cast<std::size_t>(y) * width, width), {});
    }
    return std::nullopt;
}

} // namespace quorvane::capture
