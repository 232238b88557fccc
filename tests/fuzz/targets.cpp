#include "tests/fuzz/targets.h"

#include "capture/animation.h"
#include "capture/capture.h"
#include "capture/formats.h"
#include "codegen/codestream.h"
#include "codegen/decoderimage.h"
#include "codegen/display.h"
#include "codegen/imagecode.h"
#include "colorconv/cform.h"
#include "fonts/charset.h"
#include "fonts/draw.h"
#include "packs/playback.h"
#include "tests/support/memorycolorview.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace quorvane::fuzz {
namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

bool isDecimal(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const int value = std::stoi(text);
    return value >= low && value <= high;
}

// Checks every composed frame of an animation against its canvas.
class FrameCheck : public capture::FrameReceiver {
  public:
    std::optional<capture::DecodeError> begin(const capture::AnimationInfo& info) override {
        require(info.width >= 1 && info.height >= 1 && info.loops >= 0);
        info_ = info;
        return std::nullopt;
    }
    std::optional<capture::DecodeError> frame(const capture::Picture& canvas, int delayMs) override {
        require(canvas.width == info_.width && canvas.height == info_.height && delayMs >= 0);
        require(canvas.pixels.size() == canvas.alpha.size() &&
                canvas.pixels.size() == static_cast<std::size_t>(canvas.width) * static_cast<std::size_t>(canvas.height));
        for (std::uint32_t p : canvas.pixels) require(p <= 0xFFFFFF);
        // A file of a few bytes may declare thousands of frames: enough of them shows the composition works.
        return ++frames_ < 64 ? std::nullopt : std::optional<capture::DecodeError>(capture::DecodeError{"enough"});
    }

  private:
    capture::AnimationInfo info_;
    int frames_ = 0;
};

} // namespace

namespace {

struct StreamedRows : capture::PictureRows {
    void begin(int w, int) override { width = w; }
    void row(std::span<const std::uint8_t> line) override {
        require(line.size() == 3 * static_cast<std::size_t>(width));
        rgb.insert(rgb.end(), line.begin(), line.end());
    }
    // The same pixels as the picture loaded whole.
    bool matches(const capture::Picture& picture) const {
        if (width != picture.width || rgb.size() != 3 * picture.pixels.size()) return false;
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
            const std::uint32_t p = picture.pixels[i];
            if (rgb[3 * i] != (p & 0xFF) || rgb[3 * i + 1] != (p >> 8 & 0xFF) || rgb[3 * i + 2] != (p >> 16)) return false;
        }
        return true;
    }
    int width = 0;
    std::vector<std::uint8_t> rgb;
};

} // namespace

void pictureInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    {
        capture::ByteSource source(bytes);
        if (capture::isAnimationFile(source)) {
            FrameCheck check;
            capture::readFrames(source, check, std::uint64_t{1} << 16);
        }
    }
    // Every decoder beyond the display's size, with a cap that keeps the fuzzer's memory small.
    auto any = capture::decodePicture(bytes, std::uint64_t{1} << 20);
    if (const auto* picture = std::get_if<capture::Picture>(&any)) {
        require(picture->pixels.size() == static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height));
        for (std::uint32_t p : picture->pixels) require(p <= 0xFFFFFF);
        require(picture->alpha.empty() || picture->alpha.size() == picture->pixels.size());
    }

    // Fitting and compositing, on pictures small enough to keep the fuzzer quick: into 16 x 12, the
    // whole picture or the frame filled, as the input's length says.
    const auto declared = capture::declaredSize(bytes);
    if (const auto* side = std::get_if<capture::DeclaredSize>(&declared); side && side->width <= 1024 && side->height <= 1024) {
        const auto mode = bytes.size() % 2 ? capture::FitMode::Cover : capture::FitMode::Contain;
        auto fitted = capture::pictureFromBytes(
            bytes, "fuzz.png", {.fit = true, .background = 0x336699, .maxWidth = 16, .maxHeight = 12, .fitMode = mode});
        StreamedRows rows;
        const auto refused = capture::streamPictureFromBytes(
            bytes, "fuzz.png", {.fit = true, .background = 0x336699, .maxWidth = 16, .maxHeight = 12, .fitMode = mode}, rows);
        require(refused.has_value() == std::holds_alternative<capture::LoadError>(fitted));
        if (const auto* picture = std::get_if<capture::Picture>(&fitted)) {
            require(picture->width >= 1 && picture->width <= 16 && picture->height >= 1 && picture->height <= 12);
            require(picture->alpha.empty() && picture->pixels.size() == static_cast<std::size_t>(picture->width * picture->height));
            require(rows.matches(*picture));
        }
    }

    auto loaded = capture::pictureFromBytes(bytes, "fuzz.bmp");
    // The command line's road takes the same picture a row at a time, in order, whatever order the
    // decoder gives its rows in (a bottom-up BMP, an interlaced pass), transparency laid over as loading does.
    StreamedRows streamed;
    const auto refused = capture::streamPictureFromBytes(bytes, "fuzz.bmp", {}, streamed);
    require(refused.has_value() == std::holds_alternative<capture::LoadError>(loaded));
    const auto* picture = std::get_if<capture::Picture>(&loaded);
    if (!picture) return;
    require(streamed.matches(*picture));
    require(picture->width >= 1 && picture->width <= capture::kMaxSide);
    require(picture->height >= 1 && picture->height <= capture::kMaxSide);

    std::vector<std::int32_t> store(3 * picture->pixels.size());
    const auto count = static_cast<std::size_t>(capture::captureComponents(*picture, store));
    require(count == 3 * picture->pixels.size());
    const codegen::PictureSize pictureSize{picture->width, picture->height};
    // The panel's options come from the input's last byte, so the fuzzer explores them with the picture.
    const std::uint8_t choice = data[size - 1];
    const codegen::PanelOptions panel{.invert = (choice & 0x10) != 0,
                                      .bgr = (choice & 0x20) != 0,
                                      .rotation = 90 * (choice & 3),
                                      .mirror = static_cast<codegen::Mirror>(((choice >> 2) & 3) % 3)};
    const codegen::TextLayout layout{.columns = choice & 0x40 ? 1 + static_cast<int>(size % 17) : 0,
                                     .radix = choice & 0x80 ? codegen::Radix::Hex : codegen::Radix::Decimal,
                                     .headerName = "fuzz.h"};
    // The size bytes from the input's length, so that every kind meets every picture.
    const auto header = static_cast<codegen::SizeHeader>(size % 3);
    for (const codegen::ColorFormat& format : codegen::colorFormats()) {
        const codegen::Depth depth = format.depth;
        const auto order = format.hasByteOrder() && (choice & 0x40) ? codegen::ByteOrder::Little : codegen::ByteOrder::Big;
        const codegen::CodeOptions plainOptions{.depth = depth, .target = codegen::Target::Arm, .arrayName = "fuzz"};
        codegen::CodeOptions options = plainOptions;
        options.panel = panel;
        options.byteOrder = order;
        options.sizeHeader = header;
        options.layout = layout;
        const auto code = codegen::makeImageCode(store, pictureSize, options);
        codegen::CodeStream stream(pictureSize, options);
        const std::size_t row = 3 * static_cast<std::size_t>(picture->width);
        for (std::size_t at = 0; at < streamed.rgb.size(); at += row) stream.row(std::span(streamed.rgb).subspan(at, row));
        require(stream.finish().rawFile == code.rawFile);
        for (std::int32_t value : code.conversion.packed) require(value >= 0 && value <= 255);
        const std::size_t lead = code.sizeBytes.size();
        require(lead == (header == codegen::SizeHeader::Bytes8 ? 2u : header == codegen::SizeHeader::Bytes16 ? 4u : 0u));
        require(static_cast<std::size_t>(std::count(code.text.valueLine.begin(), code.text.valueLine.end(), ',')) ==
                code.outputCount() + lead);
        require(code.rawFile.size() >= lead + 1 && code.rawFile.size() <= code.outputCount() + lead);
        require(std::equal(code.sizeBytes.begin(), code.sizeBytes.end(), code.rawFile.begin()));
        require(code.panelSize == codegen::panelSize(pictureSize, panel));
        require(!code.header.empty());

        // Whatever the panel does, the viewer's picture has the opened size; a turn or a mirror alone
        // shows exactly the plain picture.
        const auto shown = codegen::displayedPicture(code.rawFile, options.rawLayout(), panel, code.panelSize);
        require(shown && shown->width == picture->width && shown->height == picture->height);
        if (!panel.invert && !panel.bgr) {
            const auto plain = codegen::makeImageCode(store, pictureSize, plainOptions);
            require(shown->rgb == codegen::displayedPicture(plain.rawFile, {.depth = depth})->rgb);
        }
    }
}

void colorInput(const std::uint8_t* data, std::size_t size) {
    using colorconv::Box;
    if (size == 0) return;
    // First byte: the trigger; then, for a pick, four bytes of pixel value; the rest: the three entry
    // texts, separated by line feeds.
    const bool custom = (data[0] & 1) != 0;
    std::size_t at = 1;
    std::uint32_t pixel = 0;
    if (!custom) {
        for (int i = 0; i < 4 && at < size; ++i, ++at) pixel = (pixel << 8) | data[at];
    }
    std::vector<std::string> entries(3);
    for (std::size_t field = 0; at < size; ++at) {
        if (data[at] == '\n') {
            if (++field == 3) break;
            continue;
        }
        entries[field].push_back(static_cast<char>(data[at]));
    }

    colorconv::MemoryColorView view;
    colorconv::Cform form(view);
    form.loadDesignState();
    view.setText(Box::cr, entries[0]);
    view.setText(Box::cg, entries[1]);
    view.setText(Box::cb, entries[2]);
    if (custom) {
        form.Custombtn_Click();
    } else {
        view.setSwatchColor(pixel);
        form.convertswab(0);
    }
    if (view.text(Box::cc).empty()) return; // stopped: a component out of range
    require(view.text(Box::cc).size() == 8 && view.text(Box::cc).starts_with("0x"));
    require(isDecimal(view.text(Box::er), 0, 7) && isDecimal(view.text(Box::eg), 0, 7) && isDecimal(view.text(Box::eb), 0, 3));
    require(isDecimal(view.text(Box::tr), 0, 15) && isDecimal(view.text(Box::tb), 0, 15));
    require(isDecimal(view.text(Box::sr), 0, 31) && isDecimal(view.text(Box::sg), 0, 63) && isDecimal(view.text(Box::sb), 0, 31));
    require(view.text(Box::tc).size() == 6);
    require(view.swatch().has_value() && *view.swatch() <= 0xFFFFFF);
}

void storedInput(const std::uint8_t* data, std::size_t size) {
    using namespace codegen;
    if (size < 6) return;
    // The layout, the compression, the size and the read size come first; then the pixels, then damage.
    static constexpr Depth kDepths[] = {Depth::Bits8, Depth::Bits12, Depth::Bits16, Depth::Bits18, Depth::Bits24};
    static constexpr int kPalettes[] = {0, 2, 4, 16, 256};
    CodeOptions options;
    options.depth = kDepths[data[0] % 5];
    options.byteOrder = data[0] & 0x80 ? ByteOrder::Little : ByteOrder::Big;
    if (!colorFormat(options.depth).hasByteOrder()) options.byteOrder = ByteOrder::Big;
    const int kind = data[0] / 5 % 8; // 0-4 a palette of kPalettes (0: none), 5-7 mono in each layout
    options.storage.paletteSize = kind < 5 ? kPalettes[kind] : 0;
    options.storage.mono = kind >= 5;
    options.storage.monoLayout = static_cast<MonoLayout>(kind >= 5 ? kind - 5 : 0);
    options.storage.compression = static_cast<Compression>(data[1] % 4);
    if (options.storage.plain()) options.storage.compression = Compression::Rle;
    options.sizeHeader = static_cast<SizeHeader>(data[1] / 4 % 3);
    const PictureSize picture{1 + data[2] % 24, 1 + data[3] % 12};
    const std::size_t step = 1 + data[4];
    const std::size_t pixels = static_cast<std::size_t>(picture.width * picture.height);
    std::vector<std::int32_t> components(3 * pixels);
    const std::span<const std::uint8_t> rest(data + 6, size - 6);
    // Few colours, so a palette is usually exact, unless the input asks for many.
    for (std::size_t i = 0; i < components.size(); ++i) {
        components[i] = rest.empty() ? 0 : (data[5] & 1 ? rest[i % rest.size()] : (rest[i % rest.size()] & 3) * 85);
    }
    const ImageCode code = makeImageCode(components, picture, options);
    const DecoderImage image = decoderImage(options.rawLayout(), picture, code.rawFile.size());

    // Whole, it reads back as the panel shows it.
    const DecodedStream whole = decodeStored(code.rawFile, image, step);
    require(!whole.failed && whole.bytes.size() == image.length);
    const auto shown = displayedPicture(code.rawFile, options.rawLayout(), {}, picture);
    require(shown && shown->rgb.size() == 3 * pixels);

    // Damaged: bytes changed, and the array cut short, as the input's tail says.
    std::vector<std::uint8_t> damaged = code.rawFile;
    const std::span<const std::uint8_t> damage = rest.size() > 3 * pixels ? rest.subspan(3 * pixels) : std::span<const std::uint8_t>{};
    for (std::size_t i = 0; i + 1 < damage.size(); i += 2) damaged[damage[i] % damaged.size()] ^= damage[i + 1];
    if (damage.size() % 2 == 1) damaged.resize(damaged.size() - std::min<std::size_t>(damage.back() % 8, damaged.size() - image.start));
    DecoderImage cut = image;
    cut.size = static_cast<std::uint32_t>(damaged.size());
    damaged.shrink_to_fit(); // AddressSanitizer then sees a read one past the end
    const DecodedStream read = decodeStored(damaged, cut, step);
    require(read.bytes.size() <= image.length);
}

void packInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> pack(data, data + size); // exactly the input: a read past it is caught
    const auto played = packs::playPack(pack, 1 + size % 7);
    if (!played) return;
    for (const packs::PlayedAsset& asset : *played) {
        for (const packs::PlayedFrame& frame : asset.frames) {
            for (const packs::PlayedPart& part : frame.parts) {
                require(part.rect.x + part.rect.w <= asset.width && part.rect.y + part.rect.h <= asset.height);
                require(part.bytes.size() <= 3 * part.rect.pixels());
            }
        }
    }
}

void fontInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    const std::size_t length = std::min<std::size_t>(data[0] % 33, size - 1);
    const std::string text(reinterpret_cast<const char*>(data + 1), length);
    const std::vector<std::uint8_t> font(data + 1 + length, data + size); // exactly the rest: a read past it is caught
    if (!fonts::fontInfo(font)) return;
    const fonts::Decoded decoded = fonts::decodeUtf8(text);
    char32_t before = 0;
    std::size_t largest = 0;
    for (const char32_t c : decoded.text) {
        if (const auto glyph = fonts::decodeGlyph(font, c)) {
            require(glyph->alpha.size() == static_cast<std::size_t>(glyph->width) * static_cast<std::size_t>(glyph->height));
            largest = std::max(largest, glyph->alpha.size());
        }
        (void)fonts::fontKerning(font, before, c);
        before = c;
    }
    // A damaged font may make the box wide and its glyphs 255 x 255, each decoded again for every block
    // of the line it touches: the line's start is enough, and less of it when the glyphs are large.
    const std::size_t kLimit = largest > 4096 ? 64 : 1024;
    const auto drawn = fonts::drawText(font, text.c_str(), 0xFFFFFF, 0x102030, 1 + size % 7, kLimit);
    if (!drawn) return;
    const std::size_t pixels = static_cast<std::size_t>(drawn->width) * static_cast<std::size_t>(drawn->height + 7);
    require(drawn->bytes.size() <= std::min(3 * pixels, kLimit));
}

} // namespace quorvane::fuzz
