#include "capture/gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

struct Reader {
    ByteSource& file;
    bool ranOut = false; // giflib asked for more than the file holds
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const auto wanted = static_cast<std::size_t>(std::max(length, 0));
    const std::size_t n = reader->file.read(out, wanted);
    if (n < wanted) reader->ranOut = true;
    return static_cast<int>(n);
}

class GifRead {
  public:
    explicit GifRead(Reader& reader) : reader_(reader) { gif_ = DGifOpen(&reader, readBytes, &error_); }
    ~GifRead() {
        int ignored = 0;
        if (gif_) DGifCloseFile(gif_, &ignored);
    }
    GifRead(const GifRead&) = delete;
    GifRead& operator=(const GifRead&) = delete;
    GifFileType* get() const { return gif_; }
    DecodeError failure() const {
        const int code = gif_ ? gif_->Error : error_;
        const char* text = GifErrorString(code);
        if (reader_.file.failed()) return {reader_.file.shortReadReason()};
        if (reader_.ranOut || code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON) {
            return {"the file is truncated"};
        }
        return {std::string("the GIF data is damaged (") + (text ? text : "unknown error") + ")"};
    }

  private:
    Reader& reader_;
    GifFileType* gif_ = nullptr;
    int error_ = 0;
};

// Rows of an interlaced frame arrive in four passes: every 8th from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1.
std::vector<int> rowOrder(int height, bool interlaced) {
    std::vector<int> order;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            order.push_back(y);
        return order;
    }
    constexpr int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass])
            order.push_back(y);
    }
    return order;
}

// The first frame's rows, placed on the screen, which starts transparent: each screen row goes to the
// sink once, those the frame leaves alone first.
std::optional<DecodeError> giveFrame(GifRead& read, const ColorMapObject& map, int transparent, RowSink& sink) {
    GifFileType* gif = read.get();
    const GifImageDesc& frame = gif->Image;
    const int screenWidth = gif->SWidth, screenHeight = gif->SHeight;
    sink.start({screenWidth, screenHeight}, true, {});
    std::vector<std::uint32_t> colours(static_cast<std::size_t>(screenWidth), 0);
    std::vector<std::uint8_t> alpha(colours.size(), 0);
    for (int y = 0; y < screenHeight; ++y) {
        if (y < frame.Top || y >= frame.Top + frame.Height) sink.row(y, 0, 1, colours, alpha);
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
    for (int y : rowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return read.failure();
        const int sy = frame.Top + y;
        if (sy < 0 || sy >= screenHeight) continue;
        std::fill(colours.begin(), colours.end(), 0);
        std::fill(alpha.begin(), alpha.end(), 0);
        for (int x = 0; x < frame.Width; ++x) {
            const int sx = frame.Left + x;
            const int index = line[static_cast<std::size_t>(x)];
            if (sx < 0 || sx >= screenWidth || index == transparent) continue;
            // An index past the colour table shows black, as browsers show it.
            const GifColorType colour = index < map.ColorCount ? map.Colors[index] : GifColorType{0, 0, 0};
            colours[static_cast<std::size_t>(sx)] = colorValue(colour.Red, colour.Green, colour.Blue);
            alpha[static_cast<std::size_t>(sx)] = 255;
        }
        sink.row(sy, 0, 1, colours, alpha);
    }
    return std::nullopt;
}

// A frame's rectangle clipped to the canvas.
struct Rect {
    int x0, y0, x1, y1;
};

Rect clipped(const GifImageDesc& frame, int width, int height) {
    return {std::clamp(frame.Left, 0, width), std::clamp(frame.Top, 0, height),
            std::clamp(frame.Left + frame.Width, 0, width), std::clamp(frame.Top + frame.Height, 0, height)};
}

void copyRect(const Picture& from, Picture& to, const Rect& r) {
    for (int y = r.y0; y < r.y1; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(from.width);
        std::copy(from.pixels.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x0)),
                  from.pixels.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x1)),
                  to.pixels.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x0)));
        std::copy(from.alpha.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x0)),
                  from.alpha.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x1)),
                  to.alpha.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(r.x0)));
    }
}

void clearRect(Picture& canvas, const Rect& r) {
    for (int y = r.y0; y < r.y1; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas.width);
        for (int x = r.x0; x < r.x1; ++x) {
            canvas.pixels[at + static_cast<std::size_t>(x)] = 0;
            canvas.alpha[at + static_cast<std::size_t>(x)] = 0;
        }
    }
}

// Why the file is no GIF with a screen to draw on, if it is not.
std::optional<DecodeError> screenRefusal(const GifRead& read) {
    const GifFileType* gif = read.get();
    if (!gif) return read.failure();
    if (gif->SWidth < 1 || gif->SHeight < 1) return DecodeError{"its logical screen has no pixels"};
    return std::nullopt;
}

std::string framed(int frame, const DecodeError& error) { return "frame " + std::to_string(frame) + ": " + error.reason; }

} // namespace

bool isGif(std::span<const std::uint8_t> file) {
    return file.size() >= 6 &&
           (std::memcmp(file.data(), "GIF87a", 6) == 0 || std::memcmp(file.data(), "GIF89a", 6) == 0);
}

std::optional<DecodeError> decodeGif(ByteSource& file, RowSink& sink) {
    file.seek(0);
    Reader reader{file, false};
    GifRead read(reader);
    if (auto refusal = screenRefusal(read)) return refusal;
    GifFileType* gif = read.get();
    if (auto refusal = sink.declared({gif->SWidth, gif->SHeight})) return refusal;
    if (auto error = sink.refuseBeyondLimit(gif->SWidth, gif->SHeight)) return error;

    int transparent = -1; // from the graphic control extension before the first frame
    while (true) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return read.failure();
        if (record == TERMINATE_RECORD_TYPE) return DecodeError{"it holds no picture"};
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return read.failure();
            GraphicsControlBlock control{};
            if (code == GRAPHICS_EXT_FUNC_CODE && block &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
                transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return read.failure();
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;

        if (DGifGetImageDesc(gif) == GIF_ERROR) return read.failure();
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map) return DecodeError{"its first frame has no colour table"};
        if (frame.Width < 1 || frame.Height < 1 ||
            static_cast<std::uint64_t>(frame.Width) * static_cast<std::uint64_t>(frame.Height) > sink.pixelLimit()) {
            return DecodeError{"its first frame's size is not one it can hold"};
        }
        return giveFrame(read, *map, transparent, sink);
    }
}

std::optional<DecodeError> readGifFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels) {
    file.seek(0);
    Reader reader{file, false};
    GifRead read(reader);
    if (auto refusal = screenRefusal(read)) return refusal;
    GifFileType* gif = read.get();
    if (auto error = refuseBeyond(static_cast<std::uint64_t>(gif->SWidth), static_cast<std::uint64_t>(gif->SHeight), maxPixels)) {
        return error;
    }
    const int width = gif->SWidth, height = gif->SHeight;
    AnimationInfo info{width, height, 1};
    bool begun = false;
    Picture canvas{width, height, std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0),
                   std::vector<std::uint8_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0)};
    Picture before; // the canvas under a frame that restores to previous
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    int pendingDisposal = DISPOSAL_UNSPECIFIED;
    Rect pendingRect{0, 0, 0, 0};
    int frames = 0;
    std::vector<GifPixelType> line;
    while (true) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        const auto failed = [&]() -> std::optional<DecodeError> {
            return frames > 0 ? DecodeError{framed(frames, read.failure())} : read.failure();
        };
        if (DGifGetRecordType(gif, &record) == GIF_ERROR) return failed();
        if (record == TERMINATE_RECORD_TYPE) break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return failed();
            if (code == GRAPHICS_EXT_FUNC_CODE && block) DGifExtensionToGCB(block[0], block + 1, &control);
            const bool netscape = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                                  (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return failed();
                if (netscape && block && block[0] >= 3 && block[1] == 1) info.loops = block[2] | block[3] << 8;
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) continue;
        if (DGifGetImageDesc(gif) == GIF_ERROR) return failed();
        if (!begun) {
            if (auto refusal = receiver.begin(info)) return refusal;
            begun = true;
        }
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!map) return DecodeError{framed(frames, {"it has no colour table"})};
        if (frame.Width < 1 || frame.Height < 1 ||
            static_cast<std::uint64_t>(frame.Width) * static_cast<std::uint64_t>(frame.Height) > maxPixels) {
            return DecodeError{framed(frames, {"its size is not one it can hold"})};
        }
        // What the frame before asked to be done with its rectangle once it had been shown.
        if (pendingDisposal == DISPOSE_BACKGROUND) clearRect(canvas, pendingRect);
        if (pendingDisposal == DISPOSE_PREVIOUS) copyRect(before, canvas, pendingRect);
        const Rect rect = clipped(frame, width, height);
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            if (before.pixels.empty()) before = canvas;
            else copyRect(canvas, before, rect);
        }
        line.resize(static_cast<std::size_t>(frame.Width));
        for (int y : rowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return DecodeError{framed(frames, read.failure())};
            const int sy = frame.Top + y;
            if (sy < 0 || sy >= height) continue;
            const std::size_t at = static_cast<std::size_t>(sy) * static_cast<std::size_t>(width);
            for (int x = 0; x < frame.Width; ++x) {
                const int sx = frame.Left + x;
                const int index = line[static_cast<std::size_t>(x)];
                if (sx < 0 || sx >= width || index == control.TransparentColor) continue;
                const GifColorType colour = index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                canvas.pixels[at + static_cast<std::size_t>(sx)] = colorValue(colour.Red, colour.Green, colour.Blue);
                canvas.alpha[at + static_cast<std::size_t>(sx)] = 255;
            }
        }
        if (auto refusal = receiver.frame(canvas, control.DelayTime * 10)) return refusal;
        pendingDisposal = control.DisposalMode;
        pendingRect = rect;
        control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        ++frames;
    }
    if (frames == 0) return DecodeError{"it holds no picture"};
    return std::nullopt;
}

} // namespace quorvane::capture
