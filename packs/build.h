#pragma once
// Many pictures into one pack: each source read frame after frame, each frame fitted, turned and reduced
// as the panel shows it, and stored as the rectangles that changed. Assets and frames are converted in
// parallel; the bytes are the same for any number of threads.

#include "capture/fit.h"
#include "packs/frames.h"
#include "packs/pack.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::packs {

struct AssetSource {
    enum class Kind {
        Picture, // a still (one frame) or an animation (its frames)
        Frames,  // the pictures of `files`, in that order, one frame each
        Sheet    // one picture cut into tiles, left to right then top to bottom, one frame each
    };
    Kind kind = Kind::Picture;
    std::string path;               // the picture, the sheet, or the folder of the frames
    std::vector<std::string> files; // Frames: the pictures
    int delayMs = 100;              // Frames and Sheet: every frame's delay
    int tileWidth = 0, tileHeight = 0;
    std::string name;               // a C identifier
};

struct BuildOptions {
    FrameStyle style;
    codegen::PictureSize panel{132, 132}; // the largest asset, as the panel receives it
    bool fit = false;
    capture::FitMode fitMode = capture::FitMode::Contain;
    std::uint32_t background = 0xFFFFFF; // 0x00BBGGRR under transparent pixels
    bool sharedPalette = false;          // one palette for every asset
    int jobs = 0;                        // threads; 0 for the machine's cores
    // Called as each asset is done (from any thread, one call at a time).
    std::function<void(std::size_t done, std::size_t all)> progress;
    const std::atomic<bool>* cancel = nullptr;
};

struct BuildError {
    std::string message;  // "Cannot open PATH: frame 3: the file is truncated."
    bool usage = false;   // the command was asked wrongly (a sheet whose size is no multiple of its tile)
    bool cancelled = false;
};

// Throws std::runtime_error when the quantiser or the compressor fails.
std::variant<Pack, BuildError> buildPack(const std::vector<AssetSource>& sources, const BuildOptions& options);

} // namespace quorvane::packs
