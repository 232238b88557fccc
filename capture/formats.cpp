#include "capture/formats.h"

#include "capture/bmp.h"
#include "capture/gif.h"
#include "capture/jpeg.h"
#include "capture/png.h"

namespace quorvane::capture {
Format formatOf(std::span<const std::uint8_t> file) {
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return Format::Bmp;
    if (isPng(file)) return Format::Png;
    if (isJpeg(file)) return Format::Jpeg;
    if (isGif(file)) return Format::Gif;
    return Format::Unknown;
}

std::variant<DeclaredSize, DecodeError> declaredSize(std::span<const std::uint8_t> file) {
    switch (formatOf(file)) {
    case Format::Bmp:
        return readBmpSize(file);
    case Format::Png:
        return readPngSize(file);
    case Format::Jpeg:
        return readJpegSize(file);
    case Format::Gif:
        return readGifSize(file);
    case Format::Unknown:
        break;
    }
    // A file that is nothing it knows is refused in the BMP reader's words, as it always was.
    return readBmpSize(file);
}

std::variant<Picture, DecodeError> decodePicture(std::span<const std::uint8_t> file,
                                                 std::uint64_t maxPixels) {
    switch (formatOf(file)) {
    case Format::Bmp:
        return decodeBmp(file, maxPixels);
    case Format::Png:
        return decodePng(file, maxPixels);
    case Format::Jpeg:
        return decodeJpeg(file, maxPixels);
    case Format::Gif:
        return decodeGif(file, maxPixels);
    case Format::Unknown:
        break;
    }
    return decodeBmp(file, maxPixels);
}

} // namespace quorvane::capture
