#pragma once
// Builds BMP files byte by byte for the tests, so that every field is what the test says it is.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace bmptest {

struct Rgb {
    std::uint8_t r, g, b;
};

inline std::uint32_t colorValue(Rgb c) { return c.r | (c.g << 8) | (c.b << 16); }

class Bytes {
public:
    Bytes& u8(std::uint32_t v) { return data.push_back(static_cast<std::uint8_t>(v)), *this; }
    Bytes& u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Bytes& append(const std::vector<std::uint8_t>& more) {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    std::vector<std::uint8_t> data;
};

struct Layout {
    std::uint32_t infoSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1; // negative: top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks; // after a 40-byte header, or inside a larger one
    std::vector<Rgb> palette;         // 3-byte entries with a 12-byte header, else 4
    std::vector<std::uint8_t> pixelData;
    std::optional<std::uint32_t> pixelOffset;
};

inline std::vector<std::uint8_t> buildBmp(const Layout& l) {
    Bytes info;
    if (l.infoSize == 12) {
        info.u32(12).u16(static_cast<std::uint32_t>(l.width)).u16(static_cast<std::uint32_t>(l.height)).u16(1).u16(l.bitCount);
    } else {
        info.u32(l.infoSize).u32(static_cast<std::uint32_t>(l.width)).u32(static_cast<std::uint32_t>(l.height));
        info.u16(1).u16(l.bitCount);
        if (l.infoSize >= 40) {
            info.u32(l.compression).u32(static_cast<std::uint32_t>(l.pixelData.size())).u32(2835).u32(2835);
            info.u32(l.colorsUsed).u32(0);
        }
        std::size_t next = 0;
        while (info.data.size() < l.infoSize) {
            const bool maskField = l.infoSize > 40 && l.infoSize != 64 && info.data.size() < 56;
            info.u32(maskField && next < l.masks.size() ? l.masks[next++] : 0);
        }
        info.data.resize(l.infoSize);
    }
    Bytes extra;
    if (l.infoSize == 40) {
        for (std::uint32_t m : l.masks) extra.u32(m);
    }
    for (const Rgb& c : l.palette) {
        extra.u8(c.b).u8(c.g).u8(c.r);
        if (l.infoSize != 12) extra.u8(0);
    }
    const std::uint32_t offset =
        l.pixelOffset.value_or(static_cast<std::uint32_t>(14 + info.data.size() + extra.data.size()));
    Bytes file;
    file.u8('B').u8('M').u32(static_cast<std::uint32_t>(offset + l.pixelData.size())).u32(0).u32(offset);
    file.append(info.data).append(extra.data).append(l.pixelData);
    return file.data;
}

// Rows given top row first, each padded to 4 bytes, stored bottom-up unless topDown.
inline std::vector<std::uint8_t> packRows(std::vector<std::vector<std::uint8_t>> rows, bool topDown = false) {
    std::vector<std::uint8_t> out;
    if (!topDown) std::reverse(rows.begin(), rows.end());
    for (auto& row : rows) {
        row.resize((row.size() + 3) / 4 * 4, 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// Colour values that differ from pixel to pixel with no pattern a conversion could lean on.
inline std::vector<std::uint32_t> noise(std::size_t count) {
    std::vector<std::uint32_t> pixels(count);
    for (std::size_t i = 0; i < count; ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
    return pixels;
}

// A plain 24-bit bottom-up file of the given colour values (0x00BBGGRR, top-left first).
inline std::vector<std::uint8_t> bmp24(int width, int height, const std::vector<std::uint32_t>& pixels) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < height; ++y) {
        std::vector<std::uint8_t> row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = pixels[static_cast<std::size_t>(y * width + x)];
            row.push_back(static_cast<std::uint8_t>(c >> 16));
            row.push_back(static_cast<std::uint8_t>(c >> 8));
            row.push_back(static_cast<std::uint8_t>(c));
        }
        rows.push_back(row);
    }
    Layout layout;
    layout.width = width;
    layout.height = height;
    layout.pixelData = packRows(rows);
    return buildBmp(layout);
}

inline void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

} // namespace bmptest
