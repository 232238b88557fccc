#include "codegen/imagecode.h"

#include "codegen/header.h"
#include "codegen/rawfile.h"

#include <stdexcept>
#include <string>

namespace quorvane::codegen {

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
    code.conversion.parts = ditheredParts(received, panel.width, options.depth, options.dither);
    code.conversion.packed = packParts(code.conversion.parts, options.depth, options.byteOrder);
    const std::vector<std::int32_t>& packed = code.conversion.packed;
    code.text = arrayText(options.arrayName, options.target, code.sizeBytes, packed, options.layout);
    if (!options.layout.headerName.empty()) {
        code.header =
            headerText(options.layout.headerName, options.arrayName, options.target, panel, code.declaredCount());
    }
    // The file is the size bytes and the data bytes; the packing's closing values past the data are not.
    const std::size_t dataBytes = rawDataByteCount(options.depth, pixels);
    code.rawFile.reserve(code.sizeBytes.size() + dataBytes);
    code.rawFile = code.sizeBytes;
    for (std::size_t i = 0; i < dataBytes; ++i) code.rawFile.push_back(static_cast<std::uint8_t>(packed[i]));
    return code;
}

std::vector<std::int16_t> ImageCode::fileImage() const {
    std::vector<std::int16_t> image(sizeBytes.size() + conversion.packed.size() + 1);
    fillFileValues(image, sizeBytes, conversion.packed);
    return image;
}

} // namespace quorvane::codegen
