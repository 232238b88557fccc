#include "codegen/displays.h"

namespace quorvane::codegen {
namespace {

constexpr std::uint8_t depthsOf(std::initializer_list<Depth> depths) {
    std::uint8_t set = 0;
    for (Depth depth : depths) set = static_cast<std::uint8_t>(set | 1u << static_cast<int>(depth));
    return set;
}

using enum Depth;

// clang-format off
constexpr DisplayPreset kPresets[] = {
    {"nokia6100",        "PCF8833",  {132, 132}, depthsOf({Bits8, Bits12, Bits16}), Bits8,  ""},
    {"s1d15g00-132x132", "S1D15G00", {132, 132}, depthsOf({Bits8, Bits12}),         Bits12, ""},
    {"st7735-128x160",   "ST7735",   {128, 160}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7735-128x128",   "ST7735",   {128, 128}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7735-80x160",    "ST7735",   {80, 160},  depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-240x240",   "ST7789",   {240, 240}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-240x320",   "ST7789",   {240, 320}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-135x240",   "ST7789",   {135, 240}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-170x320",   "ST7789",   {170, 320}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-172x320",   "ST7789",   {172, 320}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"st7789-240x280",   "ST7789",   {240, 280}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"ili9341-240x320",  "ILI9341",  {240, 320}, depthsOf({Bits16, Bits18}),         Bits16, ""},
    {"ili9488-320x480",  "ILI9488",  {320, 480}, depthsOf({Bits16, Bits18}),         Bits18, "16 only on a parallel bus"},
    {"gc9a01-240x240",   "GC9A01",   {240, 240}, depthsOf({Bits12, Bits16, Bits18}), Bits16, ""},
    {"ssd1351-128x128",  "SSD1351",  {128, 128}, depthsOf({Bits16}),                 Bits16, ""},
    {"ssd1331-96x64",    "SSD1331",  {96, 64},   depthsOf({Bits8, Bits16}),          Bits16, ""},
    {"ssd1306-128x64",   "SSD1306",  {128, 64},  0, Bits8, "", true},
    {"ssd1306-128x32",   "SSD1306",  {128, 32},  0, Bits8, "", true},
    {"sh1106-128x64",    "SH1106",   {128, 64},  0, Bits8, "", true},
    {"st7565-128x64",    "ST7565",   {128, 64},  0, Bits8, "", true},
    {"pcd8544-84x48",    "PCD8544",  {84, 48},   0, Bits8, "", true},
};
// clang-format on

} // namespace

std::vector<Depth> DisplayPreset::depthList() const {
    std::vector<Depth> list;
    for (const ColorFormat& format : colorFormats()) {
        if (takes(format.depth)) list.push_back(format.depth);
    }
    return list;
}

std::span<const DisplayPreset> displayPresets() { return kPresets; }

std::optional<DisplayPreset> displayPreset(std::string_view name) {
    for (const DisplayPreset& preset : kPresets) {
        if (preset.name == name) return preset;
    }
    return std::nullopt;
}

std::string depthsText(const DisplayPreset& preset) {
    if (preset.mono) return "--mono";
    const std::vector<Depth> depths = preset.depthList();
    std::string text;
    for (std::size_t i = 0; i < depths.size(); ++i) {
        if (i > 0) text += i + 1 == depths.size() ? " or " : ", ";
        text += depthName(depths[i]);
    }
    return text;
}

} // namespace quorvane::codegen
