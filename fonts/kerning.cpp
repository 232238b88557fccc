#include "fonts/kerning.h"

#include <hb-ot.h>
#include <hb.h>

#include <algorithm>
#include <memory>

namespace quorvane::fonts {
namespace {

using Set = std::unique_ptr<hb_set_t, decltype(&hb_set_destroy)>;
using Buffer = std::unique_ptr<hb_buffer_t, decltype(&hb_buffer_destroy)>;

constexpr hb_feature_t kFeatures[] = {
    {HB_TAG('k', 'e', 'r', 'n'), 1, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('l', 'i', 'g', 'a'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('d', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('h', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'a', 'l', 't'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};

// The glyphs that can start a kerned pair: those the GPOS kerning lookups cover. Empty when the font
// kerns only through a 'kern' table, whose pairs may start anywhere.
Set gposLefts(hb_face_t* face) {
    Set lookups(hb_set_create(), hb_set_destroy), glyphs(hb_set_create(), hb_set_destroy);
    const hb_tag_t features[] = {HB_TAG('k', 'e', 'r', 'n'), HB_TAG_NONE};
    hb_ot_layout_collect_lookups(face, HB_OT_TAG_GPOS, nullptr, nullptr, features, lookups.get());
    for (hb_codepoint_t lookup = HB_SET_VALUE_INVALID; hb_set_next(lookups.get(), &lookup);) {
        hb_ot_layout_lookup_collect_glyphs(face, HB_OT_TAG_GPOS, lookup, nullptr, glyphs.get(), nullptr, nullptr);
    }
    return glyphs;
}

} // namespace

std::vector<KernPair> kerningPairs(const Face& face, std::span<const char32_t> chars) {
    hb_font_t* font = face.harfbuzz();
    const Set lefts = gposLefts(hb_font_get_face(font));
    const bool anyLeft = face.hasKernTable();
    if (hb_set_is_empty(lefts.get()) && !anyLeft) return {};
    std::vector<KernPair> pairs;
    Buffer buffer(hb_buffer_create(), hb_buffer_destroy);
    std::vector<hb_codepoint_t> text(2 * chars.size());
    for (const char32_t left : chars) {
        const unsigned glyph = face.glyphIndex(left);
        if (!anyLeft && !hb_set_has(lefts.get(), glyph)) continue;
        // One shaping for every right after this left: L R1 L R2 ... L Rn.
        for (std::size_t i = 0; i < chars.size(); ++i) {
            text[2 * i] = left;
            text[2 * i + 1] = chars[i];
        }
        hb_buffer_clear_contents(buffer.get());
        hb_buffer_set_cluster_level(buffer.get(), HB_BUFFER_CLUSTER_LEVEL_CHARACTERS);
        hb_buffer_add_codepoints(buffer.get(), text.data(), static_cast<int>(text.size()), 0, static_cast<int>(text.size()));
        hb_buffer_guess_segment_properties(buffer.get());
        hb_buffer_set_direction(buffer.get(), HB_DIRECTION_LTR);
        hb_shape(font, buffer.get(), kFeatures, std::size(kFeatures));
        unsigned count = 0;
        const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buffer.get(), &count);
        const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(buffer.get(), nullptr);
        if (count != text.size()) continue; // the font made something else of the text than one glyph a character
        const int nominal = face.advance(glyph);
        for (std::size_t i = 0; i < chars.size(); ++i) {
            const std::size_t l = 2 * i, r = l + 1;
            if (info[l].cluster != l || info[r].cluster != r || info[l].codepoint != glyph) continue;
            const int value = pos[l].x_advance + pos[r].x_offset - pos[l].x_offset - nominal;
            if (value != 0) pairs.push_back({left, chars[i], value});
        }
    }
    std::sort(pairs.begin(), pairs.end(), [](const KernPair& a, const KernPair& b) {
        return a.left != b.left ? a.left < b.left : a.right < b.right;
    });
    return pairs;
}

} // namespace quorvane::fonts
