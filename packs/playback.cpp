#include "packs/playback.h"

#include "codegen/rawfile.h"
#include "packs/playbackrun.h"

#include <limits>

namespace quorvane::packs {
namespace {

extern "C" void appendBytes(void* to, const unsigned char* bytes, std::size_t n) {
    static_cast<std::vector<std::uint8_t>*>(to)->insert(static_cast<std::vector<std::uint8_t>*>(to)->end(), bytes, bytes + n);
}

} // namespace

std::optional<std::vector<PlayedAsset>> playPack(std::span<const std::uint8_t> pack, std::size_t step) {
    if (pack.size() > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    const auto size = static_cast<std::uint32_t>(pack.size());
    std::uint16_t assets = 0;
    if (!quorvane_pack_assets(pack.data(), size, &assets)) return std::nullopt;
    std::vector<PlayedAsset> played;
    for (std::uint16_t a = 0; a < assets; ++a) {
        std::uint16_t info[4] = {};
        if (!quorvane_pack_asset(pack.data(), size, a, info)) return std::nullopt;
        PlayedAsset asset{info[0], info[1], info[3], {}};
        for (std::uint16_t f = 0; f < info[2]; ++f) {
            std::uint16_t frameInfo[2] = {};
            if (!quorvane_pack_frame(pack.data(), size, a, f, frameInfo)) return std::nullopt;
            PlayedFrame frame{frameInfo[0], {}};
            for (std::uint16_t p = 0; p < frameInfo[1]; ++p) {
                std::uint16_t rect[4] = {};
                std::vector<std::uint8_t> bytes;
                int failed = 0;
                if (!quorvane_pack_part(pack.data(), size, a, f, p, rect, appendBytes, &bytes, step < 1 ? 1 : step, &failed)) {
                    return std::nullopt;
                }
                frame.parts.push_back({{rect[0], rect[1], rect[2], rect[3]}, std::move(bytes), failed != 0});
            }
            asset.frames.push_back(std::move(frame));
        }
        played.push_back(std::move(asset));
    }
    return played;
}

std::optional<std::vector<codegen::DisplayedPicture>> shownFrames(const PlayedAsset& asset, const FrameStyle& style) {
    const codegen::PictureSize received{asset.width, asset.height};
    // The parts as the panel holds them, three per pixel, in the panel's own orientation.
    std::vector<std::int32_t> panel(3 * received.pixels(), 0);
    codegen::Storage stream; // what qv_read gives: whole pixels, or the mono bytes in their layout
    stream.mono = style.storage.mono;
    stream.monoLayout = style.storage.monoLayout;
    const codegen::RawLayout layout{style.depth, style.byteOrder, codegen::SizeHeader::None, stream};
    codegen::PictureSize opened = received;
    if (style.panel.rotation == 90 || style.panel.rotation == 270) opened = {received.height, received.width};
    std::vector<codegen::DisplayedPicture> shown;
    for (const PlayedFrame& frame : asset.frames) {
        for (const PlayedPart& part : frame.parts) {
            if (part.failed) return std::nullopt;
            const auto decoded = codegen::decodeRawFile(part.bytes, layout, {part.rect.w, part.rect.h});
            if (!decoded || decoded->width != part.rect.w || decoded->height != part.rect.h) return std::nullopt;
            for (int y = 0; y < part.rect.h; ++y) {
                for (int x = 0; x < part.rect.w; ++x) {
                    const std::size_t from = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(part.rect.w) + static_cast<std::size_t>(x));
                    const std::size_t to = 3 * (static_cast<std::size_t>(part.rect.y + y) * static_cast<std::size_t>(received.width) +
                                                static_cast<std::size_t>(part.rect.x + x));
                    for (std::size_t ch = 0; ch < 3; ++ch) panel[to + ch] = decoded->parts[from + ch];
                }
            }
        }
        const std::vector<std::uint8_t> levels = codegen::displayedComponents(panel, style.depth);
        shown.push_back({opened.width, opened.height, codegen::fromPanel(levels, opened, style.panel)});
    }
    return shown;
}

} // namespace quorvane::packs
