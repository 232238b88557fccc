#pragma once
// The colour converter's window held in memory, for the tests and the fuzz target.

#include "colorconv/colorview.h"

#include <array>
#include <optional>
#include <string>

namespace quorvane::colorconv {

class MemoryColorView : public ColorView {
  public:
    std::string text(Box box) const override { return texts_[static_cast<std::size_t>(box)]; }
    void setText(Box box, const std::string& text) override { texts_[static_cast<std::size_t>(box)] = text; }
    void setSwatchColor(std::uint32_t color) override { swatch_ = color; }
    void resetSwatch() override { swatch_.reset(); }
    std::uint32_t swatchPixel() const override { return swatch_.value_or(kWindowBackground); }
    std::optional<std::uint32_t> chooseColor(std::uint32_t) override { return std::nullopt; }

    std::optional<std::uint32_t> swatch() const { return swatch_; }

    static constexpr std::uint32_t kWindowBackground = 0xF0F0F0;

  private:
    std::array<std::string, kBoxCount> texts_{};
    std::optional<std::uint32_t> swatch_;
};

} // namespace quorvane::colorconv
