#pragma once
// Dithering: choosing each pixel's parts so that an area, seen from a little way off, shows the colour
// the picture asked for rather than the nearest level the display has. Both modes measure against the
// levels that the display shows (displayedLevel), and both are integer arithmetic only, so the same
// picture gives the same bytes on every machine.

#include "codegen/reduce.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quorvane::codegen {

enum class Dither {
    None,          // each component reduced on its own, as always
    Ordered,       // an 8 x 8 Bayer matrix chooses between the two displayed levels around each component
    ErrorDiffusion // Floyd-Steinberg (7, 3, 5, 1 sixteenths) in serpentine order
};

// The 8 x 8 Bayer matrix's value, 0 to 63, at a pixel: ordered dithering, in colour and in mono alike.
int bayerValue(std::size_t x, std::size_t y);

// "none", "ordered", "fs": the words of the command line and of the stored window setting.
std::string_view ditherName(Dither dither);
std::optional<Dither> ditherFromName(std::string_view name);

// The parts of every component (red, green, blue per pixel, rows of `width` pixels from the top-left).
// Dither::None is reduceComponents. Components are expected in 0..255.
std::vector<std::int32_t> ditheredParts(std::span<const std::int32_t> components, int width, Depth depth,
                                        Dither dither);

struct ChannelLevels;

// ditheredParts a row at a time, from the top: error diffusion carries only the error into the next
// row, so a picture need never be held whole to be dithered. The same rows give the same parts.
class RowDither {
  public:
    RowDither(int width, Depth depth, Dither dither);
    ~RowDither();
    RowDither(RowDither&&) noexcept;
    RowDither& operator=(RowDither&&) noexcept;

    // The next row's components (3 * width) into its parts (3 * width).
    void reduce(std::span<const std::int32_t> components, std::span<std::int32_t> parts);

  private:
    std::size_t width_;
    Depth depth_;
    Dither dither_;
    std::unique_ptr<std::array<ChannelLevels, 3>> levels_;
    std::size_t y_ = 0;
    // Error diffusion's carried error, per channel of each pixel of this row and the next, with a pixel
    // of margin each side for the shares that fall off the picture.
    std::vector<std::int32_t> here_, next_;
};

} // namespace quorvane::codegen
