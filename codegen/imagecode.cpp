#include "codegen/imagecode.h"

#include "codegen/decoderimage.h"
#include "codegen/header.h"
#include "codegen/imagename.h"
#include "codegen/storage.h"
#include "codegen/rawfile.h"

#include <stdexcept>
#include <string>

namespace quorvane::codegen {
namespace {

// Every pixel's parts, as the panel will show them, from one part list per entry.
std::vector<std::int32_t> partsOfEntries(std::span<const std::int32_t> entries, std::span<const std::uint8_t> indices) {
    std::vector<std::int32_t> parts;
    parts.reserve(3 * indices.size());
    for (const std::uint8_t index : indices) parts.insert(parts.end(), entries.begin() + 3 * index, entries.begin() + 3 * index + 3);
    return parts;
}

// A palette, one bit per pixel or compression: [method byte] [palette] data, every one a byte.
void storeCompactly(Conversion& conversion, std::span<const std::int32_t> received, PictureSize panel,
                    const CodeOptions& options) {
    const Storage& storage = options.storage;
    std::vector<std::uint8_t> palette, data;
    if (storage.mono) {
        const std::vector<std::uint8_t> bits = monoBits(received, panel, options.dither);
        data = monoBytes(bits, panel, storage.monoLayout);
        conversion.parts = monoParts(bits, options.depth);
    } else if (storage.paletteSize > 0) {
        const Palette chosen = choosePalette(received, panel, options.depth, storage.paletteSize, options.dither);
        palette = paletteBytes(chosen.entries, storage.paletteSize, options.depth, options.byteOrder);
        data = packIndices(chosen.indices, panel, storage.indexBits());
        conversion.parts = partsOfEntries(chosen.entries, chosen.indices);
    } else {
        conversion.parts = ditheredParts(received, panel.width, options.depth, options.dither);
        const std::vector<std::int32_t> packed = packParts(conversion.parts, options.depth, options.byteOrder);
        data.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(rawDataByteCount(options.depth, conversion.parts.size() / 3)));
    }
    const std::vector<std::uint8_t> stored = storedBytes(storage, options.depth, palette, data);
    conversion.packed.assign(stored.begin(), stored.end());
}

} // namespace

ImageCode makeImageCode(std::span<const std::int32_t> components, PictureSize size,
                        const CodeOptions& options) {
    if (size.width < 1 || size.height < 1) {
        throw std::invalid_argument("makeImageCode: a picture of " + std::to_string(size.width) + " x " +
                                    std::to_string(size.height) + " pixels has nothing to convert");
    }
    const std::size_t pixels = static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height);
    if (components.size() != 3 * pixels) {
        throw std::invalid_argument("makeImageCode: " + std::to_string(components.size()) +
                                    " components for " + std::to_string(pixels) + " pixels");
    }

    ImageCode code;
    code.panelSize = panelSize(size, options.panel);
    const PictureSize& panel = code.panelSize;
    code.sizeBytes = sizeBytes(panel, options.sizeHeader, options.byteOrder);
    // The plain road reads the components where they stand; only a transformed picture is copied.
    std::vector<std::int32_t> transformed;
    if (options.panel != PanelOptions{}) transformed = toPanel(components, size, options.panel);
    const std::span<const std::int32_t> received = transformed.empty() ? components : transformed;

    code.conversion.depth = options.depth;
    requireStorage(options);
    if (options.storage.plain()) {
        code.conversion.parts = ditheredParts(received, panel.width, options.depth, options.dither);
        code.conversion.packed = packParts(code.conversion.parts, options.depth, options.byteOrder);
    } else {
        storeCompactly(code.conversion, received, panel, options);
    }
    const std::vector<std::int32_t>& packed = code.conversion.packed;
    code.text = arrayText(options.arrayName, options.target, code.sizeBytes, packed, options.layout);
    describeArray(options, panel, code.declaredCount(), code.text, code.header);
    // The file is the size bytes and the data bytes; the packing's closing values past the data are not.
    // Stored compactly, every value is a byte of the file.
    const std::size_t dataBytes = options.storage.plain() ? rawDataByteCount(options.depth, pixels) : packed.size();
    code.rawFile.reserve(code.sizeBytes.size() + dataBytes);
    code.rawFile = code.sizeBytes;
    for (std::size_t i = 0; i < dataBytes; ++i) code.rawFile.push_back(static_cast<std::uint8_t>(packed[i]));
    return code;
}

void requireStorage(const CodeOptions& options) {
    const Storage& storage = options.storage;
    if (storage.paletteSize > 0 && storage.mono) throw std::invalid_argument("a monochrome picture has no palette");
    if (storage.paletteSize > 0 && !isPaletteSize(storage.paletteSize)) {
        throw std::invalid_argument("a palette has 2, 4, 16 or 256 colours, not " + std::to_string(storage.paletteSize));
    }
    if (storage.paletteSize > 0 && options.dither == Dither::Ordered) {
        throw std::invalid_argument("ordered dithering does not apply to a palette: choose error diffusion or none");
    }
}

std::vector<std::uint8_t> storedBytes(const Storage& storage, Depth depth, std::span<const std::uint8_t> palette,
                                      std::span<const std::uint8_t> data) {
    const Compressed compressed = compress(data, storage.compression, rleUnit(depth, storage));
    std::vector<std::uint8_t> bytes;
    bytes.reserve(1 + palette.size() + compressed.bytes.size());
    if (storage.compression != Compression::None) bytes.push_back(static_cast<std::uint8_t>(compressed.method));
    bytes.insert(bytes.end(), palette.begin(), palette.end());
    bytes.insert(bytes.end(), compressed.bytes.begin(), compressed.bytes.end());
    return bytes;
}

void describeArray(const CodeOptions& options, PictureSize panel, std::size_t declaredCount, ArrayText& text,
                   std::string& header) {
    if (options.layout.headerName.empty()) return;
    header = headerText(options.layout.headerName, options.arrayName, options.target, panel, declaredCount, options.storage);
    if (options.storage.plain()) return;
    // Stored compactly, the source says where the data lies and how to read it; the header declares it.
    const DecoderImage image = decoderImage(options.rawLayout(), panel, declaredCount);
    text.trailer.push_back(decoderImageDefinition(cIdentifier(options.arrayName), image));
}

std::vector<std::int16_t> ImageCode::fileImage() const {
    std::vector<std::int16_t> image(sizeBytes.size() + conversion.packed.size() + 1);
    fillFileValues(image, sizeBytes, conversion.packed);
    return image;
}

} // namespace quorvane::codegen
