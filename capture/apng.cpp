#include "capture/apng.h"

#include "capture/png.h"
#include "capture/rows.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace quorvane::capture {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunk = 0x7FFFFFFF;

std::uint32_t u32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}
std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

struct Chunk {
    std::array<char, 4> type{};
    std::vector<std::uint8_t> data;
    bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
};

std::uint32_t crcOf(const char* type, std::span<const std::uint8_t> data) {
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    // zlib takes at most a uInt at a time.
    for (std::size_t at = 0; at < data.size();) {
        const auto n = static_cast<uInt>(std::min<std::size_t>(data.size() - at, 1u << 30));
        crc = crc32(crc, data.data() + at, n);
        at += n;
    }
    return static_cast<std::uint32_t>(crc);
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, std::span<const std::uint8_t> data) {
    putU32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putU32(out, crcOf(type, data));
}

// The next chunk, its CRC checked; nullopt with `error` set at the end of the file or on damage.
std::optional<Chunk> nextChunk(ByteSource& file, std::string& error) {
    std::uint8_t head[8];
    if (!file.readAll(head, sizeof head)) {
        error = file.shortReadReason();
        return std::nullopt;
    }
    const std::uint32_t length = u32(head);
    Chunk chunk;
    std::memcpy(chunk.type.data(), head + 4, 4);
    if (length > kMaxChunk || length > file.size() - std::min(file.size(), file.position())) {
        error = file.shortReadReason();
        return std::nullopt;
    }
    chunk.data.resize(length);
    std::uint8_t crc[4];
    if ((length > 0 && !file.readAll(chunk.data.data(), length)) || !file.readAll(crc, 4)) {
        error = file.shortReadReason();
        return std::nullopt;
    }
    if (u32(crc) != crcOf(chunk.type.data(), chunk.data)) {
        std::string type(chunk.type.data(), 4);
        for (char& c : type) c = (c < 0x20 || c > 0x7E) ? '?' : c;
        error = "the PNG data is damaged (" + type + ": CRC error)";
        return std::nullopt;
    }
    return chunk;
}

struct FrameControl {
    std::uint32_t width = 0, height = 0, x = 0, y = 0;
    int delayMs = 0;
    std::uint8_t dispose = 0, blend = 0;
};

std::optional<FrameControl> frameControl(const Chunk& chunk, const AnimationInfo& canvas) {
    if (chunk.data.size() != 26) return std::nullopt;
    const std::uint8_t* d = chunk.data.data();
    FrameControl f{u32(d + 4), u32(d + 8), u32(d + 12), u32(d + 16), 0, d[24], d[25]};
    const unsigned numerator = u16(d + 20), denominator = u16(d + 22) == 0 ? 100 : u16(d + 22);
    f.delayMs = static_cast<int>((numerator * 1000u + denominator / 2) / denominator);
    const auto w = static_cast<std::uint64_t>(canvas.width), h = static_cast<std::uint64_t>(canvas.height);
    if (f.width == 0 || f.height == 0 || f.dispose > 2 || f.blend > 1 || std::uint64_t{f.x} + f.width > w ||
        std::uint64_t{f.y} + f.height > h) {
        return std::nullopt;
    }
    return f;
}

// One pixel of the frame over the canvas, both with straight alpha.
void over(std::uint32_t& colour, std::uint8_t& alpha, std::uint32_t srcColour, std::uint32_t srcAlpha) {
    if (srcAlpha == 255 || alpha == 0) {
        colour = srcColour;
        alpha = static_cast<std::uint8_t>(srcAlpha);
        return;
    }
    if (srcAlpha == 0) return;
    const std::uint32_t dstAlpha = alpha, outAlpha = srcAlpha * 255 + dstAlpha * (255 - srcAlpha); // in 255ths of 255
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t s = (srcColour >> shift) & 0xFF, d = (colour >> shift) & 0xFF;
        const std::uint32_t sum = s * srcAlpha * 255 + d * dstAlpha * (255 - srcAlpha);
        out |= ((sum + outAlpha / 2) / outAlpha) << shift;
    }
    colour = out;
    alpha = static_cast<std::uint8_t>((outAlpha + 127) / 255);
}

class Composer {
  public:
    Composer(const AnimationInfo& info, std::uint64_t maxPixels) : maxPixels_(maxPixels) {
        const std::size_t pixels = static_cast<std::size_t>(info.width) * static_cast<std::size_t>(info.height);
        canvas_ = {info.width, info.height, std::vector<std::uint32_t>(pixels, 0), std::vector<std::uint8_t>(pixels, 0)};
    }

    // The frame's own PNG: the file's IHDR with the frame's size, the chunks before the image data, the
    // data, IEND; decoded by the same libpng road as a still.
    std::optional<DecodeError> compose(const FrameControl& f, std::span<const std::uint8_t> ihdr,
                                       std::span<const std::uint8_t> ancillary, std::span<const std::uint8_t> data,
                                       bool first) {
        std::vector<std::uint8_t> png(kSignature.begin(), kSignature.end());
        std::vector<std::uint8_t> header(ihdr.begin(), ihdr.end());
        for (int i = 0; i < 4; ++i) {
            header[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(f.width >> (24 - 8 * i));
            header[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(f.height >> (24 - 8 * i));
        }
        putChunk(png, "IHDR", header);
        png.insert(png.end(), ancillary.begin(), ancillary.end());
        putChunk(png, "IDAT", data);
        putChunk(png, "IEND", {});
        auto decoded = decodedBy(decodePng, png, maxPixels_);
        if (auto* error = std::get_if<DecodeError>(&decoded)) return *error;
        const Picture& frame = std::get<Picture>(decoded);

        // What the frame before asked for, now that it has been shown.
        const Region region{f.x, f.y, f.width, f.height};
        if (pendingDispose_ == 1) clear(pending_);
        if (pendingDispose_ == 2) restore(pending_);
        // A first frame cannot restore to a previous one: it clears instead.
        const std::uint8_t dispose = first && f.dispose == 2 ? 1 : f.dispose;
        if (dispose == 2) before_ = canvas_;
        for (std::uint32_t y = 0; y < f.height; ++y) {
            for (std::uint32_t x = 0; x < f.width; ++x) {
                const std::size_t from = static_cast<std::size_t>(y) * f.width + x;
                const std::size_t to = static_cast<std::size_t>(f.y + y) * static_cast<std::size_t>(canvas_.width) + f.x + x;
                const std::uint32_t alpha = frame.alpha.empty() ? 255 : frame.alpha[from];
                if (f.blend == 0) {
                    canvas_.pixels[to] = alpha == 0 ? 0 : frame.pixels[from];
                    canvas_.alpha[to] = static_cast<std::uint8_t>(alpha);
                } else {
                    over(canvas_.pixels[to], canvas_.alpha[to], frame.pixels[from], alpha);
                }
            }
        }
        pendingDispose_ = dispose;
        pending_ = region;
        return std::nullopt;
    }

    const Picture& canvas() const { return canvas_; }

  private:
    struct Region {
        std::uint32_t x = 0, y = 0, w = 0, h = 0;
    };
    void clear(const Region& r) {
        for (std::uint32_t y = r.y; y < r.y + r.h; ++y) {
            const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas_.width) + r.x;
            std::fill_n(canvas_.pixels.begin() + static_cast<std::ptrdiff_t>(at), r.w, 0u);
            std::fill_n(canvas_.alpha.begin() + static_cast<std::ptrdiff_t>(at), r.w, std::uint8_t{0});
        }
    }
    void restore(const Region& r) {
        for (std::uint32_t y = r.y; y < r.y + r.h; ++y) {
            const auto at = static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * static_cast<std::size_t>(canvas_.width) + r.x);
            std::copy_n(before_.pixels.begin() + at, r.w, canvas_.pixels.begin() + at);
            std::copy_n(before_.alpha.begin() + at, r.w, canvas_.alpha.begin() + at);
        }
    }

    std::uint64_t maxPixels_;
    Picture canvas_, before_;
    std::uint8_t pendingDispose_ = 0;
    Region pending_;
};

std::string framed(int frame, const std::string& reason) { return "frame " + std::to_string(frame) + ": " + reason; }

} // namespace

bool isApng(ByteSource& file) {
    file.seek(0);
    std::uint8_t signature[8];
    if (!file.readAll(signature, 8) || std::memcmp(signature, kSignature.data(), 8) != 0) return false;
    // The chunks before the image data, skipped over without reading them.
    while (true) {
        std::uint8_t head[8];
        if (!file.readAll(head, 8)) break;
        if (std::memcmp(head + 4, "acTL", 4) == 0) return file.seek(0), true;
        if (std::memcmp(head + 4, "IDAT", 4) == 0 || std::memcmp(head + 4, "IEND", 4) == 0) break;
        file.seek(file.position() + u32(head) + 4);
    }
    file.seek(0);
    return false;
}

std::optional<DecodeError> readApngFrames(ByteSource& file, FrameReceiver& receiver, std::uint64_t maxPixels) {
    file.seek(0);
    std::uint8_t signature[8];
    if (!file.readAll(signature, 8) || std::memcmp(signature, kSignature.data(), 8) != 0) {
        return DecodeError{"it is not a PNG file"};
    }
    std::string error;
    auto ihdr = nextChunk(file, error);
    if (!ihdr) return DecodeError{error};
    if (!ihdr->is("IHDR") || ihdr->data.size() != 13) return DecodeError{"the PNG data is damaged (no IHDR first)"};
    AnimationInfo info{static_cast<int>(std::min<std::uint32_t>(u32(ihdr->data.data()), kMaxChunk)),
                       static_cast<int>(std::min<std::uint32_t>(u32(ihdr->data.data() + 4), kMaxChunk)), 0};
    if (info.width == 0 || info.height == 0) return DecodeError{"the PNG data is damaged (a side of 0)"};
    if (auto refusal = refuseBeyond(static_cast<std::uint64_t>(info.width), static_cast<std::uint64_t>(info.height), maxPixels)) {
        return refusal;
    }

    std::vector<std::uint8_t> ancillary; // the chunks before the image data, PLTE and tRNS among them, as they stand
    std::optional<FrameControl> control; // of the frame whose data is being gathered
    std::vector<std::uint8_t> data;
    bool seenImage = false, begun = false;
    int frames = 0;
    std::optional<Composer> composer;
    const auto finish = [&]() -> std::optional<DecodeError> {
        if (!control) return std::nullopt;
        if (data.empty()) return DecodeError{framed(frames, "it has no image data")};
        if (auto failure = composer->compose(*control, ihdr->data, ancillary, data, frames == 0)) {
            return DecodeError{framed(frames, failure->reason)};
        }
        if (auto refusal = receiver.frame(composer->canvas(), control->delayMs)) return refusal;
        ++frames;
        control.reset();
        data.clear();
        return std::nullopt;
    };
    while (true) {
        auto chunk = nextChunk(file, error);
        if (!chunk) return DecodeError{frames > 0 || control ? framed(frames, error) : error};
        if (chunk->is("IEND")) break;
        if (chunk->is("acTL")) {
            // Its frame count is read as browsers read it: the frames found are the animation.
            if (chunk->data.size() != 8) return DecodeError{"the PNG data is damaged (acTL)"};
            info.loops = static_cast<int>(std::min<std::uint32_t>(u32(chunk->data.data() + 4), 0xFFFF));
        } else if (chunk->is("fcTL")) {
            if (!begun) {
                if (auto refusal = receiver.begin(info)) return refusal;
                composer.emplace(info, maxPixels);
                begun = true;
            }
            if (auto failure = finish()) return failure;
            control = frameControl(*chunk, info);
            if (!control) return DecodeError{framed(frames, "its fcTL is damaged or lies outside the canvas")};
            // The default image that is the first frame must fill the canvas.
            if (!seenImage && (control->x || control->y || control->width != static_cast<std::uint32_t>(info.width) ||
                               control->height != static_cast<std::uint32_t>(info.height))) {
                return DecodeError{framed(frames, "the default image's fcTL does not cover the canvas")};
            }
        } else if (chunk->is("IDAT")) {
            seenImage = true;
            if (control) data.insert(data.end(), chunk->data.begin(), chunk->data.end()); // else not part of the animation
        } else if (chunk->is("fdAT")) {
            if (!control || chunk->data.size() < 4) return DecodeError{framed(frames, "an fdAT stands without its fcTL")};
            data.insert(data.end(), chunk->data.begin() + 4, chunk->data.end());
        } else if (!seenImage && !chunk->is("IHDR")) {
            putChunk(ancillary, chunk->type.data(), chunk->data);
        }
    }
    if (!begun) return DecodeError{"its acTL names an animation that has no frame"};
    if (auto failure = finish()) return failure;
    if (frames == 0) return DecodeError{"it holds no frame"};
    return std::nullopt;
}

} // namespace quorvane::capture
