#pragma once
// Fewer bytes in flash: how the picture's data may be stored instead of one whole pixel after another.
// A palette of 2 to 256 colours with an index per pixel, one bit per pixel for a monochrome panel, and
// compression of whichever data that leaves, undone on the device by quorvane_decode.h.
//
// The stored bytes after the size bytes: [method byte] [palette] data, where
//   the method byte (only when compression is asked for) says 0 stored, 1 rle, 2 lz4;
//   the palette has N entries in the depth's pixel format (12 Bit: 0000RRRR GGGGBBBB), unused ones zero;
//   the data is the packed pixels, the indices (log2 N bits each, the first pixel in the top bits, every
//   row on a fresh byte) or the mono bytes in their layout, compressed as the method byte says.

#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/reduce.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <string_view>
#include <vector>

namespace quorvane::codegen {

enum class MonoLayout {
    Rows,    // each row left to right, 8 pixels a byte, the leftmost in the most significant bit
    RowsLsb, // the same, the leftmost in the least significant bit
    Pages    // pages of 8 rows, column by column, a byte a column, the page's top row in bit 0
};

enum class Compression { None, Rle, Lz4, Auto };

// "rows", "rows-lsb", "pages" and "none", "rle", "lz4", "auto": the words of the command line and of the
// stored window settings.
std::string_view monoLayoutName(MonoLayout layout);
std::optional<MonoLayout> monoLayoutFromName(std::string_view name);
std::string_view compressionName(Compression compression);
std::optional<Compression> compressionFromName(std::string_view name);

// The method byte's values.
enum class Method : std::uint8_t { Stored = 0, Rle = 1, Lz4 = 2 };

struct Storage {
    int paletteSize = 0; // 0: none; else 2, 4, 16 or 256
    bool mono = false;
    MonoLayout monoLayout = MonoLayout::Rows;
    Compression compression = Compression::None;

    bool operator==(const Storage&) const = default;
    // Today's bytes: every pixel whole, nothing in front of the data but the size bytes.
    bool plain() const { return paletteSize == 0 && !mono && compression == Compression::None; }
    // The bits an index or a mono pixel takes; 0 for whole pixels.
    int indexBits() const;
};

bool isPaletteSize(int colours); // 2, 4, 16 or 256

// A pixel is lit when 299 r + 587 g + 114 b reaches 128,000: the mono threshold, in thousandths of a level.
inline constexpr int kLitLuma = 128000;

// The mono bits of a picture (red, green, blue per pixel): 1 lit, row by row; dithered on the luma.
std::vector<std::uint8_t> monoBits(std::span<const std::int32_t> components, PictureSize size, Dither dither);
// monoBits a row at a time, from the top: the same rows give the same bits.
class MonoRows {
  public:
    MonoRows(int width, Dither dither);
    // The next row's components (3 * width) into its bits (width).
    void bits(std::span<const std::int32_t> components, std::span<std::uint8_t> bits);

  private:
    std::size_t width_;
    Dither dither_;
    std::size_t y_ = 0;
    std::vector<int> here_, next_; // error diffusion's carried error, a pixel of margin each side
};
// The bits laid out as the panel takes them.
std::vector<std::uint8_t> monoBytes(std::span<const std::uint8_t> bits, PictureSize size, MonoLayout layout);
// Row y's bits set in the layout's bytes (monoByteCount of them, zeros where unlit).
void placeMonoRow(std::span<const std::uint8_t> bits, std::size_t y, PictureSize size, MonoLayout layout,
                  std::span<std::uint8_t> bytes);
std::vector<std::uint8_t> monoBitsFromBytes(std::span<const std::uint8_t> bytes, PictureSize size, MonoLayout layout);
std::size_t monoByteCount(PictureSize size, MonoLayout layout);
// The parts a panel of that depth would show for the bits: every channel's largest part where lit, else 0.
std::vector<std::int32_t> monoParts(std::span<const std::uint8_t> bits, Depth depth);

struct Palette {
    std::vector<std::int32_t> entries; // red, green, blue parts at the depth per entry, in index order
    std::vector<std::uint8_t> indices; // one per pixel, row by row
};

// At most `colours` colours that the panel shows exactly at the depth, and each pixel's entry. A picture
// whose reduced colours are at most that many keeps them all: each pixel's entry is its reduced colour.
// Otherwise libimagequant chooses them (dithering the remapping with Dither::ErrorDiffusion). The entries
// follow the order in which the pixels first use them. Throws std::runtime_error if the quantiser fails.
Palette choosePalette(std::span<const std::int32_t> components, PictureSize size, Depth depth, int colours,
                      Dither dither);

// One palette for many pictures (an animation's frames, a pack's assets): their reduced colours counted
// picture by picture, the entries chosen once over all of them, then each picture mapped onto them.
class ColourCount {
  public:
    explicit ColourCount(Depth depth) : depth_(depth) {}
    void add(std::span<const std::int32_t> components); // red, green, blue per pixel
    void add(const ColourCount& other);                 // another count's colours after this one's
    Depth depth() const { return depth_; }
    std::size_t size() const { return counts_.size(); }
    std::span<const std::int32_t> parts() const { return parts_; }    // per colour, in order of first use
    std::span<const std::uint32_t> counts() const { return counts_; }

  private:
    Depth depth_;
    std::vector<std::int32_t> parts_;
    std::vector<std::uint32_t> counts_;
    std::unordered_map<std::uint32_t, std::uint32_t> index_;
};

// The entries (parts at the depth, three each): every colour counted when they are at most `colours`,
// in order of first use; else libimagequant's choice among the colours the panel shows.
std::vector<std::int32_t> chooseEntries(const ColourCount& count, int colours);
// Each pixel's entry: the nearest by the levels the panel shows, or libimagequant's dithered remapping
// onto exactly those entries with Dither::ErrorDiffusion.
std::vector<std::uint8_t> mapToEntries(std::span<const std::int32_t> components, PictureSize size, Depth depth,
                                       std::span<const std::int32_t> entries, Dither dither);

// The palette's bytes: `colours` entries, the unused ones zero.
std::vector<std::uint8_t> paletteBytes(std::span<const std::int32_t> entries, int colours, Depth depth,
                                       ByteOrder order);
int paletteEntryBytes(Depth depth);
// The indices, bits each, the first pixel in the top bits, every row on a fresh byte.
std::vector<std::uint8_t> packIndices(std::span<const std::uint8_t> indices, PictureSize size, int bits);
std::size_t indexByteCount(PictureSize size, int bits);

// The run-length code's unit: one pixel's bytes, two 12-bit pixels' three, one byte for indices and mono.
int rleUnit(Depth depth, const Storage& storage);
// Control byte c < 128: c + 1 units as they are; c >= 128: one unit repeated c - 126 times. The shortest
// such stream (so never longer than the data and a byte per 128 units); a last unit may be shorter.
std::vector<std::uint8_t> rleEncode(std::span<const std::uint8_t> data, int unit);
// 1,024-byte chunks, each one LZ4 block at liblz4's highest level, each after its length in two bytes,
// high byte first.
inline constexpr std::size_t kLz4Chunk = 1024;
std::vector<std::uint8_t> lz4Encode(std::span<const std::uint8_t> data);

struct Compressed {
    Method method = Method::Stored;
    std::vector<std::uint8_t> bytes;
};
// As asked; Auto takes the smallest of stored, rle and lz4, the first of them on a tie.
Compressed compress(std::span<const std::uint8_t> data, Compression compression, int unit);

} // namespace quorvane::codegen
