#include "colorconv/cform.h"

#include "codegen/numbers.h"

namespace quorvane::colorconv {

using codegen::decimalText;
using codegen::numericValue;

namespace {

constexpr Box fullBoxes[] = {Box::rr, Box::gg, Box::bb};
constexpr Box entryBoxes[] = {Box::cr, Box::cg, Box::cb};

bool outOfRange(double component) { return component > 255 || component < 0; }

} // namespace

std::string_view boxName(Box box) {
    static constexpr std::string_view names[kBoxCount] = {"rr", "gg", "bb", "er", "eg", "eb", "ec",
                                                          "tr", "tg", "tb", "tc", "sr", "sg", "sb",
                                                          "sc", "cr", "cg", "cb", "cc"};
    return names[static_cast<std::size_t>(box)];
}

void Cform::loadDesignState() {
    for (std::size_t i = 0; i < kBoxCount; ++i) view_.setText(static_cast<Box>(i), "");
    for (Box entry : entryBoxes) view_.setText(entry, "0");
    view_.resetSwatch();
    dialogColor_ = 0;
}

void Cform::Picture1_Click() {
    if (const auto chosen = view_.chooseColor(dialogColor_)) dialogColor_ = *chosen;
    view_.setSwatchColor(dialogColor_);
    convertswab(0);
}

void Cform::Custombtn_Click() { convertswab(-1); }

double Cform::valueOf(Box box) const { return numericValue(view_.text(box)); }

void Cform::writeDepth(const DepthCode& depth, const std::array<Box, 4>& boxes) {
    for (std::size_t i = 0; i < 3; ++i) view_.setText(boxes[i], decimalText(depth.parts[i]));
    view_.setText(boxes[3], depth.code);
}

void Cform::convertswab(std::int16_t custom) {
    if (custom == 0) {
        const std::uint32_t colour = view_.swatchPixel();
        const std::uint32_t components[] = {colour & 0xFF, (colour & 0xFF00) / 256, (colour & 0xFF0000) / 65536};
        for (std::size_t i = 0; i < 3; ++i) view_.setText(fullBoxes[i], decimalText(components[i]));
        for (std::size_t i = 0; i < 3; ++i) view_.setText(entryBoxes[i], decimalText(components[i]));
    } else {
        for (std::size_t i = 0; i < 3; ++i) view_.setText(fullBoxes[i], view_.text(entryBoxes[i]));
        // A component outside 0..255 stops here: the full-value boxes show what was typed, nothing else changes.
        for (Box entry : entryBoxes) {
            if (outOfRange(valueOf(entry))) return;
        }
        for (Box entry : entryBoxes) {
            if (view_.text(entry).empty()) view_.setText(entry, "0");
        }
    }

    const ColorCodes codes = colorCodes(valueOf(Box::rr), valueOf(Box::gg), valueOf(Box::bb));
    view_.setSwatchColor(codes.colorValue);
    writeDepth(codes.bits8, {Box::er, Box::eg, Box::eb, Box::ec});
    writeDepth(codes.bits12, {Box::tr, Box::tg, Box::tb, Box::tc});
    writeDepth(codes.bits16, {Box::sr, Box::sg, Box::sb, Box::sc});
    view_.setText(Box::cc, codes.colorValueText);
}

} // namespace quorvane::colorconv
