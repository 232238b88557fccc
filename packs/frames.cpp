#include "packs/frames.h"

#include "capture/capture.h"
#include "codegen/format.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

namespace quorvane::packs {

std::vector<std::int32_t> panelComponents(const capture::Picture& opaque, const FrameStyle& style) {
    std::vector<std::int32_t> components(3 * opaque.pixels.size());
    capture::captureComponents(opaque, components);
    if (style.panel == codegen::PanelOptions{}) return components;
    return codegen::toPanel(components, {opaque.width, opaque.height}, style.panel);
}

PanelFrame panelFrame(std::span<const std::int32_t> received, codegen::PictureSize size, const FrameStyle& style,
                      std::span<const std::int32_t> paletteEntries) {
    PanelFrame frame{size, {}};
    frame.values.resize(size.pixels());
    if (style.storage.mono) {
        const std::vector<std::uint8_t> bits = codegen::monoBits(received, size, style.dither);
        frame.values.assign(bits.begin(), bits.end());
    } else if (style.storage.paletteSize > 0) {
        const std::vector<std::uint8_t> indices = codegen::mapToEntries(received, size, style.depth, paletteEntries, style.dither);
        frame.values.assign(indices.begin(), indices.end());
    } else {
        const std::vector<std::int32_t> parts = codegen::ditheredParts(received, size.width, style.depth, style.dither);
        for (std::size_t i = 0; i < frame.values.size(); ++i) {
            frame.values[i] = static_cast<std::uint32_t>(parts[3 * i]) << 16 | static_cast<std::uint32_t>(parts[3 * i + 1]) << 8 |
                              static_cast<std::uint32_t>(parts[3 * i + 2]);
        }
    }
    return frame;
}

std::vector<std::uint8_t> partData(const PanelFrame& frame, const Rect& rect, const FrameStyle& style) {
    const codegen::PictureSize size{rect.w, rect.h};
    std::vector<std::uint32_t> values;
    values.reserve(rect.pixels());
    for (int y = rect.y; y < rect.y + rect.h; ++y) {
        const auto row = frame.values.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.size.width));
        values.insert(values.end(), row + rect.x, row + rect.x + rect.w);
    }
    std::vector<std::uint8_t> data;
    if (style.storage.mono || style.storage.paletteSize > 0) {
        const std::vector<std::uint8_t> small(values.begin(), values.end());
        data = style.storage.mono ? codegen::monoBytes(small, size, style.storage.monoLayout)
                                  : codegen::packIndices(small, size, style.storage.indexBits());
    } else {
        std::vector<std::int32_t> parts(3 * values.size());
        for (std::size_t i = 0; i < values.size(); ++i) {
            parts[3 * i] = static_cast<std::int32_t>(values[i] >> 16);
            parts[3 * i + 1] = static_cast<std::int32_t>((values[i] >> 8) & 0xFF);
            parts[3 * i + 2] = static_cast<std::int32_t>(values[i] & 0xFF);
        }
        const std::vector<std::int32_t> packed = codegen::packParts(parts, style.depth, style.byteOrder);
        data.assign(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(codegen::rawDataByteCount(style.depth, values.size())));
    }
    const codegen::Compressed compressed = codegen::compress(data, style.storage.compression, codegen::rleUnit(style.depth, style.storage));
    std::vector<std::uint8_t> out;
    out.reserve(1 + compressed.bytes.size());
    out.push_back(static_cast<std::uint8_t>(compressed.method));
    out.insert(out.end(), compressed.bytes.begin(), compressed.bytes.end());
    return out;
}

} // namespace quorvane::packs
