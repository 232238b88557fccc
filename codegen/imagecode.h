#pragma once
// The one road of an image through the code generator. Every front end (the window, the command line,
// the fuzz targets, the benchmarks) hands in the captured components and gets back everything it shows
// or writes; none of them chains the steps itself.
//
//   components -> the panel's transforms (invert, swap red and blue, rotate, mirror)
//              -> reduce to the depth (or dither) -> pack into bytes (16-bit byte order)
//                 or, stored compactly: a palette and its indices, or one bit a pixel; then compression
//              -> size bytes -> array text (includes, declaration, value line), header -> file image
//              -> raw file bytes

#include "codegen/arraytext.h"
#include "codegen/dither.h"
#include "codegen/panel.h"
#include "codegen/rawfile.h"
#include "codegen/reduce.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvane::codegen {

// How a picture becomes code. Every option defaults to today's bytes and text.
struct CodeOptions {
    Depth depth = Depth::Bits8;
    Target target = Target::Pic;
    std::string arrayName; // the image's name; made a valid C identifier in the declaration
    Dither dither = Dither::None;
    PanelOptions panel{};                  // changes the bytes, in the array and the raw file alike
    ByteOrder byteOrder = ByteOrder::Big;  // 16 Bit only
    SizeHeader sizeHeader = SizeHeader::Bytes8;
    Storage storage{};                     // palette, mono, compression: fewer bytes, read by the decoder
    TextLayout layout{};                   // changes the source text, never the raw file

    RawLayout rawLayout() const { return {depth, byteOrder, sizeHeader, storage}; }
};

struct ImageCode {
    PictureSize panelSize;               // the picture as the panel receives it, rotated
    // The reduced parts and the packed values; stored otherwise than plainly, the parts are what the panel
    // shows (a palette's colours, mono's largest parts or zeros) and the packed values are the bytes after
    // the size bytes: the method byte, the palette and the data.
    Conversion conversion;
    ArrayText text;                      // declaration and value line; the value line is the clipboard's text
    std::string header;                  // the header's text when layout.headerName is set, else empty
    std::vector<std::uint8_t> sizeBytes; // as the size header says: none, or 2 or 4 bytes
    std::vector<std::uint8_t> rawFile;   // the bytes of <name>.hex

    // The size bytes, the packed values and a closing 0, as the window's fileValues hold them: made on
    // request, since the command line never needs it.
    std::vector<std::int16_t> fileImage() const;

    std::size_t reducedCount() const { return conversion.parts.size(); }
    std::size_t outputCount() const { return conversion.packed.size(); }
    std::size_t dataByteCount() const { return rawFile.size() - sizeBytes.size(); }
    std::size_t declaredCount() const { return codegen::declaredCount(sizeBytes.size(), outputCount()); }
};

// components holds red, green, blue of every pixel, row by row from the top-left: 3 * width * height
// entries. Throws std::invalid_argument when the size and the components disagree, a side is below 1,
// the rotation is not a quarter turn, a byte order is asked of a depth without 16-bit words, or the size
// header cannot hold the size (sizeHeaderRefusal), or ordered dithering or mono is asked with a palette.
ImageCode makeImageCode(std::span<const std::int32_t> components, PictureSize size,
                        const CodeOptions& options);

// What the two roads (this one and CodeStream's) share.
// Throws std::invalid_argument for a storage that cannot be: a palette with mono, of a size that is not
// 2, 4, 16 or 256, or with ordered dithering.
void requireStorage(const CodeOptions& options);
// [method byte] [palette] data, the data compressed as the storage asks: a compact picture's bytes after
// its size bytes.
std::vector<std::uint8_t> storedBytes(const Storage& storage, Depth depth, std::span<const std::uint8_t> palette,
                                      std::span<const std::uint8_t> data);
// With a header asked for: its text, and for a picture stored compactly, the lines after the array that
// tell the decoder how to read it.
void describeArray(const CodeOptions& options, PictureSize panel, std::size_t declaredCount, ArrayText& text,
                   std::string& header);

} // namespace quorvane::codegen
