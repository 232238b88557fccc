#include "capture/webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <variant>
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

// The file read whole and its animation decoder opened, once `refuse` has had the canvas's declared
// size. The decoder reads from the bytes, which move with it.
struct OpenedWebp {
    std::vector<std::uint8_t> bytes;
    AnimDecoder decoder;
    WebPAnimInfo info{};
};

std::variant<OpenedWebp, DecodeError> openWebp(ByteSource& file, const std::function<std::optional<DecodeError>(DeclaredSize)>& refuse) {
    std::string error;
    auto bytes = wholeFile(file, error);
    if (!bytes) return DecodeError{error};
    const auto declared = canvasSize(*bytes);
    if (!declared || declared->width < 1 || declared->height < 1) return DecodeError{"the WebP data is damaged (its headers)"};
    if (auto refusal = refuse(*declared)) return *refusal;
    OpenedWebp opened{std::move(*bytes), nullptr, {}};
    opened.decoder = openDecoder(opened.bytes);
    if (!opened.decoder || !WebPAnimDecoderGetInfo(opened.decoder.get(), &opened.info)) return DecodeError{"the WebP data is damaged"};
    return opened;
}

} // namespace

bool isWebp(std::span<const std::uint8_t> file) {
    return file.size() >= 12 && std::memcmp(file.data(), "RIFF", 4) == 0 && std::memcmp(file.data() + 8, "WEBP", 4) == 0;
}

std::optional<DecodeError> decodeWebp(ByteSource& file, RowSink& sink) {
    auto opened = openWebp(file, [&sink](DeclaredSize size) {
        if (auto refusal = sink.declared(size)) return refusal;
        return sink.refuseBeyondLimit(static_cast<std::uint64_t>(size.width), static_cast<std::uint64_t>(size.height));
    });
    if (auto* error = std::get_if<DecodeError>(&opened)) return *error;
    const OpenedWebp& webp = std::get<OpenedWebp>(opened);
    std::uint8_t* rgba = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(webp.decoder.get(), &rgba, &timestamp)) return DecodeError{"the WebP data is damaged (its first frame)"};
    const int width = static_cast<int>(webp.info.canvas_width), height = static_cast<int>(webp.info.canvas_height);
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
    auto opened = openWebp(file, [maxPixels](DeclaredSize size) {
        return refuseBeyond(static_cast<std::uint64_t>(size.width), static_cast<std::uint64_t>(size.height), maxPixels);
    });
    if (auto* error = std::get_if<DecodeError>(&opened)) return *error;
    const OpenedWebp& webp = std::get<OpenedWebp>(opened);
    const int width = static_cast<int>(webp.info.canvas_width), height = static_cast<int>(webp.info.canvas_height);
    if (auto refusal = receiver.begin({width, height, static_cast<int>(webp.info.loop_count)})) return refusal;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    Picture canvas{width, height, std::vector<std::uint32_t>(pixels), std::vector<std::uint8_t>(pixels)};
    int frames = 0, shown = 0; // shown: when the frame before ended, in ms
    while (WebPAnimDecoderHasMoreFrames(webp.decoder.get())) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0; // when this frame ends
        if (!WebPAnimDecoderGetNext(webp.decoder.get(), &rgba, &timestamp)) return DecodeError{framed(frames, "the WebP data is damaged")};
        toPicture(rgba, canvas);
        if (auto refusal = receiver.frame(canvas, timestamp - shown)) return refusal;
        shown = timestamp;
        ++frames;
    }
    if (frames == 0) return DecodeError{"it holds no frame"};
    return std::nullopt;
}

} // namespace quorvane::capture
