#include "codegen/codestream.h"

#include "codegen/storage.h"

#include <algorithm>
#include <array>
#include <optional>
#include <stdexcept>
#include <utility>

namespace quorvane::codegen {
namespace {

// Large enough that a file takes a few writes, small enough that the first goes out early.
constexpr std::size_t kRawBlock = 64 * 1024;

} // namespace

// What turns one row of the panel into bytes: the dithering (or mono's bits) and the packing.
struct CodeStream::Stages {
    // Undithered, a pixel's bits come straight from its three bytes: placed[channel][byte] is the part
    // that byte reduces to, inverted and swapped as the panel asks, in its place among the bits.
    std::optional<std::array<std::array<std::uint32_t, 256>, 3>> placed;
    std::optional<RowDither> dither;
    std::optional<Packer> packer;
    std::optional<MonoRows> mono;
    std::vector<std::int32_t> parts;
    std::vector<std::uint8_t> bits;
};

CodeStream::CodeStream(PictureSize opened, const CodeOptions& options)
    : opened_(opened), options_(options), whole_(!keepsRowOrder(options.panel)), stages_(std::make_unique<Stages>()) {
    if (opened.width < 1 || opened.height < 1) {
        throw std::invalid_argument("CodeStream: a picture of " + std::to_string(opened.width) + " x " +
                                    std::to_string(opened.height) + " pixels has nothing to convert");
    }
    panel_ = panelSize(opened, options.panel);
    bytes_ = sizeBytes(panel_, options.sizeHeader, options.byteOrder);
    lead_ = bytes_.size();
    requireStorage(options);
    const Storage& storage = options.storage;
    const auto width = static_cast<std::size_t>(panel_.width);
    if (storage.mono) {
        stages_->mono.emplace(panel_.width, options.dither);
        stages_->bits.resize(width);
        bytes_.resize(bytes_.size() + monoByteCount(panel_, storage.monoLayout));
    } else if (storage.paletteSize == 0) {
        stages_->dither.emplace(panel_.width, options.depth, options.dither);
        stages_->packer.emplace(options.depth, options.byteOrder);
        stages_->parts.resize(3 * width);
        if (options.dither == Dither::None) {
            auto& placed = stages_->placed.emplace();
            for (std::size_t field = 0; field < 3; ++field) {
                const std::size_t from = options.panel.bgr ? 2 - field : field;
                for (int c = 0; c < 256; ++c) {
                    const int component = options.panel.invert ? 255 - c : c;
                    const auto part = reduceComponent(component, options.depth, static_cast<Channel>(field));
                    placed[from][static_cast<std::size_t>(c)] = stages_->packer->placed(field, static_cast<std::uint32_t>(part));
                }
            }
        }
        // The packing's closing values past the data fit in the two spare bytes.
        bytes_.reserve(bytes_.size() + rawDataByteCount(options.depth, panel_.pixels()) + 2);
    }
    if (whole_) keptBytes_.reserve(3 * opened.pixels());
    row_.resize(3 * static_cast<std::size_t>(opened.width));
}

CodeStream::~CodeStream() = default;

void CodeStream::row(std::span<const std::uint8_t> rgb) {
    if (rowsIn_ == opened_.height) return;
    ++rowsIn_;
    const auto width = static_cast<std::size_t>(opened_.width);
    const std::size_t n = std::min(rgb.size(), 3 * width);
    if (whole_) {
        // Turned at the end, by the same walk as makeImageCode's; kept as the bytes they came as.
        keptBytes_.insert(keptBytes_.end(), rgb.begin(), rgb.begin() + static_cast<std::ptrdiff_t>(n));
        keptBytes_.resize(keptBytes_.size() + 3 * width - n, 0);
        return;
    }
    const PanelOptions& panel = options_.panel;
    const bool reversed = panel.mirror == Mirror::LeftRight;
    if (stages_->placed && n == 3 * width) {
        const auto& placed = *stages_->placed;
        const std::uint8_t* pixels = rgb.data();
        stages_->packer->values(width, [&](std::size_t x) {
            const std::uint8_t* pixel = pixels + 3 * (reversed ? width - 1 - x : x);
            return placed[0][pixel[0]] | placed[1][pixel[1]] | placed[2][pixel[2]];
        }, bytes_);
        ++rowsOut_;
        handOn(kRawBlock);
        return;
    }
    const std::int32_t flip = panel.invert ? 255 : 0, sign = panel.invert ? -1 : 1;
    const std::size_t red = panel.bgr ? 2 : 0, blue = 2 - red;
    if (n < 3 * width) std::fill(row_.begin(), row_.end(), 0);
    for (std::size_t x = 0; 3 * x + 2 < n; ++x) {
        std::int32_t* to = row_.data() + 3 * (reversed ? width - 1 - x : x);
        to[red] = flip + sign * rgb[3 * x];
        to[1] = flip + sign * rgb[3 * x + 1];
        to[blue] = flip + sign * rgb[3 * x + 2];
    }
    panelRow(row_);
}

void CodeStream::panelRow(std::span<const std::int32_t> components) {
    const std::size_t y = static_cast<std::size_t>(rowsOut_++);
    Stages& stages = *stages_;
    if (stages.mono) {
        stages.mono->bits(components, stages.bits);
        placeMonoRow(stages.bits, y, panel_, options_.storage.monoLayout, std::span<std::uint8_t>(bytes_).subspan(lead_));
    } else if (stages.packer) {
        stages.dither->reduce(components, stages.parts);
        stages.packer->pixels(stages.parts, bytes_);
        handOn(kRawBlock);
    } else {
        kept_.insert(kept_.end(), components.begin(), components.end()); // the palette is chosen from them all
    }
}

void CodeStream::handOn(std::size_t atLeast) {
    // Only the plain data is final before the last row: compression and palettes change it all.
    if (!rawSink_ || !options_.storage.plain() || bytes_.size() - handed_ < std::max<std::size_t>(atLeast, 1)) return;
    rawSink_(std::span<const std::uint8_t>(bytes_).subspan(handed_));
    handed_ = bytes_.size();
}

StreamedCode CodeStream::finish() {
    if (rowsIn_ < opened_.height) {
        throw std::logic_error("CodeStream: " + std::to_string(rowsIn_) + " of " + std::to_string(opened_.height) +
                               " rows came");
    }
    const Storage& storage = options_.storage;
    if (whole_) {
        std::vector<std::int32_t> turned(3 * static_cast<std::size_t>(panel_.width));
        for (int y = 0; y < panel_.height; ++y) {
            toPanelRow(keptBytes_, opened_, options_.panel, y, turned);
            panelRow(turned);
        }
        keptBytes_ = {};
    }
    StreamedCode code;
    code.panelSize = panel_;
    code.radix = options_.layout.radix;
    if (stages_->packer) {
        stages_->packer->close(bytes_);
        const std::size_t end = lead_ + rawDataByteCount(options_.depth, panel_.pixels());
        // Past the data the packing leaves only zeros: 8 Bit's closing value, and 12 Bit's at an even count.
        code.closingZeros = bytes_.size() - end;
        bytes_.resize(end);
    }
    if (!storage.plain()) {
        std::vector<std::uint8_t> palette, data(bytes_.begin() + static_cast<std::ptrdiff_t>(lead_), bytes_.end());
        if (storage.paletteSize > 0) {
            const Palette chosen = choosePalette(kept_, panel_, options_.depth, storage.paletteSize, options_.dither);
            palette = paletteBytes(chosen.entries, storage.paletteSize, options_.depth, options_.byteOrder);
            data = packIndices(chosen.indices, panel_, storage.indexBits());
        }
        const std::vector<std::uint8_t> stored = storedBytes(storage, options_.depth, palette, data);
        bytes_.resize(lead_);
        bytes_.insert(bytes_.end(), stored.begin(), stored.end());
        code.closingZeros = 0;
    }
    if (storage.plain()) {
        handOn(0);
    } else if (rawSink_) {
        rawSink_(bytes_);
    }
    code.rawFile = std::move(bytes_);
    code.frame = arrayFrame(options_.arrayName, options_.target, code.declaredCount(), options_.layout);
    describeArray(options_, panel_, code.declaredCount(), code.frame, code.header);
    return code;
}

void StreamedCode::writeText(TextSink& sink, std::string_view eol) const {
    writeArrayText(sink, frame, radix, rawFile, closingZeros, eol);
}

} // namespace quorvane::codegen
