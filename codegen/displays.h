#pragma once
// The display modules that firmware developers wire up, as one table of plain data: the command line's
// --display and `displays`, the window's Display menu, the manual and the tests all read it.

#include "codegen/format.h"
#include "codegen/panel.h"
#include "codegen/rawfile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::codegen {

struct DisplayPreset {
    std::string_view name;       // "st7789-240x320": the word of the command line and the stored setting
    std::string_view controller; // "ST7789"
    PictureSize size;            // W pixels in a row as the firmware sends them, H rows
    std::uint8_t depths;         // the depths its controller takes: bit n for the nth Depth
    Depth defaultDepth;
    std::string_view note;       // what the depths leave unsaid, or empty
    bool mono = false;           // one bit a pixel, in pages of eight rows; no depth at all

    bool takes(Depth depth) const { return (depths >> static_cast<int>(depth) & 1u) != 0; }
    std::vector<Depth> depthList() const;
    // One size byte a side unless the module is larger than one byte can describe.
    SizeHeader sizeHeader() const {
        return sizeHeaderRefusal(size, SizeHeader::Bytes8) ? SizeHeader::Bytes16 : SizeHeader::Bytes8;
    }
};

std::span<const DisplayPreset> displayPresets();
std::optional<DisplayPreset> displayPreset(std::string_view name);

// "12, 16 or 18": the depths a preset takes, as a sentence names them; "--mono" for a monochrome module.
std::string depthsText(const DisplayPreset& preset);

// The panel this program was first made for, with no preset chosen: 132 x 132, every depth.
inline constexpr PictureSize kDefaultPanel{132, 132};

} // namespace quorvane::codegen
