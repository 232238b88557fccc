#pragma once
// How the panel is mounted and wired, applied to the picture before it is reduced: a panel that shows the
// negative of what it is sent, one whose controller takes blue first, one mounted turned or seen in a
// mirror. Each transform is undone again on the levels the panel shows, so that a viewer's picture can
// be checked against the one that was opened.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quorvane::codegen {

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
    std::size_t pixels() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

enum class Mirror {
    None,
    LeftRight, // each row reversed
    TopBottom  // the order of the rows reversed
};

struct PanelOptions {
    bool invert = false;          // every component c becomes 255 - c
    bool bgr = false;             // red and blue exchange places, so the panel's red field holds blue
    int rotation = 0;             // clockwise: 0, 90, 180 or 270 degrees
    Mirror mirror = Mirror::None; // after the rotation

    bool operator==(const PanelOptions&) const = default;
};

bool isRotation(int degrees); // 0, 90, 180 or 270

// "none", "h", "v": the words of the command line and of the stored window setting.
std::string_view mirrorName(Mirror mirror);
std::optional<Mirror> mirrorFromName(std::string_view name);

// True when the panel receives the picture's rows in the order they come, each only inverted, swapped or
// reversed on its own: neither turned nor mirrored top to bottom.
bool keepsRowOrder(const PanelOptions& panel);

// The size of the picture as the panel receives it: 90 and 270 exchange width and height.
PictureSize panelSize(PictureSize opened, const PanelOptions& panel);

// components: red, green, blue per pixel, rows from the top-left. Order of work: invert, swap red and
// blue, rotate, mirror. The result is in the panel's order and of panelSize(size, panel).
std::vector<std::int32_t> toPanel(std::span<const std::int32_t> components, PictureSize size,
                                  const PanelOptions& panel);

// Row y of toPanel's result from the opened picture's red, green, blue bytes: a picture kept as bytes is
// turned a row at a time. row holds 3 * panelSize(size, panel).width entries.
void toPanelRow(std::span<const std::uint8_t> components, PictureSize size, const PanelOptions& panel, int y,
                std::span<std::int32_t> row);

// What a viewer of such a panel sees, given the levels it shows (red, green, blue per pixel of a
// panelSize picture, in the panel's fields): the colour order and the inversion undone on those levels,
// then the mirror and the rotation, so a correct setting gives back the picture as opened.
std::vector<std::uint8_t> fromPanel(std::span<const std::uint8_t> shown, PictureSize opened,
                                    const PanelOptions& panel);

} // namespace quorvane::codegen
