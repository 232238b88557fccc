#include "codegen/panel.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace quorvane::codegen {
namespace {

void requireRotation(int degrees) {
    if (!isRotation(degrees)) {
        throw std::invalid_argument("a panel turns by 0, 90, 180 or 270 degrees, not " + std::to_string(degrees));
    }
}

// Both directions walk the panel's pixels and ask which pixel of the opened picture each one shows; the
// way back then writes where the way there read, so the one undoes the other exactly.
class PanelWalk {
  public:
    PanelWalk(PictureSize opened, const PanelOptions& panel)
        : opened_(opened), turned_(panelSize(opened, panel)), panel_(panel) {}

    PictureSize turned() const { return turned_; }

    std::size_t openedPixel(int x, int y) const {
        if (panel_.mirror == Mirror::LeftRight) x = turned_.width - 1 - x;
        if (panel_.mirror == Mirror::TopBottom) y = turned_.height - 1 - y;
        int sx = x, sy = y;
        switch (panel_.rotation) {
        case 90: // clockwise: the opened picture's left column becomes the top row
            sx = y, sy = opened_.height - 1 - x;
            break;
        case 180:
            sx = opened_.width - 1 - x, sy = opened_.height - 1 - y;
            break;
        case 270:
            sx = opened_.width - 1 - y, sy = x;
            break;
        default:
            break;
        }
        return static_cast<std::size_t>(sy) * static_cast<std::size_t>(opened_.width) + static_cast<std::size_t>(sx);
    }

    template <typename Visit> void forEachPixel(Visit visit) const {
        std::size_t panelPixel = 0;
        for (int y = 0; y < turned_.height; ++y) {
            for (int x = 0; x < turned_.width; ++x) visit(panelPixel++, openedPixel(x, y));
        }
    }

  private:
    PictureSize opened_;
    PictureSize turned_;
    PanelOptions panel_;
};

// One pixel's components as the panel takes them: inverted, then red and blue exchanged.
template <typename Component> void turnPixel(const Component* from, const PanelOptions& panel, std::int32_t* to) {
    std::int32_t r = from[0], g = from[1], b = from[2];
    if (panel.invert) r = 255 - r, g = 255 - g, b = 255 - b;
    if (panel.bgr) std::swap(r, b);
    to[0] = r, to[1] = g, to[2] = b;
}

} // namespace

bool isRotation(int degrees) { return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270; }

std::string_view mirrorName(Mirror mirror) {
    switch (mirror) {
    case Mirror::LeftRight:
        return "h";
    case Mirror::TopBottom:
        return "v";
    case Mirror::None:
        break;
    }
    return "none";
}

std::optional<Mirror> mirrorFromName(std::string_view name) {
    for (Mirror mirror : {Mirror::None, Mirror::LeftRight, Mirror::TopBottom}) {
        if (name == mirrorName(mirror)) return mirror;
    }
    return std::nullopt;
}

bool keepsRowOrder(const PanelOptions& panel) { return panel.rotation == 0 && panel.mirror != Mirror::TopBottom; }

PictureSize panelSize(PictureSize opened, const PanelOptions& panel) {
    requireRotation(panel.rotation);
    if (panel.rotation == 90 || panel.rotation == 270) return {opened.height, opened.width};
    return opened;
}

std::vector<std::int32_t> toPanel(std::span<const std::int32_t> components, PictureSize size,
                                  const PanelOptions& panel) {
    const PanelWalk walk(size, panel);
    if (components.size() != 3 * static_cast<std::size_t>(size.width) * static_cast<std::size_t>(size.height)) {
        throw std::invalid_argument("toPanel: the components do not make a " + std::to_string(size.width) + " x " +
                                    std::to_string(size.height) + " picture");
    }
    std::vector<std::int32_t> out(components.size());
    walk.forEachPixel([&](std::size_t to, std::size_t from) { turnPixel(components.data() + 3 * from, panel, out.data() + 3 * to); });
    return out;
}

void toPanelRow(std::span<const std::uint8_t> components, PictureSize size, const PanelOptions& panel, int y,
                std::span<std::int32_t> row) {
    const PanelWalk walk(size, panel);
    for (int x = 0; x < walk.turned().width; ++x) {
        turnPixel(components.data() + 3 * walk.openedPixel(x, y), panel, row.data() + 3 * static_cast<std::size_t>(x));
    }
}

std::vector<std::uint8_t> fromPanel(std::span<const std::uint8_t> shown, PictureSize opened,
                                    const PanelOptions& panel) {
    const PanelWalk walk(opened, panel);
    if (shown.size() != 3 * static_cast<std::size_t>(opened.width) * static_cast<std::size_t>(opened.height)) {
        throw std::invalid_argument("fromPanel: the levels do not make a " + std::to_string(walk.turned().width) +
                                    " x " + std::to_string(walk.turned().height) + " picture");
    }
    std::vector<std::uint8_t> out(shown.size());
    walk.forEachPixel([&](std::size_t from, std::size_t to) {
        // A blue-first panel shows the first field, which holds the picture's blue, as blue.
        std::uint8_t r = shown[3 * from], g = shown[3 * from + 1], b = shown[3 * from + 2];
        if (panel.bgr) std::swap(r, b);
        if (panel.invert) {
            r = static_cast<std::uint8_t>(255 - r), g = static_cast<std::uint8_t>(255 - g);
            b = static_cast<std::uint8_t>(255 - b);
        }
        out[3 * to] = r, out[3 * to + 1] = g, out[3 * to + 2] = b;
    });
    return out;
}

} // namespace quorvane::codegen
