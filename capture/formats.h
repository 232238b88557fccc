#pragma once
// Every picture format the program reads, recognised by its first bytes and never by its file name:
// BMP (our own decoder), PNG, JPEG, GIF and WebP (their libraries).

#include "capture/picture.h"
#include "capture/rows.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <variant>

namespace quorvane::capture {

enum class Format { Bmp, Png, Jpeg, Gif, Webp, Unknown };

Format formatOf(std::span<const std::uint8_t> file);

// The decoder of a format. A file that is nothing it knows goes to the BMP decoder, to be refused in its
// words, as it always was.
Decoder decoderFor(Format format);

// The first bytes of a file, enough to tell its format, read from the start of the source.
Format formatOf(ByteSource& file);

// The size the file declares, read from its headers without decoding a pixel.
std::variant<DeclaredSize, DecodeError> declaredSize(std::span<const std::uint8_t> file);

// The whole picture; refuses one of more than maxPixels before allocating its pixels. Transparency is
// kept in the picture's alpha values.
std::variant<Picture, DecodeError> decodePicture(std::span<const std::uint8_t> file, std::uint64_t maxPixels);

} // namespace quorvane::capture
