#pragma once
// Animations written by the tests: GIFs through giflib, APNGs chunk by chunk around libpng's IDAT data,
// WebPs through libwebpmux. Colours are 0xAABBGGRR (alpha 255 opaque).

#include <gif_lib.h>
#include <png.h>
#include <webp/encode.h>
#include <webp/mux.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace animtest {

struct GifFrameSpec {
    int left = 0, top = 0, width = 1, height = 1;
    bool interlaced = false;
    std::vector<std::uint8_t> indexes; // rows in display order
    int transparent = -1;
    int disposal = 0;
    int delayCs = 0;
    std::vector<std::uint32_t> local; // a local colour table, or none
};

inline int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

inline ColorMapObject* colourMap(const std::vector<std::uint32_t>& colours) {
    std::vector<GifColorType> entries;
    for (std::uint32_t c : colours) entries.push_back({static_cast<GifByteType>(c), static_cast<GifByteType>(c >> 8), static_cast<GifByteType>(c >> 16)});
    return GifMakeMapObject(static_cast<int>(entries.size()), entries.data());
}

// loops < 0: no NETSCAPE2.0 block.
inline std::vector<std::uint8_t> animatedGif(int width, int height, const std::vector<std::uint32_t>& global,
                                             const std::vector<GifFrameSpec>& frames, int loops) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* file = EGifOpen(&out, appendBytes, &error);
    ColorMapObject* map = global.empty() ? nullptr : colourMap(global);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, 8, 0, map);
    if (loops >= 0) {
        const GifByteType count[3] = {1, static_cast<GifByteType>(loops & 0xFF), static_cast<GifByteType>(loops >> 8)};
        EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE);
        EGifPutExtensionBlock(file, 11, "NETSCAPE2.0");
        EGifPutExtensionBlock(file, 3, count);
        EGifPutExtensionTrailer(file);
    }
    for (const GifFrameSpec& f : frames) {
        GraphicsControlBlock control{f.disposal, false, f.delayCs, f.transparent};
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, block);
        ColorMapObject* local = f.local.empty() ? nullptr : colourMap(f.local);
        EGifPutImageDesc(file, f.left, f.top, f.width, f.height, f.interlaced, local);
        const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
        for (int pass = 0; pass < (f.interlaced ? 4 : 1); ++pass) {
            for (int y = f.interlaced ? starts[pass] : 0; y < f.height; y += f.interlaced ? steps[pass] : 1) {
                EGifPutLine(file, const_cast<GifPixelType*>(f.indexes.data() + static_cast<std::size_t>(y * f.width)), f.width);
            }
        }
        if (local) GifFreeMapObject(local);
        // giflib keeps its own copy of a local table and, given none for the next frame, forgets it
        // without freeing it.
        if (file->Image.ColorMap) {
            GifFreeMapObject(file->Image.ColorMap);
            file->Image.ColorMap = nullptr;
        }
    }
    EGifCloseFile(file, &error);
    if (map) GifFreeMapObject(map);
    return out;
}

struct ApngFrameSpec {
    int x = 0, y = 0, width = 1, height = 1;
    int delayNum = 1, delayDen = 10;
    int dispose = 0, blend = 0;
    std::vector<std::uint32_t> rgba;
};

inline void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

inline void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t at = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + at, static_cast<uInt>(data.size() + 4))));
}

// The IDAT data libpng writes for an RGBA picture.
inline std::vector<std::uint8_t> idatOf(int width, int height, const std::vector<std::uint32_t>& rgba) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
    std::vector<std::uint8_t> png(size);
    png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr);
    std::vector<std::uint8_t> idat;
    for (std::size_t at = 8; at + 12 <= size;) {
        const std::uint32_t length = std::uint32_t(png[at]) << 24 | std::uint32_t(png[at + 1]) << 16 | std::uint32_t(png[at + 2]) << 8 | png[at + 3];
        if (std::memcmp(png.data() + at + 4, "IDAT", 4) == 0) idat.insert(idat.end(), png.begin() + static_cast<std::ptrdiff_t>(at + 8), png.begin() + static_cast<std::ptrdiff_t>(at + 8 + length));
        at += 12 + length;
    }
    return idat;
}

// hidden: a default image (the canvas's size) that is not part of the animation, or none.
inline std::vector<std::uint8_t> apng(int width, int height, const std::vector<ApngFrameSpec>& frames, int plays,
                                      const std::vector<std::uint32_t>* hidden = nullptr) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    putU32(ihdr, static_cast<std::uint32_t>(width));
    putU32(ihdr, static_cast<std::uint32_t>(height));
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    putChunk(out, "IHDR", ihdr);
    std::vector<std::uint8_t> actl;
    putU32(actl, static_cast<std::uint32_t>(frames.size()));
    putU32(actl, static_cast<std::uint32_t>(plays));
    putChunk(out, "acTL", actl);
    std::uint32_t sequence = 0;
    if (hidden) putChunk(out, "IDAT", idatOf(width, height, *hidden));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const ApngFrameSpec& f = frames[i];
        std::vector<std::uint8_t> fctl;
        putU32(fctl, sequence++);
        for (int v : {f.width, f.height, f.x, f.y}) putU32(fctl, static_cast<std::uint32_t>(v));
        fctl.insert(fctl.end(), {static_cast<std::uint8_t>(f.delayNum >> 8), static_cast<std::uint8_t>(f.delayNum),
                                 static_cast<std::uint8_t>(f.delayDen >> 8), static_cast<std::uint8_t>(f.delayDen),
                                 static_cast<std::uint8_t>(f.dispose), static_cast<std::uint8_t>(f.blend)});
        putChunk(out, "fcTL", fctl);
        const std::vector<std::uint8_t> data = idatOf(f.width, f.height, f.rgba);
        if (i == 0 && !hidden) {
            putChunk(out, "IDAT", data);
        } else {
            std::vector<std::uint8_t> fdat;
            putU32(fdat, sequence++);
            fdat.insert(fdat.end(), data.begin(), data.end());
            putChunk(out, "fdAT", fdat);
        }
    }
    putChunk(out, "IEND", {});
    return out;
}

struct WebpFrameSpec {
    std::vector<std::uint32_t> rgba; // the whole canvas
    int durationMs = 100;
};

// Lossless, so every frame reads back exactly.
inline std::vector<std::uint8_t> animatedWebp(int width, int height, const std::vector<WebpFrameSpec>& frames, int loops) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    options.anim_params.loop_count = loops;
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const WebpFrameSpec& f : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureImportRGBA(&picture, reinterpret_cast<const std::uint8_t*>(f.rgba.data()), width * 4);
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += f.durationMs;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    WebPAnimEncoderAssemble(encoder, &data);
    std::vector<std::uint8_t> out(data.bytes, data.bytes + data.size);
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return out;
}

} // namespace animtest
