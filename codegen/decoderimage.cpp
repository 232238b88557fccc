#include "codegen/decoderimage.h"

#include "codegen/decoderrun.h"
#include "codegen/numbers.h"
#include "codegen/storage.h"

#include <stdexcept>

namespace quorvane::codegen {

DecoderImage decoderImage(const RawLayout& layout, PictureSize received, std::size_t arraySize) {
    const Storage& storage = layout.storage;
    const std::size_t pixels = static_cast<std::size_t>(received.width) * static_cast<std::size_t>(received.height);
    const std::size_t plainBytes = storage.mono ? monoByteCount(received, storage.monoLayout) : rawDataByteCount(layout.depth, pixels);
    const std::size_t packed = storage.paletteSize > 0 ? indexByteCount(received, storage.indexBits()) : plainBytes;
    if (arraySize > UINT32_MAX || plainBytes > UINT32_MAX || received.width > UINT16_MAX) {
        throw std::invalid_argument("decoderImage: the picture is too large for the decoder");
    }
    DecoderImage image;
    image.size = static_cast<std::uint32_t>(arraySize);
    image.length = static_cast<std::uint32_t>(plainBytes);
    image.packed = static_cast<std::uint32_t>(packed);
    image.width = static_cast<std::uint16_t>(received.width);
    image.start = static_cast<std::uint8_t>(sizeBytes(received, layout.sizeHeader, layout.byteOrder).size());
    image.coded = storage.compression != Compression::None ? 1 : 0;
    image.unit = static_cast<std::uint8_t>(rleUnit(layout.depth, storage));
    if (storage.paletteSize > 0) {
        image.colours = static_cast<std::uint16_t>(storage.paletteSize);
        image.bits = static_cast<std::uint8_t>(storage.indexBits());
        image.entry = static_cast<std::uint8_t>(paletteEntryBytes(layout.depth));
        image.pixel = static_cast<std::uint8_t>(layout.depth == Depth::Bits12 ? 12 : 8 * image.entry);
    }
    return image;
}

std::string decoderImageDefinition(std::string_view identifier, const DecoderImage& image) {
    const std::string id(identifier);
    std::string text = "const qv_image " + id + "_image = {" + id + ", sizeof " + id;
    for (const std::uint32_t field : {image.length, image.packed, std::uint32_t{image.width}, std::uint32_t{image.colours},
                                      std::uint32_t{image.start}, std::uint32_t{image.coded}, std::uint32_t{image.unit},
                                      std::uint32_t{image.bits}, std::uint32_t{image.entry}, std::uint32_t{image.pixel}}) {
        text += ", " + decimalText(field);
    }
    return text + "};";
}

DecodedStream decodeStored(std::span<const std::uint8_t> array, const DecoderImage& image, std::size_t step) {
    if (array.size() < image.size) throw std::invalid_argument("decodeStored: the array is shorter than its image says");
    const quorvane_fields fields{image.size,  image.length, image.packed, image.width, image.colours, image.start,
                                 image.coded, image.unit,   image.bits,   image.entry, image.pixel};
    DecodedStream decoded;
    decoded.bytes.resize(image.length);
    int failed = 0;
    const std::size_t made =
        quorvane_decode(array.data(), &fields, decoded.bytes.data(), decoded.bytes.size(), step < 1 ? 1 : step, &failed);
    decoded.bytes.resize(made);
    decoded.failed = failed != 0;
    return decoded;
}

} // namespace quorvane::codegen
