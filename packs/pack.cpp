#include "packs/pack.h"

#include "codegen/format.h"

#include <limits>

namespace quorvane::packs {
namespace {

class Writer {
  public:
    explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}
    void u8(std::size_t at, std::uint32_t v) { out_[at] = static_cast<std::uint8_t>(v); }
    void u16(std::size_t at, std::size_t v, const char* field) {
        if (v > 0xFFFF) throw PackTooLarge(std::string(field) + " " + std::to_string(v) + " does not fit the pack's 16 bits");
        out_[at] = static_cast<std::uint8_t>(v);
        out_[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void u32(std::size_t at, std::size_t v, const char* field) {
        if (v > std::numeric_limits<std::uint32_t>::max()) {
            throw PackTooLarge(std::string(field) + " " + std::to_string(v) + " does not fit the pack's 32 bits");
        }
        for (int i = 0; i < 4; ++i) out_[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    // Appends bytes and says where they start.
    std::size_t append(const std::uint8_t* bytes, std::size_t n) {
        const std::size_t at = out_.size();
        out_.insert(out_.end(), bytes, bytes + n);
        return at;
    }

  private:
    std::vector<std::uint8_t>& out_;
};

} // namespace

std::uint8_t formatByte(const Pack& pack) {
    if (pack.storage.mono) return 1;
    return static_cast<std::uint8_t>(codegen::colorFormat(pack.depth).bitsPerPixel());
}

double panelBytesPerPixel(codegen::Depth depth, const codegen::Storage& storage) {
    if (storage.mono) return 1.0 / 8;
    return codegen::colorFormat(depth).bitsPerPixel() / 8.0;
}

std::vector<std::uint8_t> packBytes(const Pack& pack) {
    std::size_t frames = 0, parts = 0;
    for (const Asset& asset : pack.assets) {
        frames += asset.frames.size();
        for (const Frame& frame : asset.frames) parts += frame.parts.size();
    }
    const std::size_t framesAt = kHeaderBytes + kAssetBytes * pack.assets.size(), partsAt = framesAt + kFrameBytes * frames,
                      palettesAt = partsAt + kPartBytes * parts, tablesEnd = palettesAt + kPaletteBytes * pack.palettes.size();
    std::vector<std::uint8_t> out(tablesEnd, 0);
    Writer w(out);
    out[0] = 'Q', out[1] = 'V', out[2] = 'P', out[3] = 'K';
    w.u8(4, 1);
    w.u8(5, formatByte(pack));
    const bool little = pack.byteOrder == codegen::ByteOrder::Little && codegen::colorFormat(pack.depth).hasByteOrder() &&
                        !pack.storage.mono;
    w.u8(6, (little ? 1u : 0u) | (pack.storage.mono ? static_cast<std::uint32_t>(pack.storage.monoLayout) << 1 : 0u));
    w.u16(8, pack.assets.size(), "the asset count");
    w.u16(10, frames, "the frame count");
    w.u16(12, parts, "the part count");
    w.u16(14, pack.palettes.size(), "the palette count");

    std::vector<std::size_t> nameAt;
    for (const Asset& asset : pack.assets) {
        nameAt.push_back(w.append(reinterpret_cast<const std::uint8_t*>(asset.name.c_str()), asset.name.size() + 1));
    }
    const int entryBytes = codegen::paletteEntryBytes(pack.depth);
    for (std::size_t p = 0; p < pack.palettes.size(); ++p) {
        const std::vector<std::uint8_t>& entries = pack.palettes[p];
        const std::uint8_t count[2] = {0, 0};
        const std::size_t at = w.append(count, 2);
        w.u16(at, entries.size() / static_cast<std::size_t>(entryBytes), "a palette's entries");
        w.append(entries.data(), entries.size());
        w.u32(palettesAt + kPaletteBytes * p, at, "a palette's offset");
    }
    std::size_t frame = 0, part = 0;
    for (std::size_t a = 0; a < pack.assets.size(); ++a) {
        const Asset& asset = pack.assets[a];
        const std::size_t at = kHeaderBytes + kAssetBytes * a;
        w.u32(at, nameAt[a], "a name's offset");
        w.u16(at + 4, static_cast<std::size_t>(asset.width), "an asset's width");
        w.u16(at + 6, static_cast<std::size_t>(asset.height), "an asset's height");
        w.u16(at + 8, frame, "an asset's first frame");
        w.u16(at + 10, asset.frames.size(), "an asset's frame count");
        w.u16(at + 12, asset.palette < 0 ? 0xFFFF : static_cast<std::size_t>(asset.palette), "an asset's palette");
        w.u16(at + 14, static_cast<std::size_t>(asset.loops), "an asset's loop count");
        for (const Frame& f : asset.frames) {
            const std::size_t fat = framesAt + kFrameBytes * frame++;
            w.u16(fat, static_cast<std::size_t>(f.delayMs), "a frame's delay in ms");
            w.u16(fat + 2, part, "a frame's first part");
            w.u16(fat + 4, f.parts.size(), "a frame's part count");
            for (const Part& p : f.parts) {
                const std::size_t pat = partsAt + kPartBytes * part++;
                w.u16(pat, static_cast<std::size_t>(p.rect.x), "a part's x");
                w.u16(pat + 2, static_cast<std::size_t>(p.rect.y), "a part's y");
                w.u16(pat + 4, static_cast<std::size_t>(p.rect.w), "a part's width");
                w.u16(pat + 6, static_cast<std::size_t>(p.rect.h), "a part's height");
                w.u32(pat + 8, w.append(p.data.data(), p.data.size()), "a part's offset");
                w.u32(pat + 12, p.data.size(), "a part's length");
            }
        }
    }
    w.u32(16, out.size(), "the pack's length");
    return out;
}

} // namespace quorvane::packs
