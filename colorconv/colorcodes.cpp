#include "colorconv/colorcodes.h"

#include "codegen/module1.h"
#include "codegen/numbers.h"
#include "codegen/reduce.h"

#include <vector>

namespace quorvane::colorconv {

using codegen::Channel;
using codegen::Depth;
using codegen::hexText;
using Module1::ShiftLeft;

namespace {

std::string paddedHex(std::uint32_t value, std::size_t width) {
    std::string digits = hexText(value);
    return digits.size() < width ? std::string(width - digits.size(), '0') + digits : digits;
}

// A byte of the 12-bit code always shows both of its digits: 0x0F and 0xF0 must not read alike.
std::string byteHex(std::int32_t value) {
    return paddedHex(static_cast<std::uint32_t>(value) & 0xFF, 2);
}

std::array<std::int32_t, 3> partsOf(const std::array<double, 3>& components, Depth depth) {
    return {codegen::reduceComponent(components[0], depth, Channel::Red),
            codegen::reduceComponent(components[1], depth, Channel::Green),
            codegen::reduceComponent(components[2], depth, Channel::Blue)};
}

std::int32_t rounded(double component) {
    return codegen::toInt32(component).value_or(0);
}

} // namespace

ColorCodes colorCodes(double red, double green, double blue) {
    const std::array<double, 3> components{red, green, blue};
    ColorCodes codes;

    auto& [r8, g8, b8] = codes.bits8.parts = partsOf(components, Depth::Bits8);
    const std::int32_t code8 = ShiftLeft(ShiftLeft(0 | r8, 3) | g8, 2) | b8;
    codes.bits8.code = "0x" + hexText(static_cast<std::uint32_t>(code8));

    auto& [r12, g12, b12] = codes.bits12.parts = partsOf(components, Depth::Bits12);
    codes.bits12.code = "0x" + byteHex(ShiftLeft(0 | r12, 4) | g12) + byteHex(ShiftLeft(0 | b12, 4));

    auto& [r16, g16, b16] = codes.bits16.parts = partsOf(components, Depth::Bits16);
    const std::int32_t code16 = ShiftLeft(ShiftLeft(0 | r16, 6) | g16, 5) | b16;
    codes.bits16.code = "0x" + hexText(static_cast<std::uint32_t>(code16));

    codes.colorValue =
        static_cast<std::uint32_t>(rounded(red) + 256 * rounded(green) + 65536 * rounded(blue));
    codes.colorValueText = "0x" + paddedHex(codes.colorValue, 6);
    return codes;
}

DepthCode depthCode(double red, double green, double blue, Depth depth) {
    DepthCode code;
    code.parts = partsOf({red, green, blue}, depth);
    const std::vector<std::int32_t> bytes = codegen::packParts(code.parts, depth);
    code.code = "0x";
    const std::size_t dataBytes = (static_cast<std::size_t>(codegen::colorFormat(depth).bitsPerPixel()) + 7) / 8;
    for (std::size_t i = 0; i < dataBytes && i < bytes.size(); ++i) code.code += byteHex(bytes[i]);
    return code;
}

} // namespace quorvane::colorconv
