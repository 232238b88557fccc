#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "codegen/panel.h"

#include <gtest/gtest.h>

#include <vector>

using namespace quorvane::codegen;

namespace {

// A 3 x 2 picture whose pixel n is (n, 100 + n, 200 + n):  0 1 2
//                                                          3 4 5
std::vector<std::int32_t> numbered() {
    std::vector<std::int32_t> components;
    for (int n = 0; n < 6; ++n) components.insert(components.end(), {n, 100 + n, 200 + n});
    return components;
}

std::vector<int> pixelNumbers(const std::vector<std::int32_t>& components) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < components.size(); i += 3) numbers.push_back(components[i]);
    return numbers;
}

const PanelOptions kTurnsAndMirrors[] = {
    {.rotation = 90}, {.rotation = 180}, {.rotation = 270}, {.mirror = Mirror::LeftRight},
    {.mirror = Mirror::TopBottom}, {.rotation = 90, .mirror = Mirror::LeftRight},
    {.rotation = 270, .mirror = Mirror::TopBottom}};

} // namespace

// Where each pixel lands, worked by hand: clockwise, the left column (3 below 0) becomes the top row.
TEST(Panel, TurnsAndMirrorsPlaceEveryPixel) {
    struct Case {
        const char* name;
        PanelOptions panel;
        PictureSize size;
        std::vector<int> order;
    };
    const Case cases[] = {
        {"as opened", {}, {3, 2}, {0, 1, 2, 3, 4, 5}},
        {"90", {.rotation = 90}, {2, 3}, {3, 0, 4, 1, 5, 2}},
        {"180", {.rotation = 180}, {3, 2}, {5, 4, 3, 2, 1, 0}},
        {"270", {.rotation = 270}, {2, 3}, {2, 5, 1, 4, 0, 3}},
        {"left-right", {.mirror = Mirror::LeftRight}, {3, 2}, {2, 1, 0, 5, 4, 3}},
        {"top-bottom", {.mirror = Mirror::TopBottom}, {3, 2}, {3, 4, 5, 0, 1, 2}},
        {"90, then left-right", {.rotation = 90, .mirror = Mirror::LeftRight}, {2, 3}, {0, 3, 1, 4, 2, 5}},
        {"90, then top-bottom", {.rotation = 90, .mirror = Mirror::TopBottom}, {2, 3}, {5, 2, 4, 1, 3, 0}},
    };
    for (const auto& c : cases) {
        const auto turned = toPanel(numbered(), {3, 2}, c.panel);
        EXPECT_EQ(pixelNumbers(turned), c.order) << c.name;
        EXPECT_EQ(panelSize({3, 2}, c.panel), c.size) << c.name;
        EXPECT_EQ(turned[1] - turned[0], 100) << c.name << ": a pixel's components travel together";
    }
}

TEST(Panel, ColourOrderAndInversion) {
    const std::vector<std::int32_t> pixel = {10, 20, 30};
    EXPECT_EQ(toPanel(pixel, {1, 1}, {.invert = true}), (std::vector<std::int32_t>{245, 235, 225}));
    EXPECT_EQ(toPanel(pixel, {1, 1}, {.bgr = true}), (std::vector<std::int32_t>{30, 20, 10}));
    EXPECT_EQ(toPanel(pixel, {1, 1}, {.invert = true, .bgr = true}), (std::vector<std::int32_t>{225, 235, 245}));
}

// Four quarter turns, two mirrors and two inversions each give the picture back; and for every setting
// the viewer's way back undoes the way there.
TEST(Panel, RoundTrips) {
    const auto picture = numbered();
    auto turned = picture;
    PictureSize size{3, 2};
    for (int turn = 0; turn < 4; ++turn) {
        turned = toPanel(turned, size, {.rotation = 90});
        size = panelSize(size, {.rotation = 90});
    }
    EXPECT_EQ(turned, picture);
    for (PanelOptions twice : {PanelOptions{.mirror = Mirror::LeftRight}, PanelOptions{.mirror = Mirror::TopBottom},
                               PanelOptions{.invert = true}, PanelOptions{.bgr = true}}) {
        EXPECT_EQ(toPanel(toPanel(picture, {3, 2}, twice), {3, 2}, twice), picture);
    }
    const std::vector<std::uint8_t> levels(picture.begin(), picture.end());
    for (int rotation : {0, 90, 180, 270}) {
        for (Mirror mirror : {Mirror::None, Mirror::LeftRight, Mirror::TopBottom}) {
            for (int flags = 0; flags < 4; ++flags) {
                const PanelOptions panel{.invert = (flags & 1) != 0, .bgr = (flags & 2) != 0, .rotation = rotation,
                                         .mirror = mirror};
                const auto sent = toPanel(picture, {3, 2}, panel);
                EXPECT_EQ(fromPanel(std::vector<std::uint8_t>(sent.begin(), sent.end()), {3, 2}, panel), levels)
                    << rotation << " " << mirrorName(mirror) << " " << flags;
            }
        }
    }
    EXPECT_THROW(toPanel(picture, {3, 2}, {.rotation = 45}), std::invalid_argument);
}

// A turned or mirrored panel shows exactly the plain picture once the viewer's transforms are undone, at
// every depth and either byte order.
TEST(Panel, TheViewerSeesTheOpenedPictureOnATurnedPanel) {
    std::vector<std::int32_t> picture;
    for (int i = 0; i < 3 * 5 * 3; ++i) picture.push_back((i * 53 + 17) % 256);
    for (Depth depth : {Depth::Bits8, Depth::Bits12, Depth::Bits16}) {
        const auto plain = makeImageCode(picture, {5, 3}, {.depth = depth});
        const auto expected = displayedPicture(plain.rawFile, {.depth = depth});
        for (const PanelOptions& panel : kTurnsAndMirrors) {
            const ByteOrder order = depth == Depth::Bits16 ? ByteOrder::Little : ByteOrder::Big;
            const auto code = makeImageCode(picture, {5, 3}, {.depth = depth, .panel = panel, .byteOrder = order});
            const auto shown = displayedPicture(code.rawFile, {.depth = depth, .byteOrder = order}, panel);
            ASSERT_TRUE(shown);
            EXPECT_EQ(shown->width, 5);
            EXPECT_EQ(shown->rgb, expected->rgb) << panel.rotation << " " << mirrorName(panel.mirror);
            EXPECT_NE(code.rawFile, plain.rawFile) << "the panel's bytes are not the plain ones";
        }
    }
}

// The swap and the inversion are undone on the levels the panel shows, which are not those of the plain
// picture: the bins are not symmetric, and at 8 Bit red and blue have different bit counts.
TEST(Panel, SwappedOrInvertedLevelsAreShownAsThePanelShowsThem) {
    struct Case {
        const char* name;
        Depth depth;
        PanelOptions panel;
        std::vector<std::int32_t> pixel;
        std::vector<std::uint8_t> shown;
    };
    const Case cases[] = {
        {"12 Bit plain: 16 falls to part 0", Depth::Bits12, {}, {16, 16, 16}, {0, 0, 0}},
        // 255 - 16 = 239 gives part 14, level 238, which the negative panel shows as 17.
        {"12 Bit inverted", Depth::Bits12, {.invert = true}, {16, 16, 16}, {17, 17, 17}},
        // Blue 200 in the red field: 3 bits, part 6, level 219; red 200 in the blue field: 2 bits, 255.
        {"8 Bit plain", Depth::Bits8, {}, {200, 0, 200}, {219, 0, 255}},
        {"8 Bit blue first", Depth::Bits8, {.bgr = true}, {200, 0, 200}, {255, 0, 219}},
    };
    for (const auto& c : cases) {
        const auto code = makeImageCode(c.pixel, {1, 1}, {.depth = c.depth, .panel = c.panel});
        EXPECT_EQ(displayedPicture(code.rawFile, {.depth = c.depth}, c.panel)->rgb, c.shown) << c.name;
    }
}
