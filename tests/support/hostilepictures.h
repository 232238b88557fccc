#pragma once
// Damaged and deceitful PNG, JPEG and GIF files, built from good ones by hand.

#include "imagewriters.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace hostile {

inline void putU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// A PNG chunk with its length and a correct CRC.
inline void chunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putU32(out, static_cast<std::uint32_t>(crc32(0, out.data() + start, static_cast<uInt>(out.size() - start))));
}

// A grey 8-bit PNG that declares width x height and holds `idat` as its image data.
inline std::vector<std::uint8_t> pngDeclaring(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& idat) {
    std::vector<std::uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, header;
    putU32(header, width);
    putU32(header, height);
    header.insert(header.end(), {8, 0, 0, 0, 0});
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", idat);
    chunk(out, "IEND", {});
    return out;
}

inline std::vector<std::uint8_t> deflated(const std::vector<std::uint8_t>& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

// A 64 x 64 RGB PNG of noise, so that its image data is long enough to cut or spoil.
inline std::vector<std::uint8_t> noisyPng() {
    imagetest::PngLayout layout{.width = 64, .height = 64};
    std::uint32_t seed = 12345;
    for (int y = 0; y < 64; ++y) {
        std::vector<std::uint8_t> row;
        for (int i = 0; i < 64 * 3; ++i) row.push_back(static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 24));
        layout.rows.push_back(row);
    }
    return imagetest::png(layout);
}

inline std::size_t find(const std::vector<std::uint8_t>& file, const std::string& what) {
    return static_cast<std::size_t>(std::search(file.begin(), file.end(), what.begin(), what.end()) - file.begin());
}

// Progressive ones are 4:4:4, the layout that needs the most memory to decode.
inline std::vector<std::uint8_t> noisyJpeg(bool progressive = false) {
    std::vector<std::uint8_t> samples;
    std::uint32_t seed = 99;
    for (int i = 0; i < 64 * 64 * 3; ++i) samples.push_back(static_cast<std::uint8_t>((seed = seed * 1103515245 + 12345) >> 24));
    return imagetest::jpeg(64, 64, samples, 3, progressive, {}, progressive);
}

// The JPEG with its frame header's height and width replaced.
inline std::vector<std::uint8_t> jpegDeclaring(std::uint16_t width, std::uint16_t height, bool progressive = false) {
    auto file = noisyJpeg(progressive);
    for (std::size_t i = 2; i + 9 < file.size(); ++i) {
        if (file[i] == 0xFF && (file[i + 1] == 0xC0 || file[i + 1] == 0xC2)) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8), file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8), file[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    }
    return file;
}

inline std::vector<std::uint8_t> smallGif(int screenWidth, int screenHeight) {
    return imagetest::gif(screenWidth, screenHeight, {0x0000FF, 0x00FF00}, {.width = 1, .height = 1, .indexes = {1}});
}

} // namespace hostile
