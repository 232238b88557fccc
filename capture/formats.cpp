#include "capture/formats.h"

#include "capture/bmp.h"
#include "capture/gif.h"
#include "capture/jpeg.h"
#include "capture/png.h"
#include "capture/webp.h"

#include <array>

namespace quorvane::capture {

Format formatOf(std::span<const std::uint8_t> file) {
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M') return Format::Bmp;
    if (isPng(file)) return Format::Png;
    if (isJpeg(file)) return Format::Jpeg;
    if (isGif(file)) return Format::Gif;
    if (isWebp(file)) return Format::Webp;
    return Format::Unknown;
}

Format formatOf(ByteSource& file) {
    std::array<std::uint8_t, 12> first{};
    file.seek(0);
    const std::size_t n = file.read(first.data(), first.size());
    file.seek(0);
    return formatOf(std::span<const std::uint8_t>(first.data(), n));
}

Decoder decoderFor(Format format) {
    switch (format) {
    case Format::Png:
        return decodePng;
    case Format::Jpeg:
        return decodeJpeg;
    case Format::Gif:
        return decodeGif;
    case Format::Webp:
        return decodeWebp;
    case Format::Bmp:
    case Format::Unknown:
        break;
    }
    return static_cast<Decoder>(decodeBmp);
}

std::variant<DeclaredSize, DecodeError> declaredSize(std::span<const std::uint8_t> file) {
    return declaredBy(decoderFor(formatOf(file)), file);
}

std::variant<Picture, DecodeError> decodePicture(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    return decodedBy(decoderFor(formatOf(file)), file, maxPixels);
}

} // namespace quorvane::capture
