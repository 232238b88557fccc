#pragma once
// Opening a picture for the display and capturing its pixels into the component store.

#include "capture/fit.h"
#include "capture/picture.h"

#include <optional>

#include <cstdint>
#include <span>
#include <string>
#include <variant>

namespace quorvane::capture {

class FrameReceiver;

inline constexpr int kMaxSide = 132;                // the display: 132 x 132 pixels unless told otherwise
inline constexpr std::size_t kStoreEntries = 60001; // componentStore's indexes 0..60000

// A picture the panel can take fits in far less; a larger file is refused before it is read. Pictures
// to be fitted to the panel may be up to kMaxFitSide in a side, and their files as large as
// kMaxFitFileBytes: they are read a piece at a time, so the size of the file costs time, not memory.
inline constexpr std::uintmax_t kMaxFileBytes = 16u * 1024 * 1024;
inline constexpr int kMaxFitSide = 8192;
inline constexpr std::uintmax_t kMaxFitFileBytes = std::uintmax_t{1} << 30;

inline constexpr const char* kTooLargeMessage = "Image dimensions too large.";

struct LoadError {
    enum class Kind { Unreadable, TooLarge } kind;
    std::string message;   // for Unreadable: names the file and the reason
    bool fittable = false; // TooLarge: with fitting, the picture would be taken
};

struct LoadOptions {
    bool fit = false;                    // scale a picture larger than the frame down instead of refusing it
    std::uint32_t background = 0xFFFFFF; // 0x00BBGGRR under transparent pixels
    int maxWidth = kMaxSide;             // the frame: the panel turned back to the picture as opened
    int maxHeight = kMaxSide;
    FitMode fitMode = FitMode::Contain;
};

// Reads and decodes the picture at path, whatever its format (recognised by its first bytes), lays any
// transparency over the background and, with `fit`, fits a picture larger than maxWidth x maxHeight into
// it (fitPlan). The declared size is checked before any pixel is decoded, so a refused file costs only
// its headers: without `fit` a picture wider or higher than the frame is refused as too large; with it, a
// side over kMaxFitSide. A picture that is fitted is never held whole: its rows go from the decoder
// straight into the area average, a JPEG is decoded at the smallest scale at which every output pixel
// spans at least four decoded samples each way, and the file is read a piece at a time.
std::variant<Picture, LoadError> loadPicture(const std::string& path, const LoadOptions& options = {});

// Where streamPicture hands a picture: its size, then its rows from the top, opaque.
class PictureRows {
  public:
    virtual ~PictureRows() = default;
    virtual void begin(int width, int height) = 0;
    // Red, green, blue of each pixel of the next row: 3 * width bytes.
    virtual void row(std::span<const std::uint8_t> rgb) = 0;
};

// loadPicture's checks and picture, handed over a row at a time: a picture the panel takes as it is
// goes on as the decoder gives its rows (held only from a row that comes out of order: a bottom-up BMP,
// an interlaced pass), a fitted one once it is averaged. Returns the refusal loadPicture would give;
// rows may have been handed over before a failure, which the caller then throws away.
std::optional<LoadError> streamPicture(const std::string& path, const LoadOptions& options, PictureRows& rows);
// The same on bytes already in memory; `name` stands for the file in messages.
std::optional<LoadError> streamPictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                const LoadOptions& options, PictureRows& rows);

// With the checks loadPicture makes of the file, every frame of the animation at path (GIF, APNG, WebP)
// composed for the receiver (capture/animation.h): true when it was read, false for a file that is a
// still (nothing read), or why it cannot be, named as loadPicture names it.
std::variant<bool, LoadError> readAnimation(const std::string& path, FrameReceiver& receiver, std::uint64_t maxPixels);

// loadPicture's checks on bytes already in memory; `name` stands for the file in messages.
std::variant<Picture, LoadError> pictureFromBytes(std::span<const std::uint8_t> bytes, const std::string& name,
                                                  const LoadOptions& options = {});

// Red, green, blue of every pixel, row by row from the top-left, into store[0 .. 3*W*H - 1].
// Returns the number of entries filled. Throws std::length_error if the store is too small.
std::int32_t captureComponents(const Picture& picture, std::span<std::int32_t> store);

} // namespace quorvane::capture
