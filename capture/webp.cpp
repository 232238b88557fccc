#include "capture/webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

// libwebp decodes from memory only: the file is read whole (it is the compressed form, never the frames).
std::optional<std::vector<std::uint8_t>> wholeFile(ByteSource& file, std::string& error) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    file.seek(0);
    if (!file.readAll(bytes.data(), bytes.size())) {
        error = file.shortReadReason();
        return std::nullopt;
    }
    return bytes;
}

struct AnimDecoderDeleter {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};
using AnimDecoder = std::unique_ptr<WebPAnimDecoder, AnimDecoderDeleter>;

// The canvas's size from the file's headers, before anything is decoded.
std::optional<DeclaredSize> canvasSize(std::span<const std::uint8_t> bytes) {
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes.data(), bytes.size(), &features) != VP8_STATUS_OK) return std::nullopt;
    return DeclaredSize{features.width, features.height};
}

AnimDecoder openDecoder(std::span<const std::uint8_t> bytes) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return nullptr;
    options.color_mode = MODE_RGBA; // straight alpha: laid over the background like any other picture's
    options.use_threads = 0;
    const WebPData data{bytes.data(), bytes.size()};
    return AnimDecoder(WebPAnimDecoderNew(&data, &options));
}

// The decoder's RGBA canvas as colour values and alpha.
void toPicture(const std::uint8_t* rgba, Picture& picture) {
    for (std::size_t i = 0; i < picture.pixels.size(); ++i, rgba += 4) {
        picture.pixels[i] = colorValue(rgba[0], rgba[1], rgba[2]);
        picture.alpha[i] = rgba[3];
    }
}

std::string framed(int frame, const std::string& reason) { return "frame " + std::to_string(frame) + ": " + reason; }

} // namespace

bool isWebp(std::span<const std::uint8_t> file) {
    return file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 && std::memcmp(file.data() + 8, "WEBP", 4) == 0;
}

std::optional<DecodeError> decodeWebp(ByteSource& file, RowSink& sink) {
    std::string error;
    const auto bytes = wholeFile(file, error);
    if (!bytes) return DecodeError{error};
    const auto declared = canvasSize(*bytes);
    if (!declared || declared->width < 1 || declared->height < 1) return DecodeError{"the WebP data is damaged (its headers)"};
    if (auto refusal = sink.declared(*declared)) return refusal;
    if (auto refusal = sink.refuseBeyondLimit(static_cast<std::uint64_t>(declared->width), static_cast<std::uint64_t>(declared->height))) {
        return refusal;
    }
    const AnimDecoder decoder = openDecoder(*bytes);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return DecodeError{"the WebP data is damaged"};
    std::uint8_t* rgba = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &rgba, &timestamp)) return DecodeError{"the WebP data is damaged (its first frame)"};
    const int width = static_cast<int>(info.canvas_width), height = static_cast<int>(info.canvas_height);
    sink.start({width, height}, true, {});
    std::vector<std::uint32_t> colours(static_cast<std::size_t>(width));
    std::vector<std::uint8_t> alpha(colours.size());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = rgba + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (std::size_t x = 0; x < colours.size(); ++x) {
            colours[x] = colorValue(row[4 * x], row[4 * x + 1], row[4 * x + 2]);
            alpha[x] = row[4 * x + 3];
        }
        sink.row(y, 0, 1, colours, alpha);
    }
    return std::nullopt;
}

std::optional<DecodeError> readWebpFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels) {
    std::string error;
    const auto bytes = wholeFile(file, error);
    if (!bytes) return DecodeError{error};
    const auto declared = canvasSize(*bytes);
    if (!declared || declared->width < 1 || declared->height < 1) return DecodeError{"the WebP data is damaged (its headers)"};
    if (auto refusal = refuseBeyond(static_cast<std::uint64_t>(declared->width), static_cast<std::uint64_t>(declared->height), maxPixels)) {
        return refusal;
    }
    const AnimDecoder decoder = openDecoder(*bytes);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) return DecodeError{"the WebP data is damaged"};
    const int width = static_cast<int>(info.canvas_width), height = static_cast<int>(info.canvas_height);
    if (auto refusal = receiver.begin({width, height, static_cast<int>(info.loop_count)})) return refusal;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Picture canvas{width, height, std::vector<std::uint32_t>(pixels), std::vector<std::uint8_t>(pixels)};
    int frames = 0, shown = 0; // shown: when the frame before ended, in ms
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0; // when this frame ends
        if (!WebPAnimDecoderGetNext(decoder.get(), &rgba, &timestamp)) return DecodeError{framed(frames, "the WebP data is damaged")};
        toPicture(rgba, canvas);
        if (auto refusal = receiver.frame(canvas, timestamp - shown)) return refusal;
        shown = timestamp;
        ++frames;
    }
    if (frames == 0) return DecodeError{"it holds no frame"};
    return std::nullopt;
}

} // namespace quorvane::capture
