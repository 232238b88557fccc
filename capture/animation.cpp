#include "capture/animation.h"

#include "capture/apng.h"
#include "capture/gif.h"
#include "capture/webp.h"

#include <array>

namespace quorvane::capture {
namespace {

std::span<const std::uint8_t> firstBytes(ByteSource& file, std::array<std::uint8_t, 12>& bytes) {
    file.seek(0);
    const std::size_t n = file.read(bytes.data(), bytes.size());
    file.seek(0);
    return {bytes.data(), n};
}

} // namespace

bool isAnimationFile(ByteSource& file) {
    std::array<std::uint8_t, 12> bytes{};
    const auto first = firstBytes(file, bytes);
    return isGif(first) || isWebp(first) || isApng(file);
}

std::optional<DecodeError> readFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels) {
    std::array<std::uint8_t, 12> bytes{};
    const auto first = firstBytes(file, bytes);
    if (isGif(first)) return readGifFrames(file, receiver, maxPixels);
    if (isWebp(first)) return readWebpFrames(file, receiver, maxPixels);
    if (isApng(file)) return readApngFrames(file, receiver, maxPixels);
    return DecodeError{"it is not an animation"};
}

} // namespace quorvane::capture
