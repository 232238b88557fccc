#pragma once
// The one road of an image through the code generator. Every front end (the window, the command line,
// the fuzz targets, the benchmarks) hands in the captured components and gets back everything it shows
// or writes; none of them chains the steps itself.
//
//   components -> reduce to the depth (or dither) -> pack into bytes -> array text (declaration, value line)
//                                                                   -> file image -> raw file bytes

#include "codegen/arraytext.h"
#include "codegen/dither.h"
#include "codegen/reduce.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvane::codegen {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// How a picture becomes code. Every option that changes the bytes defaults to the plain reduction.
struct CodeOptions {
    Depth depth = Depth::Bits8;
    Target target = Target::Pic;
    std::string arrayName; // the image's name; made a valid C identifier in the declaration
    Dither dither = Dither::None;
};

struct ImageCode {
    Conversion conversion;               // the reduced parts and the packed values
    ArrayText text;                      // declaration and value line; the value line is the clipboard's text
    std::vector<std::int16_t> fileImage; // height - 1, width - 1, the packed values, a closing 0
    std::vector<std::uint8_t> rawFile;   // the bytes of <name>.hex

    std::size_t reducedCount() const { return conversion.parts.size(); }
    std::size_t outputCount() const { return conversion.packed.size(); }
    std::size_t dataByteCount() const { return rawFile.size() - 2; }
};

// components holds red, green, blue of every pixel, row by row from the top-left: 3 * width * height
// entries. Throws std::invalid_argument when the size and the components disagree, or a side is below 1.
ImageCode makeImageCode(std::span<const std::int32_t> components, PictureSize size,
                        const CodeOptions& options);

} // namespace quorvane::codegen
