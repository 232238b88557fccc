// The streamed road against the whole-picture road that the window keeps: every output byte the same.
#include "codegen/codestream.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace quorvane::codegen;

namespace {

// Smooth runs (so rle and lz4 find repeats), a band of few colours (so a small palette holds some rows
// exactly) and scattered values (so the quantiser has to choose).
std::vector<std::uint8_t> picture(PictureSize size) {
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < size.height; ++y) {
        for (int x = 0; x < size.width; ++x) {
            const auto v = static_cast<std::uint32_t>(x * 2654435761u ^ y * 40503u);
            const bool flat = y % 3 == 1;
            rgb.push_back(static_cast<std::uint8_t>(flat ? 200 : v >> 8));
            rgb.push_back(static_cast<std::uint8_t>(flat ? 40 * (x / 4) : 16 * x + y));
            rgb.push_back(static_cast<std::uint8_t>(flat ? 0 : v >> 20));
        }
    }
    return rgb;
}

// The road's result, and the raw file's bytes as it handed them on while the rows came.
StreamedCode streamed(const std::vector<std::uint8_t>& rgb, PictureSize size, const CodeOptions& options,
                      std::vector<std::uint8_t>& handed) {
    CodeStream stream(size, options);
    stream.handRawFile([&handed](std::span<const std::uint8_t> bytes) { handed.insert(handed.end(), bytes.begin(), bytes.end()); });
    const std::size_t row = 3 * static_cast<std::size_t>(size.width);
    for (std::size_t at = 0; at < rgb.size(); at += row) stream.row(std::span(rgb).subspan(at, row));
    return stream.finish();
}

std::string textOf(const StreamedCode& code) {
    std::string text;
    StringSink sink(text);
    code.writeText(sink, "\n");
    return text;
}

} // namespace

TEST(CodeStream, GivesTheWholeRoadsBytesAndText) {
    const PictureSize sizes[] = {{7, 5}, {1, 1}, {13, 3}};
    const PanelOptions panels[] = {{},
                                   {.invert = true, .bgr = true},
                                   {.mirror = Mirror::LeftRight},
                                   {.mirror = Mirror::TopBottom},
                                   {.rotation = 90},
                                   {.bgr = true, .rotation = 180},
                                   {.rotation = 270, .mirror = Mirror::LeftRight}};
    const Storage storages[] = {{},
                                {.compression = Compression::Rle},
                                {.compression = Compression::Auto},
                                {.paletteSize = 16},
                                {.paletteSize = 2, .compression = Compression::Lz4},
                                {.mono = true, .monoLayout = MonoLayout::Pages},
                                {.mono = true, .monoLayout = MonoLayout::RowsLsb, .compression = Compression::Rle}};
    const TextLayout layouts[] = {{}, {.columns = 5, .radix = Radix::Hex, .headerName = "logo.h"}};
    int cases = 0;
    for (const PictureSize size : sizes) {
        const std::vector<std::uint8_t> rgb = picture(size);
        const std::vector<std::int32_t> components(rgb.begin(), rgb.end());
        for (const Depth depth : {Depth::Bits8, Depth::Bits12, Depth::Bits16, Depth::Bits18, Depth::Bits24}) {
            for (const PanelOptions& panel : panels) {
                for (const Dither dither : {Dither::None, Dither::Ordered, Dither::ErrorDiffusion}) {
                    for (const Storage& storage : storages) {
                        if (storage.paletteSize > 0 && dither == Dither::Ordered) continue;
                        const TextLayout& layout = layouts[cases % 2];
                        const CodeOptions options{.depth = depth, .target = cases % 3 == 0 ? Target::Avr : Target::Arm,
                                                  .arrayName = "logo", .dither = dither, .panel = panel,
                                                  .byteOrder = depth == Depth::Bits16 && cases % 2 ? ByteOrder::Little
                                                                                                   : ByteOrder::Big,
                                                  .sizeHeader = cases % 4 == 1 ? SizeHeader::Bytes16 : SizeHeader::Bytes8,
                                                  .storage = storage, .layout = layout};
                        const ImageCode whole = makeImageCode(components, size, options);
                        std::vector<std::uint8_t> handed;
                        const StreamedCode stream = streamed(rgb, size, options, handed);
                        const std::string what = std::to_string(cases) + ": " + std::to_string(size.width) + "x" +
                                                 std::to_string(size.height) + " depth " +
                                                 std::to_string(static_cast<int>(depth));
                        ASSERT_EQ(stream.rawFile, whole.rawFile) << what;
                        ASSERT_EQ(handed, whole.rawFile) << what;
                        ASSERT_EQ(textOf(stream), whole.text.joined("\n")) << what;
                        ASSERT_EQ(stream.header, whole.header) << what;
                        ASSERT_EQ(stream.declaredCount(), whole.declaredCount()) << what;
                        ASSERT_EQ(stream.panelSize, whole.panelSize) << what;
                        ++cases;
                    }
                }
            }
        }
    }
    EXPECT_GT(cases, 1000);
}

// A raw file larger than a block goes out in pieces while the rows come, and the pieces are the file.
TEST(CodeStream, HandsTheRawFileOnAsItIsPacked) {
    const PictureSize size{161, 150}; // 72,450 bytes at 24 Bit
    const std::vector<std::uint8_t> rgb = picture(size);
    const CodeOptions options{.depth = Depth::Bits24, .arrayName = "big", .dither = Dither::ErrorDiffusion};
    CodeStream stream(size, options);
    std::vector<std::uint8_t> handed;
    int rows = 0, rowsBeforeFirst = -1;
    stream.handRawFile([&](std::span<const std::uint8_t> bytes) {
        if (handed.empty()) rowsBeforeFirst = rows;
        handed.insert(handed.end(), bytes.begin(), bytes.end());
    });
    for (std::size_t at = 0; at < rgb.size(); at += 3 * 161, ++rows) stream.row(std::span(rgb).subspan(at, 3 * 161));
    EXPECT_EQ(handed, stream.finish().rawFile);
    EXPECT_LT(rowsBeforeFirst, size.height) << "the first piece went before the last row";
}
