#pragma once
// The command line's road: a picture comes a row at a time from its decoder, and each row is turned
// for the panel, reduced (or dithered) and packed into the raw file's bytes as it comes. Those bytes are
// the only whole thing kept: the array text is written from them a block at a time. Only two cases hold
// more, and only what they need: a panel whose rows do not come in the picture's order (turned by 90,
// 180 or 270 degrees, or mirrored top to bottom) keeps the picture's bytes until the last row, and a palette,
// which is chosen from every pixel at once, keeps the panel's components.
//
// The bytes and the text are exactly makeImageCode's for the same picture and options; the window keeps
// that road for the lists it shows.

#include "codegen/imagecode.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvane::codegen {

struct StreamedCode {
    PictureSize panelSize;             // the picture as the panel receives it
    std::vector<std::uint8_t> rawFile; // the bytes of <name>.hex: the size bytes and the data
    std::size_t closingZeros = 0;      // packed values of 0 past the data that the array lists
    ArrayText frame;                   // the array text but its values: includes, declaration, trailer
    Radix radix = Radix::Decimal;
    std::string header;                // the header's text when layout.headerName is set, else empty

    // The array's entries: the raw file, the zeros past the data, the closing 0 and the one C adds.
    std::size_t declaredCount() const { return rawFile.size() + closingZeros + 2; }
    // makeImageCode's text.joined(eol), a block at a time.
    void writeText(TextSink& sink, std::string_view eol) const;
};

class CodeStream {
  public:
    // The picture's size as opened. Throws std::invalid_argument as makeImageCode does for a side below 1,
    // a rotation that is no quarter turn, a size the size header cannot hold, a byte order asked of a depth
    // without 16-bit words, or a storage that cannot be.
    CodeStream(PictureSize opened, const CodeOptions& options);
    ~CodeStream();
    CodeStream(const CodeStream&) = delete;
    CodeStream& operator=(const CodeStream&) = delete;

    // The raw file's bytes handed on as they are made, a block at a time, for a file that is written while
    // the picture is still coming: stored plainly they are final once packed; stored compactly, they
    // all come at finish().
    void handRawFile(std::function<void(std::span<const std::uint8_t>)> sink) { rawSink_ = std::move(sink); }

    // The next row of the picture as opened, from the top: red, green, blue of each pixel (3 * width).
    // Rows past the last are left out.
    void row(std::span<const std::uint8_t> rgb);
    // Everything, once the last row has come. Throws std::logic_error if rows are missing, and
    // std::runtime_error if the quantiser or the compressor fails.
    StreamedCode finish();

  private:
    struct Stages;
    void panelRow(std::span<const std::int32_t> components);
    void handOn(std::size_t atLeast); // the packed bytes not yet handed, once there are so many

    PictureSize opened_, panel_;
    CodeOptions options_;
    bool whole_;      // the panel's rows come in another order: the components are kept until the last row
    int rowsIn_ = 0;  // rows of the picture as opened
    int rowsOut_ = 0; // rows of the panel reduced
    std::vector<std::int32_t> row_;   // one row's components, turned
    std::vector<std::uint8_t> keptBytes_; // the picture as it came, when the panel takes its rows in another order
    std::vector<std::int32_t> kept_;      // the panel's components, for a palette chosen from them all
    std::vector<std::uint8_t> bytes_; // the size bytes, then the data as it is packed
    std::size_t lead_ = 0;            // of bytes_, the size bytes
    std::function<void(std::span<const std::uint8_t>)> rawSink_;
    std::size_t handed_ = 0; // of bytes_, to rawSink_
    std::unique_ptr<Stages> stages_;
};

} // namespace quorvane::codegen
