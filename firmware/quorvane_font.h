/* ---- Fonts: a font's glyphs, their coverage and their kerning ---- */

/* A font that quorvane-cli font writes: an 84-byte header, its character ranges (6 bytes each), then
 * bit fields: the tables of its levels' codes, its glyphs, its kerning pairs, its kerning values and its
 * glyphs' coded levels. Numbers in bytes are little-endian; bit fields start at their most significant
 * bit. */

/* The header's bytes 5 to 31, as they stand. */
typedef struct qv__head {
    uint8_t bpp, flags, k, step; /* level bits; pixel flags; the run code's order; the alpha of a level */
    uint8_t bits[3], slot[3];    /* the pixel's fields in the order they are sent, and the bits each takes */
    uint8_t ascent, descent;
    uint8_t fw[10];              /* bits of a glyph's offset, w, h, x, y, advance, first pair; of a pair's
                                    right glyph and kerning value's index; of a kerning value */
    uint8_t rec, pw, zero[3];    /* the bits of a glyph and of a pair */
} qv__head;

/* The header's words from byte 32. */
typedef struct qv__words {
    uint32_t ranges, glyphs, pairs, values;
    int32_t bias[4];             /* added to a glyph's x, y, advance and to a kerning value */
    uint32_t tables_at, glyphs_at, pairs_at, values_at, bits_at; /* in bits from the font's first */
} qv__words;

typedef struct qv_font {
    const unsigned char QV_ROM *data;
    uint32_t size;
    uint8_t ascent, descent;     /* pixels above and below the baseline */
    uint16_t line_height;
    union {
        qv__head is;
        uint8_t raw[sizeof(qv__head)];
    } h;
    union {
        qv__words is;
        uint32_t raw[13];
    } w;
} qv_font;

typedef struct qv_glyph {
    int16_t x, y;      /* the box's top-left from the pen on the baseline, y down */
    uint8_t w, h;
    uint16_t advance;  /* 1/64 pixel */
    uint16_t index;
    uint32_t at;       /* its first coded bit */
    uint32_t pair, end; /* its pairs as the left glyph */
} qv_glyph;


static inline uint32_t qv__fle(const qv_font *f, uint32_t at, unsigned n)
{
    uint32_t v = 0, i;
    while (n--) {
        i = at + n; /* wrapped or not, the byte checked is the byte read */
        v = v << 8 | (i < f->size ? QV_BYTE(f->data + i) : 0u);
    }
    return v;
}

/* n bits of the font from bit *at, the first the most significant; 0s past its end. */
static inline uint32_t qv__fbits(const qv_font *f, uint32_t *at, unsigned n)
{
    uint32_t v = 0, i;
    n &= 31; /* no field is wider, whatever a damaged font says */
    while (n--) {
        i = *at >> 3;
        v = v << 1 | (i < f->size ? (QV_BYTE(f->data + i) >> (7 - (*at & 7))) & 1u : 0u);
        ++*at;
    }
    return v;
}

static inline int qv_font_open(qv_font *f, const unsigned char QV_ROM *data, uint32_t size)
{
    const qv__head *h = &f->h.is;
    unsigned i;
    f->data = data;
    f->size = size;
    if (size < 84 || qv__fle(f, 0, 4) != 0x54465651ul || QV_BYTE(data + 4) != 1) return 0; /* "QVFT", 1 */
    for (i = 0; i < sizeof f->h.raw; i++) f->h.raw[i] = QV_BYTE(data + 5 + i);
    for (i = 0; i < 13; i++) f->w.raw[i] = qv__fle(f, 32 + 4 * i, 4);
    f->ascent = h->ascent;
    f->descent = h->descent;
    f->line_height = (uint16_t)(h->ascent + h->descent);
    /* A level's bits, the run code's order and a pixel's slots are all that is shifted by, each less than 16
     * (and a pixel's bits held under 32); every read past the end gives 0. */
    return (h->bpp | h->k | h->slot[0] | h->slot[1] | h->slot[2]) < 16 && f->w.is.bits_at <= 8 * size;
}

static inline void qv__glyph_at(const qv_font *f, uint16_t i, qv_glyph *g)
{
    uint32_t at = f->w.is.glyphs_at + f->h.is.rec * i, v[7];
    unsigned j;
    for (j = 0; j < 7; j++) v[j] = qv__fbits(f, &at, f->h.is.fw[j]) + (j - 3 < 3 ? (uint32_t)f->w.is.bias[j - 3] : 0u);
    g->index = i;
    g->at = f->w.is.bits_at + v[0];
    g->w = (uint8_t)v[1];
    g->h = (uint8_t)v[2];
    g->x = (int16_t)v[3];
    g->y = (int16_t)v[4];
    g->advance = (uint16_t)v[5];
    g->pair = v[6];
    at += f->h.is.rec - f->h.is.fw[6];
    g->end = qv__fbits(f, &at, f->h.is.fw[6]); /* where the next glyph's pairs start; past the last, the end */
}

/* The glyph of a code point: a binary search of the ranges, each of up to 256 code points. */
static inline int qv_font_glyph(const qv_font *f, uint32_t c, qv_glyph *g)
{
    uint32_t lo = 0, hi = f->w.is.ranges, mid, at, first, gi;
    while (lo < hi) {
        mid = lo + ((hi - lo) >> 1); /* never past hi, whatever a damaged count says */
        at = 84 + 6 * mid;
        first = qv__fle(f, at, 3);
        if (c < first) {
            hi = mid;
        } else if (c - first > qv__fle(f, at + 3, 1)) {
            lo = mid + 1;
        } else {
            gi = qv__fle(f, at + 4, 2) + (c - first);
            qv__glyph_at(f, (uint16_t)gi, g);
            return gi < f->w.is.glyphs;
        }
    }
    return 0;
}

/* The kerning between two glyphs, 1/64 pixel: a binary search of the left one's pairs, each its right
 * glyph and which of the font's kerning values it takes. */
static inline int32_t qv__kern(const qv_font *f, uint32_t lo, uint32_t hi, uint16_t b)
{
    uint32_t mid, at, k;
    if (hi > f->w.is.pairs) return 0;
    while (lo < hi) {
        mid = lo + ((hi - lo) >> 1); /* never past hi, whatever a damaged count says */
        at = f->w.is.pairs_at + f->h.is.pw * mid;
        k = qv__fbits(f, &at, f->h.is.fw[7]);
        if (k == b) {
            k = qv__fbits(f, &at, f->h.is.fw[8]);
            if (k >= f->w.is.values) return 0;
            at = f->w.is.values_at + f->h.is.fw[9] * k;
            return (int32_t)(qv__fbits(f, &at, f->h.is.fw[9]) + (uint32_t)f->w.is.bias[3]); /* wraps, never overflows */
        }
        if (k < b) lo = mid + 1; else hi = mid;
    }
    return 0;
}

static inline int32_t qv_font_kerning(const qv_font *f, uint32_t left, uint32_t right)
{
    qv_glyph a, b;
    return qv_font_glyph(f, left, &a) && qv_font_glyph(f, right, &b) ? qv__kern(f, a.pair, a.end, b.index) : 0;
}

/* A symbol of a canonical prefix code whose n lengths (4 bits each, 0 for a symbol not used, the first
 * in the high half of a byte) stand from bit t: codes go by length, then by symbol, counting up. */
static inline unsigned qv__code(const qv_font *f, uint32_t *at, uint32_t t, unsigned n)
{
    uint32_t code = 0, first = 0, i;
    unsigned len, s;
    t >>= 3; /* every table starts on a byte: a length is half a byte of it, the first the high half */
    for (len = 1; len < 16; len++) {
        code = code << 1 | qv__fbits(f, at, 1);
        for (s = 0; s < n; s++) {
            i = t + (s >> 1);
            if (i >= f->size || ((QV_BYTE(f->data + i) >> ((~s & 1) << 2)) & 15) != len) continue;
            if (code == first) return s;
            first++;
        }
        first <<= 1;
    }
    return 0;
}

/* The length of a run of levels as predicted: 0 to 14 by the run table's code; 15 and more by its last
 * symbol, then the rest in an exponential-Golomb code of order k. */
static inline uint32_t qv__run(const qv_font *f, uint32_t *at)
{
    unsigned z = 0, s = qv__code(f, at, f->w.is.tables_at, 16);
    if (s < 15) return s;
    while (!qv__fbits(f, at, 1) && z < 24) z++;
    return 15 + ((((uint32_t)1 << z | qv__fbits(f, at, z)) - 1) << f->h.is.k | qv__fbits(f, at, f->h.is.k));
}

/* A level that is not the predicted one p: by the code of the table that p's entry of the map names
 * (flags bit 7, at 2 or 4 bits a level), or as it stands; either way the predicted one is left out of the
 * count. */
static inline unsigned qv__miss(const qv_font *f, uint32_t *at, unsigned p)
{
    unsigned n = (1u << f->h.is.bpp) - 1;
    uint32_t map = f->w.is.tables_at + 64, u = map + 4 * p;
    if (!(f->h.is.flags & 128) || n > 15) return (unsigned)qv__fbits(f, at, f->h.is.bpp - (f->h.is.bpp == 1));
    return qv__code(f, at, map + 4 * (n + 1) * (1 + qv__fbits(f, &u, 4)), n);
}

/* Rows 0 to r1 - 1 of a glyph's levels decoded, rows r0 on kept: the larger of each level and what dst
 * holds, at dst[(y - r0) * stride + x - c0] for columns c0 to c1 - 1. Each level is predicted from the
 * ones left (a), above (b) and above-left (c) of it as a + b - c; the code says how many in a row are as
 * predicted, then the level of one that is not. */
static inline void qv__levels(const qv_font *f, const qv_glyph *g, int32_t r0, int32_t r1, int32_t c0, int32_t c1, unsigned char *dst,
                              unsigned stride)
{
    unsigned char row[256];
    uint32_t at = g->at, run = qv__run(f, &at);
    unsigned x, a, b, c, p, v, top = (1u << f->h.is.bpp) - 1;
    int y;
    for (x = 0; x < g->w; x++) row[x] = 0;
    for (y = 0; y < r1 && y < g->h; y++) {
        a = c = 0;
        for (x = 0; x < g->w; x++) {
            b = row[x];
            p = a + b < c ? 0 : a + b - c;
            if (p > top) p = top;
            if (run) {
                v = p;
                run--;
            } else {
                v = qv__miss(f, &at, p);
                v += v >= p;
                run = qv__run(f, &at);
            }
            row[x] = (unsigned char)v;
            if (y >= r0 && (int32_t)x >= c0 && (int32_t)x < c1) {
                unsigned char *d = dst + (uint32_t)(y - r0) * stride + (uint32_t)((int32_t)x - c0);
                if (v > *d) *d = (unsigned char)v;
            }
            c = b;
            a = v;
        }
    }
}

/* The glyph's coverage, g->w * g->h bytes from 0 to 255. */
static inline void qv_glyph_alpha(const qv_font *f, const qv_glyph *g, unsigned char *alpha)
{
    unsigned i, n = (unsigned)g->w * g->h;
    for (i = 0; i < n; i++) alpha[i] = 0;
    qv__levels(f, g, 0, g->h, 0, g->w, alpha, g->w);
    for (i = 0; i < n; i++) alpha[i] = (unsigned char)(alpha[i] * f->h.is.step);
}
