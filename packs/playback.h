#pragma once
// A pack played back by quorvane_decode.h itself, as firmware plays it: what the tool previews and the
// tests check is what the device decodes.

#include "codegen/display.h"
#include "packs/frames.h"
#include "packs/pack.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvane::packs {

struct PlayedPart {
    Rect rect;
    std::vector<std::uint8_t> bytes; // what qv_read gave
    bool failed = false;
};

struct PlayedFrame {
    int delayMs = 0;
    std::vector<PlayedPart> parts;
};

struct PlayedAsset {
    int width = 0, height = 0, loops = 0;
    std::vector<PlayedFrame> frames;
};

// Every asset, frame and part through qv_pack_open, qv_pack_asset, qv_asset_frame, qv_frame_part and
// qv_read (`step` bytes a call). nullopt when the decoder refuses the pack or any entry of its index.
std::optional<std::vector<PlayedAsset>> playPack(std::span<const std::uint8_t> pack, std::size_t step = 4096);

// The asset's frames as the panel shows them after each frame's parts are laid over the one before,
// with the panel's transforms undone (upright, in the picture's own colours). nullopt when a part fails
// or does not read back as its rectangle.
std::optional<std::vector<codegen::DisplayedPicture>> shownFrames(const PlayedAsset& asset, const FrameStyle& style);

} // namespace quorvane::packs
