#include "colorconv/cform.h"

#include "codegen/module1.h"
#include "codegen/numbers.h"
#include "codegen/reduce.h"

namespace quorvane::colorconv {

using codegen::Channel;
using codegen::Depth;
using codegen::decimalText;
using codegen::hexText;
using codegen::numericValue;
using Module1::ShiftLeft;

namespace {

constexpr Box fullBoxes[] = {Box::rr, Box::gg, Box::bb};
constexpr Box entryBoxes[] = {Box::cr, Box::cg, Box::cb};

std::string paddedHex(std::uint32_t value, std::size_t width) {
    std::string digits = hexText(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

// A byte of the 12-bit code always shows both of its digits: 0x0F and 0xF0 must not read alike.
std::string byteHex(std::int32_t value) { return paddedHex(static_cast<std::uint32_t>(value) & 0xFF, 2); }

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

std::int32_t Cform::partValueOf(Box box) const { return codegen::toInt32(valueOf(box)).value_or(0); }

// A full component rounded to 16 bits; the range checks before keep it within 0..255.
std::int32_t Cform::componentOf(Box box) const { return codegen::toInt16(valueOf(box)).value_or(0); }

void Cform::writePart(Box target, Box source, Depth depth, Channel channel) {
    view_.setText(target, decimalText(codegen::reduceComponent(valueOf(source), depth, channel)));
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

    const std::int32_t r = componentOf(Box::rr), g = componentOf(Box::gg), b = componentOf(Box::bb);
    const auto colourValue = static_cast<std::uint32_t>(r + 256 * g + 65536 * b);
    view_.setSwatchColor(colourValue);

    writePart(Box::er, Box::rr, Depth::Bits8, Channel::Red);
    writePart(Box::eg, Box::gg, Depth::Bits8, Channel::Green);
    writePart(Box::eb, Box::bb, Depth::Bits8, Channel::Blue);
    std::int32_t x = 0 | partValueOf(Box::er);
    x = ShiftLeft(x, 3);
    x = x | partValueOf(Box::eg);
    x = ShiftLeft(x, 2);
    x = x | partValueOf(Box::eb);
    view_.setText(Box::ec, "0x" + hexText(static_cast<std::uint32_t>(x)));

    writePart(Box::tr, Box::rr, Depth::Bits12, Channel::Red);
    writePart(Box::tg, Box::gg, Depth::Bits12, Channel::Green);
    writePart(Box::tb, Box::bb, Depth::Bits12, Channel::Blue);
    x = ShiftLeft(0 | partValueOf(Box::tr), 4) | partValueOf(Box::tg);
    view_.setText(Box::tc, "0x" + byteHex(x));
    const std::int32_t y = ShiftLeft(0 | partValueOf(Box::tb), 4);
    view_.setText(Box::tc, view_.text(Box::tc) + byteHex(y));

    writePart(Box::sr, Box::rr, Depth::Bits16, Channel::Red);
    writePart(Box::sg, Box::gg, Depth::Bits16, Channel::Green);
    writePart(Box::sb, Box::bb, Depth::Bits16, Channel::Blue);
    x = ShiftLeft(ShiftLeft(0 | partValueOf(Box::sr), 6) | partValueOf(Box::sg), 5) | partValueOf(Box::sb);
    view_.setText(Box::sc, "0x" + hexText(static_cast<std::uint32_t>(x)));

    view_.setText(Box::cc, "0x" + paddedHex(colourValue, 6));
}

} // namespace quorvane::colorconv
