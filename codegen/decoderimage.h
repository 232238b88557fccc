#pragma once
// What the device's decoder is told about a stored picture (NAME_image), worked out once for the source
// the tool writes and for the tool's own read-back, so the two can never disagree.

#include "codegen/panel.h"
#include "codegen/rawfile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct quorvane_fields;

namespace quorvane::codegen {

struct DecoderImage {
    std::uint32_t size = 0;   // the array's bytes
    std::uint32_t length = 0; // the bytes the decoder gives: the plain pixels, or the mono bytes
    std::uint32_t packed = 0; // the data bytes before compression
    std::uint16_t width = 0, colours = 0;
    std::uint8_t start = 0, coded = 0, unit = 0, bits = 0, entry = 0, pixel = 0;
};

// For a picture of that size as the panel receives it, stored in an array of arraySize bytes.
DecoderImage decoderImage(const RawLayout& layout, PictureSize received, std::size_t arraySize);

// "const qv_image logo_image = {logo, sizeof logo, ...};": the array's own size is the compiler's.
std::string decoderImageDefinition(std::string_view identifier, const DecoderImage& image);

struct DecodedStream {
    std::vector<std::uint8_t> bytes;
    bool failed = false;
};

// The stored bytes read back by quorvane_decode.h itself, `step` bytes a call.
DecodedStream decodeStored(std::span<const std::uint8_t> array, const DecoderImage& image, std::size_t step = 4096);

// The text of quorvane_decode.h, as `quorvane-cli decoder` writes it.
std::string_view decoderHeaderText();

} // namespace quorvane::codegen
