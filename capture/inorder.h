#pragma once
// A picture's rows handed on from the top, opaque, as red, green, blue bytes: straight through while
// the decoder gives whole rows from the top down, and held only from the first row that comes otherwise
// (a bottom-up BMP, a pass of an interlaced PNG or GIF), those then handed on when the picture is done.

#include "capture/capture.h"

#include <cstdint>
#include <span>
#include <vector>

namespace quorvane::capture {

class RowsInOrder {
  public:
    // Calls rows.begin(size) at once.
    RowsInOrder(PictureRows& rows, DeclaredSize size, bool alpha, std::uint32_t background);

    // As RowSink's row and rgbRow.
    void row(int y, int first, int step, std::span<const std::uint32_t> colours, std::span<const std::uint8_t> alpha);
    void rgbRow(int y, std::span<const std::uint8_t> rgb);
    // The rows held, once the decoder is done.
    void finish();

  private:
    void hold();

    PictureRows& rows_;
    DeclaredSize size_;
    std::uint32_t background_;
    bool alpha_;
    int next_ = 0;       // the next row to hand on
    bool holding_ = false;
    std::vector<std::uint32_t> pixels_; // from the first row out of order: the whole picture
    std::vector<std::uint8_t> opacity_;
    std::vector<std::uint8_t> rgb_;     // one row on its way
};

} // namespace quorvane::capture
