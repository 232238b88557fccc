#include "fonts/face.h"

#include "fonts/charset.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_BDF_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H
#include FT_TRUETYPE_TABLES_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace quorvane::fonts {

struct Face::State {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    hb_font_t* font = nullptr;
    FT_Int32 loadFlags = 0;
    FT_Render_Mode renderMode = FT_RENDER_MODE_NORMAL;
    int ascent = 0, descent = 0;

    ~State() {
        if (font) hb_font_destroy(font);
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

namespace {

int ceilPixels(FT_Pos v) { return static_cast<int>((v + 63) >> 6); }

// A BDF or PCF font's integer property, when it has it.
std::optional<int> bdfInteger(FT_Face face, const char* name) {
    BDF_PropertyRec property{};
    if (FT_Get_BDF_Property(face, name, &property) != 0) return std::nullopt;
    if (property.type == BDF_PROPERTY_TYPE_INTEGER) return property.u.integer;
    if (property.type == BDF_PROPERTY_TYPE_CARDINAL) return static_cast<int>(property.u.cardinal);
    return std::nullopt;
}

// A name table entry as UTF-8: Windows names are UTF-16 big-endian; Macintosh Roman is taken as ASCII.
std::string nameText(const FT_SfntName& name) {
    std::string out;
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2) {
            char32_t c = static_cast<char32_t>(name.string[i] << 8 | name.string[i + 1]);
            if (c >= 0xD800 && c < 0xDC00 && i + 3 < name.string_len) {
                const char32_t low = static_cast<char32_t>(name.string[i + 2] << 8 | name.string[i + 3]);
                if (low >= 0xDC00 && low < 0xE000) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                    i += 2;
                }
            }
            out += utf8(c);
        }
    } else {
        for (FT_UInt i = 0; i < name.string_len; ++i) out += name.string[i] < 0x80 ? static_cast<char>(name.string[i]) : '?';
    }
    return out;
}

} // namespace

Face::Face(std::unique_ptr<State> state) : state_(std::move(state)) {}
Face::Face(Face&&) noexcept = default;
Face& Face::operator=(Face&&) noexcept = default;
Face::~Face() = default;

std::variant<Face, FaceError> Face::open(const std::string& path, int sizePx, Hinting hinting, bool mono) {
    auto state = std::make_unique<State>();
    if (FT_Init_FreeType(&state->library) != 0) return FaceError{"FreeType cannot start"};
    if (FT_New_Face(state->library, path.c_str(), 0, &state->face) != 0) return FaceError{"not a font FreeType can read"};
    FT_Face face = state->face;
    if (!FT_IS_SCALABLE(face)) {
        // A font of bitmaps has only the sizes it was drawn at.
        std::set<int> sizes;
        for (int i = 0; i < face->num_fixed_sizes; ++i) sizes.insert(static_cast<int>((face->available_sizes[i].y_ppem + 32) >> 6));
        if (!sizes.contains(sizePx) || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(sizePx)) != 0) {
            std::string list;
            for (const int size : sizes) list += (list.empty() ? "" : ", ") + std::to_string(size);
            return FaceError{"the font is drawn at " + (list.empty() ? std::string("no size") : list + " pixels") + " only, not at " +
                             std::to_string(sizePx)};
        }
    } else if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(sizePx)) != 0) {
        return FaceError{"FreeType cannot size the font at " + std::to_string(sizePx) + " pixels"};
    }
    state->loadFlags = hinting == Hinting::None ? FT_LOAD_NO_HINTING : hinting == Hinting::Light ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_NORMAL;
    state->renderMode = mono ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    const auto bdfAscent = bdfInteger(face, "FONT_ASCENT"), bdfDescent = bdfInteger(face, "FONT_DESCENT");
    state->ascent = bdfAscent ? *bdfAscent : ceilPixels(face->size->metrics.ascender);
    state->descent = bdfDescent ? *bdfDescent : ceilPixels(-face->size->metrics.descender);
    state->font = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(state->font, state->loadFlags);
    return Face(std::move(state));
}

unsigned Face::glyphIndex(char32_t code) const { return FT_Get_Char_Index(state_->face, code); }

std::variant<Coverage, FaceError> Face::render(unsigned glyph) const {
    FT_Face face = state_->face;
    if (FT_Load_Glyph(face, glyph, state_->loadFlags) != 0) return FaceError{"FreeType cannot load it"};
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, state_->renderMode) != 0) {
        return FaceError{"FreeType cannot render it"};
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY) {
        return FaceError{"its bitmap is in colour, which a panel's text cannot hold"};
    }
    Coverage c;
    c.x = slot->bitmap_left;
    c.y = -slot->bitmap_top;
    c.width = static_cast<int>(bitmap.width);
    c.height = static_cast<int>(bitmap.rows);
    c.values.resize(static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.height));
    for (int y = 0; y < c.height; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < c.width; ++x) {
            const unsigned char v = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? ((row[x >> 3] >> (7 - (x & 7))) & 1) * 255
                                    : bitmap.num_grays == 256                ? row[x]
                                                                             : static_cast<unsigned char>(row[x] * 255 / (bitmap.num_grays - 1));
            c.values[static_cast<std::size_t>(y) * static_cast<std::size_t>(c.width) + static_cast<std::size_t>(x)] = v;
        }
    }
    return c;
}

int Face::advance(unsigned glyph) const { return hb_font_get_glyph_h_advance(state_->font, glyph); }

std::string Face::glyphName(unsigned glyph) const {
    if (!FT_HAS_GLYPH_NAMES(state_->face)) return {};
    char name[128] = {};
    if (FT_Get_Glyph_Name(state_->face, glyph, name, sizeof name) != 0) return {};
    return name;
}

int Face::ascent() const { return state_->ascent; }
int Face::descent() const { return state_->descent; }

bool Face::hasKernTable() const { return FT_HAS_KERNING(state_->face); }

bool Face::embeddingRestricted() const {
    return (FT_Get_FSType_Flags(state_->face) & FT_FSTYPE_RESTRICTED_LICENSE_EMBEDDING) != 0;
}

std::vector<std::string> Face::notices() const {
    std::vector<std::string> notices;
    FT_Face face = state_->face;
    for (const int id : {TT_NAME_ID_COPYRIGHT, TT_NAME_ID_LICENSE, TT_NAME_ID_LICENSE_URL}) {
        std::optional<std::string> best;
        const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
        for (FT_UInt i = 0; i < count; ++i) {
            FT_SfntName name{};
            if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != id) continue;
            const bool english = name.platform_id == TT_PLATFORM_MICROSOFT && name.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES;
            if (!best || english) best = nameText(name);
            if (english) break;
        }
        while (best && !best->empty() && std::isspace(static_cast<unsigned char>(best->back()))) best->pop_back();
        if (best && !best->empty()) notices.push_back(*best);
    }
    for (const char* property : {"COPYRIGHT", "NOTICE"}) {
        BDF_PropertyRec p{};
        if (FT_Get_BDF_Property(face, property, &p) == 0 && p.type == BDF_PROPERTY_TYPE_ATOM && p.u.atom && *p.u.atom) {
            notices.emplace_back(p.u.atom);
        }
    }
    return notices;
}

std::string Face::familyName() const {
    const FT_Face face = state_->face;
    std::string name = face->family_name ? face->family_name : "";
    if (face->style_name && *face->style_name) name += std::string(" ") + face->style_name;
    return name;
}

hb_font_t* Face::harfbuzz() const { return state_->font; }

} // namespace quorvane::fonts
