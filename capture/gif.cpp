#include "capture/gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

struct Reader {
    std::span<const std::uint8_t> file;
    std::size_t at = 0;
    bool ranOut = false; // giflib asked for more than the file holds
};

int readBytes(GifFileType* gif, GifByteType* out, int length) {
    auto* reader = static_cast<Reader*>(gif->UserData);
    const std::size_t n =
        std::min(static_cast<std::size_t>(std::max(length, 0)), reader->file.size() - reader->at);
    std::memcpy(out, reader->file.data() + reader->at, n);
    reader->at += n;
    if (n < static_cast<std::size_t>(std::max(length, 0))) reader->ranOut = true;
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

} // namespace

bool isGif(std::span<const std::uint8_t> file) {
    return file.size() >= 6 &&
           (std::memcmp(file.data(), "GIF87a", 6) == 0 || std::memcmp(file.data(), "GIF89a", 6) == 0);
}

std::variant<DeclaredSize, DecodeError> readGifSize(std::span<const std::uint8_t> file) {
    Reader reader{file, 0, false};
    GifRead gif(reader);
    if (!gif.get()) return gif.failure();
    return DeclaredSize{gif.get()->SWidth, gif.get()->SHeight};
}

std::variant<Picture, DecodeError> decodeGif(std::span<const std::uint8_t> file, std::uint64_t maxPixels) {
    Reader reader{file, 0, false};
    GifRead read(reader);
    GifFileType* gif = read.get();
    if (!gif) return read.failure();
    if (gif->SWidth < 1 || gif->SHeight < 1) return DecodeError{"its logical screen has no pixels"};
    if (auto error = refuseBeyond(static_cast<std::uint64_t>(gif->SWidth),
                                  static_cast<std::uint64_t>(gif->SHeight), maxPixels)) {
        return *error;
    }

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
            static_cast<std::uint64_t>(frame.Width) * static_cast<std::uint64_t>(frame.Height) > maxPixels) {
            return DecodeError{"its first frame's size is not one it can hold"};
        }

        Picture picture;
        picture.width = gif->SWidth;
        picture.height = gif->SHeight;
        // The screen starts transparent; the frame covers what it covers.
        picture.pixels.assign(
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), 0);
        picture.alpha.assign(picture.pixels.size(), 0);
        std::vector<GifPixelType> line(static_cast<std::size_t>(frame.Width));
        for (int y : rowOrder(frame.Height, frame.Interlace)) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return read.failure();
            const int sy = frame.Top + y;
            if (sy < 0 || sy >= picture.height) continue;
            for (int x = 0; x < frame.Width; ++x) {
                const int sx = frame.Left + x;
                const int index = line[static_cast<std::size_t>(x)];
                if (sx < 0 || sx >= picture.width || index == transparent) continue;
                // An index past the colour table shows black, as browsers show it.
                const GifColorType colour =
                    index < map->ColorCount ? map->Colors[index] : GifColorType{0, 0, 0};
                const std::size_t at =
                    static_cast<std::size_t>(sy) * static_cast<std::size_t>(picture.width) +
                    static_cast<std::size_t>(sx);
                picture.pixels[at] = colorValue(colour.Red, colour.Green, colour.Blue);
                picture.alpha[at] = 255;
            }
        }
        return picture;
    }
}

} // namespace quorvane::capture
