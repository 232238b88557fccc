/* ---- Text: a line of a font drawn into the panel's window ---- */

#define QV_TEXT_CACHE 64
/* A line of text being drawn: the coverage of 64 pixels of a row (8 x 8 down a page) at a time. */
typedef struct qv_text {
    uint16_t width, height;    /* the box: the pen's end in whole pixels by the line's height */
    uint16_t px, py;           /* the next pixel (page column) to give, and its row (page) */
    uint16_t span, rows;       /* pixels given a row (a mono row's are whole bytes), rows (pages) */
    uint16_t bx, by;           /* the block the cache holds */
    uint8_t unit, pages;       /* bits given a pixel (page column); 8 rows a block, in pages */
    uint8_t nacc;              /* output bits waiting */
    uint32_t acc;              /* the waiting bits */
    uint32_t fg, bg;
    const qv_font *font;
    const char *s;
    unsigned char cache[QV_TEXT_CACHE];
} qv_text;

/* The next code point of a UTF-8 string, or 0xFFFFFFFF for a byte that starts none (taken alone). */
static inline uint32_t qv__utf8(const char **s)
{
    const unsigned char *p = (const unsigned char *)*s;
    uint32_t c = *p++;
    unsigned n = c >= 0xF8 ? 9 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : c >= 0x80 ? 9 : 0;
    c &= 0x7Fu >> (n + (n != 0)); /* the lead byte's bits of the code point */
    while (n && n < 9 && (*p & 0xC0) == 0x80) {
        c = c << 6 | (*p++ & 0x3Fu);
        n--;
    }
    if (n) {
        *s += 1;
        return 0xFFFFFFFFul;
    }
    *s = (const char *)p;
    return c;
}

#define QV__PEN0 ((uint32_t)0x40000000ul) /* the pen starts here, so that kerning never takes it below 0 */

static inline uint32_t qv__line(qv_text *t, int fill)
{
    const qv_font *f = t->font;
    const char *s = t->s;
    qv_glyph g;
    uint32_t pen = QV__PEN0, c, pair = 0, end = 0; /* the pairs of the glyph before: none before the first */
    int32_t gx, gy, rows = t->pages ? 8 : 1, cols = t->pages ? 8 : QV_TEXT_CACHE;
    while (*s) {
        c = qv__utf8(&s);
        if (!qv_font_glyph(f, c, &g)) continue;
        pen += (uint32_t)qv__kern(f, pair, end, g.index);
        pair = g.pair;
        end = g.end;
        gx = (int32_t)((pen + 32) >> 6) - (int32_t)(QV__PEN0 >> 6) + g.x;
        gy = (int32_t)f->ascent + g.y;
        if (fill && gx < t->bx + cols && gx + g.w > t->bx) /* qv__levels keeps only the block's rows */
            qv__levels(f, &g, t->by - gy, t->by + rows - gy, t->bx - gx, t->bx + cols - gx,
                       t->cache, (unsigned)cols);
        pen += g.advance;
    }
    return pen - QV__PEN0;
}

/* A pixel of coverage a (0 to 255): each channel blended from the colours, then, as a picture's pixel,
 * inverted, put in the panel's colour order, reduced and packed; with mono, 1 when that colour is lit. */
static inline uint32_t qv__colour(const qv_text *t, unsigned a)
{
    static const uint16_t luma[3] = {299, 587, 114};
    const qv__head *h = &t->font->h.is;
    uint32_t v = 0, x, lit = 0;
    unsigned i, c, s, q;
    for (i = 0; i < 3; i++) {
        s = (h->flags & 2) ? 8 * i : 16 - 8 * i; /* bgr: blue's component in the first field */
        x = ((t->fg >> s) & 255u) * a + ((t->bg >> s) & 255u) * (255u - a) + 127u;
        c = (unsigned)((x + 1 + (x >> 8)) >> 8); /* x / 255 for every x this can be */
        if (h->flags & 4) c = 255u - c;
        lit += luma[i] * (uint32_t)c;
        s = (8u - h->bits[i]) & 7; /* c / 2^s rounded down, but an odd multiple of it to the even part below */
        q = s ? (c - 1 + (((c >> s) & 1) ^ 1)) >> s : c;
        v = v << h->slot[i] | (uint32_t)q << ((h->slot[i] - h->bits[i]) & 7);
    }
    if (h->flags & 8) return lit >= 128000ul;
    if (h->flags & 1) v = (v >> 8 | v << 8) & 0xFFFFu;
    return v;
}

/* The coverage level at a pixel of the box, from the cached block, filled first when it holds another. */
static inline unsigned qv__cover(qv_text *t, unsigned x, unsigned y)
{
    unsigned rows = t->pages ? 7 : 0, cols = t->pages ? 7 : QV_TEXT_CACHE - 1, i; /* each less one */
    x -= t->bx;
    y -= t->by;
    if (x > cols || y > rows) {
        t->bx = (uint16_t)(t->bx + (x & ~cols));
        t->by = (uint16_t)(t->by + (y & ~rows));
        x &= cols;
        y &= rows;
        for (i = 0; i < QV_TEXT_CACHE; i++) t->cache[i] = 0;
        qv__line(t, 1);
    }
    return t->cache[y * (cols + 1) + x];
}

/* The pixel (1 when lit, in mono) of a coverage level. */
static inline uint32_t qv__pixel(qv_text *t, unsigned level) { return qv__colour(t, level * t->font->h.is.step); }

/* Makes t ready to give a line of UTF-8 text (up to its NUL), which must stay where it is until read. */
static inline void qv_text_begin(qv_text *t, const qv_font *f, const char *s, uint32_t fg, uint32_t bg)
{
    unsigned flags = f->h.is.flags;
    int32_t end;
    t->font = f;
    t->s = s;
    t->fg = fg;
    t->bg = bg;
    t->px = t->py = 0;
    t->nacc = 0;
    t->acc = 0;
    t->bx = 0;
    t->by = 0x8000; /* no block yet */
    t->pages = (flags & 0x38) == 0x28;
    t->unit = (uint8_t)(t->pages ? 8 : (flags & 8) ? 1 : (f->h.is.slot[0] + f->h.is.slot[1] + f->h.is.slot[2]) & 31);
    end = (int32_t)qv__line(t, 0);
    t->width = (uint16_t)(end <= 0 ? 0 : ((uint32_t)end + 63) >> 6);
    t->height = f->line_height;
    t->rows = t->pages ? (uint16_t)((t->height + 7u) >> 3) : t->height;
    t->span = (flags & 0x28) == 0x08 ? (uint16_t)((t->width + 7u) & ~7u) : t->width; /* mono rows, either bit order */
}

/* The next bytes of the box's pixels, row by row (page by page for a mono font in pages), as a picture's
 * pixels stream, up to size; 0 at the end. */
static inline size_t qv_text_read(qv_text *t, unsigned char *buf, size_t size)
{
    unsigned i, r;
    uint32_t v;
    size_t n = 0;
    while (n < size) {
        if (t->nacc >= 8) {
            t->nacc -= 8;
            v = t->acc >> t->nacc & 255u;
            if ((t->font->h.is.flags & 0x38) == 0x18) { /* rows-lsb: the leftmost pixel in the lowest bit */
                for (r = 0, i = 0; i < 8; i++) r |= ((v >> i) & 1u) << (7 - i);
                v = r;
            }
            buf[n++] = (unsigned char)v;
            continue;
        }
        if (t->py >= t->rows || !t->width) {
            if (!t->nacc) break;
            t->acc <<= 8 - t->nacc; /* the half byte an odd number of 12-bit pixels leaves */
            t->nacc = 8;
            continue;
        }
        v = 0;
        if (t->pages) {
            for (i = 0; i < 8; i++) {
                r = t->py * 8u + i;
                if (r < t->height && qv__pixel(t, qv__cover(t, t->px, r))) v |= 1u << i; /* extra rows unlit */
            }
        } else if (t->px < t->width) {
            v = qv__pixel(t, qv__cover(t, t->px, t->py));
        }
        t->acc = t->acc << t->unit | v;
        t->nacc = (uint8_t)(t->nacc + t->unit);
        if (++t->px == t->span) {
            t->px = 0;
            t->py++;
        }
    }
    return n;
}
