#pragma once
// What the panel shows: the raw file's bytes decoded back into parts, and each part expanded to the
// 8-bit level it stands for. The preview and the dithering both measure against these levels.

#include "codegen/panel.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quorvane::codegen {

// round(part * 255 / largest part of the channel): 0..7 at 3 bits gives 0, 36, 73, 109, 146, 182, 219, 255;
// at 24 Bit every part is its own level.
int displayedLevel(std::int32_t part, Depth depth, Channel channel);

// Every part (red, green, blue per pixel) expanded to its displayed level.
std::vector<std::uint8_t> displayedComponents(std::span<const std::int32_t> parts, Depth depth);

struct DecodedRawFile {
    int width = 0;
    int height = 0;
    std::vector<std::int32_t> parts; // red, green, blue per pixel, row by row from the top-left
};

// Reads a raw file back: the size bytes, then each pixel's parts as the firmware would unpack them,
// its 16-bit words in the layout's byte order. A file without size bytes is of the size given. nullopt
// when the length does not match the size at that depth. A palette, mono or compressed file is read by
// quorvane_decode.h, as the device reads it; nullopt when that decoder fails.
std::optional<DecodedRawFile> decodeRawFile(std::span<const std::uint8_t> bytes, const RawLayout& layout,
                                            PictureSize sizeWithoutHeader = {});

struct DisplayedPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // red, green, blue per pixel, row by row from the top-left
};

// What a viewer sees on the panel for a raw file: read back, every part expanded to its level, and the
// panel's colour order, inversion, mirror and rotation undone (fromPanel), so a correct setting shows
// the picture upright and in its own colours. The preview and the window's display view are made from
// this, never from the conversion's intermediate state.
// `received` is the size as the panel receives the picture, for a file without size bytes.
std::optional<DisplayedPicture> displayedPicture(std::span<const std::uint8_t> rawFile, const RawLayout& layout,
                                                 const PanelOptions& panel = {}, PictureSize received = {});

// displayedPicture a row at a time, from the top. A plain file on a panel that keeps the picture's row
// order is read row by row where it lies; any other is read whole first, as displayedPicture reads it.
class DisplayedRows {
  public:
    // rawFile must outlive the rows.
    DisplayedRows(std::span<const std::uint8_t> rawFile, const RawLayout& layout, const PanelOptions& panel = {},
                  PictureSize received = {});
    // False where displayedPicture gives nothing.
    bool readable() const { return readable_; }
    PictureSize size() const { return size_; } // as opened
    // Row y's red, green, blue levels: 3 * width bytes.
    void row(int y, std::span<std::uint8_t> rgb);

  private:
    RawLayout layout_;
    PanelOptions panel_;
    PictureSize size_;
    bool readable_ = false;
    std::span<const std::uint8_t> data_;
    std::optional<DisplayedPicture> whole_;
    std::vector<std::int32_t> parts_;
    std::vector<std::uint8_t> swapped_;
};

} // namespace quorvane::codegen
