#include "packs/sources.h"

#include "capture/animation.h"
#include "capture/capture.h"

namespace quorvane::packs {
namespace {

using Size = codegen::PictureSize;

BuildError cannotOpen(const std::string& path, const std::string& reason) {
    return {"Cannot open " + path + ": " + reason + ".", false, false};
}

// An opaque picture in the frame: as it is, or fitted; one larger than the frame is refused without --fit.
std::variant<capture::Picture, std::string> inFrame(capture::Picture picture, const BuildOptions& options, Size frame) {
    picture = capture::composite(std::move(picture), options.background);
    if (picture.width <= frame.width && picture.height <= frame.height) return picture;
    if (!options.fit) {
        return "its size " + std::to_string(picture.width) + " x " + std::to_string(picture.height) + " is larger than the panel's " +
               std::to_string(frame.width) + " x " + std::to_string(frame.height) + "; use --fit";
    }
    const capture::FitPlan plan = capture::fitPlan({picture.width, picture.height}, {frame.width, frame.height}, options.fitMode);
    const auto axis = [](int samples, int scaled, int kept) {
        return capture::AverageAxis{.samples = samples, .source = samples, .unit = 1, .shortFirst = false, .scaled = scaled, .kept = kept};
    };
    capture::AreaAverage average(axis(picture.width, plan.scaled.width, plan.kept.width),
                                 axis(picture.height, plan.scaled.height, plan.kept.height));
    const auto w = static_cast<std::size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y) {
        average.add(y, 0, 1, std::span<const std::uint32_t>(picture.pixels).subspan(static_cast<std::size_t>(y) * w, w));
    }
    return average.result();
}

class FramesOf : public capture::FrameReceiver {
  public:
    FramesOf(const BuildOptions& options, Size frame, const FrameCallback& callback)
        : options_(options), frame_(frame), callback_(callback) {}
    std::optional<capture::DecodeError> begin(const capture::AnimationInfo& info) override {
        loops = info.loops;
        return std::nullopt;
    }
    std::optional<capture::DecodeError> frame(const capture::Picture& canvas, int delayMs) override {
        if (options_.cancel && *options_.cancel) {
            error = BuildError{"cancelled", false, true};
            return capture::DecodeError{"cancelled"};
        }
        auto fitted = inFrame(canvas, options_, frame_);
        if (auto* refusal = std::get_if<std::string>(&fitted)) return capture::DecodeError{*refusal};
        if (auto failed = callback_(std::get<capture::Picture>(fitted), delayMs)) {
            error = std::move(failed);
            return capture::DecodeError{"stopped"};
        }
        ++frames;
        return std::nullopt;
    }
    int loops = 0, frames = 0;
    std::optional<BuildError> error; // the callback's own, which stopped the reading

  private:
    const BuildOptions& options_;
    Size frame_;
    const FrameCallback& callback_;
};

// A picture whole: fitted into the panel (or refused, pointing to --fit), or a sheet of at most the
// largest picture this program reads.
enum class Whole { InThePanel, Sheet };

std::variant<capture::Picture, BuildError> loadWhole(const std::string& path, const BuildOptions& options, int maxWidth, int maxHeight,
                                                     bool fit, Whole whole = Whole::InThePanel) {
    auto loaded = capture::loadPicture(path, {.fit = fit, .background = options.background, .maxWidth = maxWidth,
                                              .maxHeight = maxHeight, .fitMode = options.fitMode});
    if (auto* error = std::get_if<capture::LoadError>(&loaded)) {
        if (error->kind == capture::LoadError::Kind::TooLarge) {
            const std::string size = std::to_string(maxWidth) + " x " + std::to_string(maxHeight);
            if (whole == Whole::Sheet) return cannotOpen(path, "it is larger than a sprite sheet may be, " + size);
            return cannotOpen(path, "it is larger than the panel's " + size + (error->fittable ? "; use --fit" : ""));
        }
        return BuildError{error->message, false, false};
    }
    return std::get<capture::Picture>(std::move(loaded));
}

} // namespace

std::variant<int, BuildError> readSource(const AssetSource& source, const BuildOptions& options, const FrameCallback& callback) {
    const Size frame = codegen::panelSize(options.panel, options.style.panel); // the panel turned back by the rotation
    switch (source.kind) {
    case AssetSource::Kind::Picture: {
        FramesOf receiver(options, frame, callback);
        const auto read = capture::readAnimation(source.path, receiver, std::uint64_t{capture::kMaxFitSide} * capture::kMaxFitSide);
        if (receiver.error) return *receiver.error;
        if (const auto* error = std::get_if<capture::LoadError>(&read)) return BuildError{error->message, false, false};
        // One frame is a still: it is shown, not played.
        if (std::get<bool>(read)) return receiver.frames == 1 ? 0 : receiver.loops;
        auto picture = loadWhole(source.path, options, frame.width, frame.height, options.fit);
        if (auto* error = std::get_if<BuildError>(&picture)) return *error;
        if (auto error = callback(std::get<capture::Picture>(picture), 0)) return *error;
        return 0;
    }
    case AssetSource::Kind::Frames: {
        std::optional<Size> first;
        for (const std::string& path : source.files) {
            if (options.cancel && *options.cancel) return BuildError{"cancelled", false, true};
            auto picture = loadWhole(path, options, frame.width, frame.height, options.fit);
            if (auto* error = std::get_if<BuildError>(&picture)) return *error;
            const auto& p = std::get<capture::Picture>(picture);
            if (first && (p.width != first->width || p.height != first->height)) {
                return cannotOpen(path, "its size " + std::to_string(p.width) + " x " + std::to_string(p.height) +
                                            " differs from the first frame's " + std::to_string(first->width) + " x " +
                                            std::to_string(first->height));
            }
            first = Size{p.width, p.height};
            if (auto error = callback(p, source.delayMs)) return *error;
        }
        return 0;
    }
    case AssetSource::Kind::Sheet: {
        auto sheet = loadWhole(source.path, options, capture::kMaxFitSide, capture::kMaxFitSide, false, Whole::Sheet);
        if (auto* error = std::get_if<BuildError>(&sheet)) return *error;
        const auto& p = std::get<capture::Picture>(sheet);
        if (source.tileWidth < 1 || source.tileHeight < 1 || p.width % source.tileWidth || p.height % source.tileHeight) {
            return BuildError{"--sheet " + std::to_string(source.tileWidth) + "x" + std::to_string(source.tileHeight) + ": " + source.path +
                                  " is " + std::to_string(p.width) + " x " + std::to_string(p.height) + ", not a whole number of tiles",
                              true, false};
        }
        const auto w = static_cast<std::size_t>(p.width);
        for (int ty = 0; ty < p.height; ty += source.tileHeight) {
            for (int tx = 0; tx < p.width; tx += source.tileWidth) {
                capture::Picture tile{source.tileWidth, source.tileHeight, {}, {}};
                for (int y = ty; y < ty + source.tileHeight; ++y) {
                    const auto row = p.pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * w + static_cast<std::size_t>(tx));
                    tile.pixels.insert(tile.pixels.end(), row, row + source.tileWidth);
                }
                auto fitted = inFrame(std::move(tile), options, frame);
                if (auto* refusal = std::get_if<std::string>(&fitted)) return cannotOpen(source.path, "its tiles: " + *refusal);
                if (auto error = callback(std::get<capture::Picture>(fitted), source.delayMs)) return *error;
            }
        }
        return 0;
    }
    }
    return 0;
}

} // namespace quorvane::packs
