/* quorvane_decode.h - reads back, on the device, the pictures that quorvane-cli stores with
 * --palette, --mono or --compress, a few bytes at a time, into any buffer.
 *
 *     qv_stream s;
 *     size_t n;
 *     qv_begin(&s, &logo_image);
 *     while ((n = qv_read(&s, row, sizeof row)) > 0) send_to_panel(row, n);
 *     if (qv_failed(&s)) ...   damaged data: stopped short, nothing written past row
 *
 * It also plays the packs that quorvane-cli pack writes: each frame is the rectangles that changed,
 * streamed straight into the panel's window, so no frame buffer is needed.
 *
 *     qv_pack pack; qv_asset a; qv_frame fr; qv_rect r;
 *     if (!qv_pack_open(&pack, assets, sizeof assets)) ...   not a pack, or its index is damaged
 *     qv_pack_asset(&pack, ASSETS_EYE, &a);
 *     for (f = 0; f < a.frames; f++) {
 *         qv_asset_frame(&pack, &a, f, &fr);
 *         for (p = 0; p < fr.parts; p++) {
 *             qv_frame_part(&pack, &fr, p, &r, &s);
 *             panel_window(r.x, r.y, r.w, r.h);
 *             while ((n = qv_read(&s, row, sizeof row)) > 0) panel_send(row, n);
 *         }
 *         wait_ms(fr.delay_ms);
 *     }
 *
 * And it draws the fonts that quorvane-cli font writes: a line of UTF-8 text streamed into the panel's
 * window in the panel's own pixels, the whole box, no frame buffer.
 *
 *     qv_font font; qv_text t;
 *     if (!qv_font_open(&font, dejavu16, sizeof dejavu16)) ...   not a font, or damaged
 *     qv_text_begin(&t, &font, "Temp\xC3\xA9rature 21 \xC2\xB0C", 0xFFFFFF, 0x102030);   UTF-8, fg, bg
 *     panel_window(x, y, t.width, t.height);
 *     while ((n = qv_text_read(&t, row, sizeof row)) > 0) panel_send(row, n);
 *
 * Header-only: include it in as many units as you like. It needs no heap; a qv_stream holds one
 * 1,024-byte LZ4 chunk and a few counters. Damaged data never makes it read outside the array or write
 * outside the buffer: it stops and qv_failed says so. Every offset and count of a pack's index is
 * checked against the pack's length before it is used.
 *
 * MIT No Attribution. Copyright 2026 the Quorvane authors.
 * Permission is hereby granted, free of charge, to any person obtaining a copy of this software and
 * associated documentation files (the "Software"), to deal in the Software without restriction,
 * including without limitation the rights to use, copy, modify, merge, publish, distribute, sublicense,
 * and/or sell copies of the Software, and to permit persons to whom the Software is furnished to do so.
 * THE SOFTWARE IS PROVIDED "AS IS", WITHOUT WARRANTY OF ANY KIND, EXPRESS OR IMPLIED.
 */
#ifndef QUORVANE_DECODE_H
#define QUORVANE_DECODE_H

#include <stddef.h>
#include <stdint.h>

/* Where the array lives and how a byte of it is read: flash on AVR, anywhere else memory. */
#if defined(__AVR__)
#include <avr/pgmspace.h>
#define QV_ROM
#define QV_BYTE(p) pgm_read_byte(p)
#elif defined(__18CXX)
#define QV_ROM rom
#define QV_BYTE(p) (*(p))
#else
#define QV_ROM
#define QV_BYTE(p) (*(p))
#endif

#define QV_CHUNK 1024

/* A helper that several functions call is kept out of line where the compiler allows it: the code is
 * smaller so. */
#if defined(__GNUC__)
#define QV__ONCE __attribute__((noinline, unused))
#else
#define QV__ONCE inline
#endif


/* What quorvane-cli writes beside the array as NAME_image. */
typedef struct qv_image {
    const unsigned char QV_ROM *data; /* the array, its size bytes first */
    uint32_t size;      /* the array's bytes: no read goes past them */
    uint32_t length;    /* the bytes qv_read gives in all */
    uint32_t packed;    /* the data bytes (indices, pixels or mono bytes) before compression */
    uint16_t width;     /* pixels in a row */
    uint16_t colours;   /* palette entries; 0 without a palette */
    uint32_t start;     /* the first byte after the size bytes */
    uint8_t coded;      /* 1: a byte after the size bytes says 0 stored, 1 rle, 2 lz4 */
    uint8_t unit;       /* rle: the bytes of one unit */
    uint8_t bits;       /* a palette index's bits: 1, 2, 4 or 8; 0 without a palette */
    uint8_t entry;      /* a palette entry's bytes */
    uint8_t pixel;      /* the bits a palette entry gives the output: 8, 12, 16 or 24 */
} qv_image;

/* The small fields first: a Cortex-M0 reaches a byte only within 32 bytes of where a struct starts, a
 * halfword within 64, and every access further away costs an instruction more. */
typedef struct qv_stream {
    uint8_t method, lit, j, ib, nib, nacc, failed;
    uint16_t left; /* rle: bytes left in the block; lz4: bytes in the chunk */
    uint16_t pos;  /* lz4: the next byte of the chunk */
    uint16_t col;  /* palette: the pixel in the row */
    uint32_t in;   /* the next byte of the array to read */
    uint32_t lim;  /* reads stop here: the array's end, or the end of an LZ4 block */
    uint32_t pal;  /* the palette's first byte */
    uint32_t made; /* data bytes made so far */
    uint32_t out;  /* bytes given so far */
    uint32_t rep;  /* rle: the unit being repeated */
    uint32_t acc;  /* palette: output bits waiting, the oldest highest */
    qv_image m;    /* the picture, or the pack's part, being read: a copy, read without a pointer */
    unsigned char chunk[QV_CHUNK];
} qv_stream;

/* The next byte of the array, or 0 and a failure past its end. */
static inline unsigned qv__in(qv_stream *s)
{
    if (s->in >= s->lim) {
        s->failed = 1;
        return 0;
    }
    return QV_BYTE(s->m.data + s->in++);
}

static inline unsigned qv__at(qv_stream *s, uint32_t at)
{
    uint32_t was = s->in;
    unsigned b;
    s->in = at;
    b = qv__in(s);
    s->in = was;
    return b;
}

/* An LZ4 length: the nibble, and while it is full, bytes that add up to 255 each. */
static inline uint32_t qv__len(qv_stream *s, uint32_t n)
{
    unsigned b = 255;
    if (n == 15)
        while (b == 255 && n <= QV_CHUNK && !s->failed) n += b = qv__in(s);
    return n;
}

/* One LZ4 block into the chunk: two bytes of length, high first, then the block. A match copies from
 * this chunk alone, so one chunk is all the memory it needs. */
static inline void qv__chunk(qv_stream *s)
{
    uint32_t want = s->m.packed - s->made, o = 0, n, off, end;
    unsigned tok;
    if (want > QV_CHUNK) want = QV_CHUNK;
    n = qv__in(s) << 8;
    n |= qv__in(s);
    end = s->in + n;
    if (end > s->m.size) s->failed = 1; /* a block that reaches past the array */
    else s->lim = end;
    while (!s->failed) {
        tok = qv__in(s);
        n = qv__len(s, tok >> 4);
        if (n > want - o) break;
        while (n--) s->chunk[o++] = (unsigned char)qv__in(s);
        if (s->in == end) break; /* the last sequence has literals only */
        off = qv__in(s);
        off |= qv__in(s) << 8;
        n = qv__len(s, tok & 15) + 4;
        if (off == 0 || off > o || n > want - o) break;
        for (; n; n--, o++) s->chunk[o] = s->chunk[o - off];
    }
    if (o != want || s->in != end || !want) s->failed = 1;
    s->lim = s->m.size;
    s->made += want;
    s->left = (uint16_t)want;
    s->pos = 0;
}

/* The next data byte: stored, run-length coded or from the LZ4 chunk. */
static inline unsigned qv__data(qv_stream *s)
{
    unsigned c, u = s->m.unit;
    if (s->method == 0) return qv__in(s);
    if (s->method == 2) {
        if (s->pos >= s->left) qv__chunk(s);
        return s->failed ? 0 : s->chunk[s->pos++];
    }
    if (s->left == 0) { /* c < 128: c + 1 units as they are; else one unit c - 126 times */
        c = qv__in(s);
        s->lit = c < 128;
        c = (s->lit ? c + 1 : c - 126) * u;
        /* a block whose last unit would start past the data is damage (only the last unit may be short) */
        if (s->made + c - u >= s->m.packed) s->failed = 1;
        s->made += c;
        s->left = (uint16_t)c;
        s->rep = s->in;
        s->j = 0;
        if (!s->lit) s->in += u;
    }
    s->left--;
    if (s->lit) return qv__in(s);
    c = qv__at(s, s->rep + s->j);
    if (++s->j == u) s->j = 0;
    return c;
}

/* Reads from s->m, already filled in. */
static inline void qv__open(qv_stream *s)
{
    unsigned char *z = (unsigned char *)s;
    while (z < (unsigned char *)&s->m) *z++ = 0; /* every counter, in one loop */
    s->in = s->m.start;
    s->lim = s->m.size;
    if (s->m.coded) {
        s->method = (uint8_t)qv__in(s);
        if (s->method > 2) s->failed = 1;
    }
    s->pal = s->in;
}

static inline void qv_begin(qv_stream *s, const qv_image *img)
{
    s->m = *img;
    qv__open(s);
    s->in += (uint32_t)img->colours * img->entry;
}

/* The next bytes of the panel's pixel stream, up to size; 0 at the end or after damage. */
static inline size_t qv_read(qv_stream *s, unsigned char *buf, size_t size)
{
    const qv_image *m = &s->m;
    size_t n = 0;
    unsigned i, e;
    uint32_t v;
    while (n < size && s->out < m->length && !s->failed) {
        if (m->bits) {
            while (s->nacc < 8) {
                if (s->nacc && s->out + 1 == m->length) { /* the half byte an odd pixel count leaves */
                    s->acc <<= 8 - s->nacc;
                    s->nacc = 8;
                    break;
                }
                if (!s->nib) {
                    s->ib = (uint8_t)qv__data(s);
                    s->nib = 8;
                }
                s->nib = (uint8_t)(s->nib - m->bits);
                i = (s->ib >> s->nib) & ((1u << m->bits) - 1);
                if (++s->col == m->width) s->col = s->nib = 0; /* every row starts a fresh byte */
                for (v = 0, e = 0; e < m->entry; e++) v = v << 8 | qv__at(s, s->pal + i * m->entry + e);
                s->acc = s->acc << m->pixel | (v & (((uint32_t)1 << m->pixel) - 1));
                s->nacc = (uint8_t)(s->nacc + m->pixel);
            }
            s->nacc -= 8;
            buf[n] = (unsigned char)(s->acc >> s->nacc);
        } else {
            buf[n] = (unsigned char)qv__data(s);
        }
        if (s->failed) break;
        n++;
        s->out++;
    }
    return n;
}

static inline int qv_failed(const qv_stream *s) { return s->failed; }

/* A pack: a 20-byte header, then tables of assets (16 bytes each), frames (8), parts (16) and
 * palettes (4), all numbers little-endian, every offset from the pack's first byte. */
typedef struct qv_pack {
    const unsigned char QV_ROM *data;
    uint32_t size;                            /* the pack's length: no read goes past it */
    uint32_t frames_at, parts_at, pals_at;    /* where the tables start */
    uint16_t assets, frames, parts, palettes;
    uint8_t format;                           /* 1 mono, or the pixels' depth: 8, 12, 16, 18, 24 */
    uint8_t flags;                            /* bits 1-2: the mono layout, 2 pages */
} qv_pack;

typedef struct qv_asset {
    qv_image part;                            /* what every part of it shares; its bytes near the start */
    uint16_t width, height, frames, loops;    /* loops: 0 for ever */
    uint16_t first;                           /* its first frame */
    uint8_t bits;                             /* a palette index's bits, 0 without a palette */
} qv_asset;

typedef struct qv_frame {
    uint16_t delay_ms, parts;
    uint16_t first;                           /* its first part */
    const qv_asset *asset;                    /* the asset it came from, which must outlive it */
} qv_frame;

typedef struct qv_rect {
    uint16_t x, y, w, h;
} qv_rect;

/* n little-endian bytes of the pack at `at`. */
static inline uint32_t qv__le(const qv_pack *p, uint32_t at, unsigned n)
{
    uint32_t v = 0;
    while (n--) v = v << 8 | QV_BYTE(p->data + at + n);
    return v;
}

/* k halfwords of the pack from `at` into v. */
static inline void qv__halves(const qv_pack *p, uint32_t at, uint16_t *v, unsigned k)
{
    while (k--) v[k] = (uint16_t)qv__le(p, at + 2 * k, 2);
}

static inline int qv_pack_open(qv_pack *p, const unsigned char QV_ROM *data, uint32_t size)
{
    uint32_t f, end;
    uint16_t v[4];
    p->data = data;
    p->size = size;
    if (size < 20 || qv__le(p, 0, 4) != 0x4B505651ul || QV_BYTE(data + 4) != 1) return 0; /* "QVPK", 1 */
    f = QV_BYTE(data + 5);
    p->format = (uint8_t)f;
    p->flags = QV_BYTE(data + 6);
    qv__halves(p, 8, v, 4);
    p->assets = v[0];
    p->frames = v[1];
    p->parts = v[2];
    p->palettes = v[3];
    p->frames_at = 20 + 16 * (uint32_t)v[0];
    p->parts_at = p->frames_at + 8 * (uint32_t)v[1];
    p->pals_at = p->parts_at + 16 * (uint32_t)v[2];
    end = qv__le(p, 16, 4);
    if ((f != 1 && f != 8 && f != 12 && f != 16 && f != 18 && f != 24) || end > size || end < p->pals_at + 4 * (uint32_t)v[3])
        return 0;
    p->size = end;
    return 1;
}

static inline int qv_pack_asset(const qv_pack *p, uint16_t i, qv_asset *a)
{
    qv_image *m = &a->part;
    uint32_t pal, c, b, e = (p->format + 7u) >> 3;
    uint16_t v[6];
    if (i >= p->assets) return 0;
    qv__halves(p, 20 + 16 * (uint32_t)i + 4, v, 6);
    a->width = v[0];
    a->height = v[1];
    a->first = v[2];
    a->frames = v[3];
    a->loops = v[5];
    a->bits = 0;
    m->data = p->data;
    m->coded = 1;
    m->colours = 0;
    m->entry = (uint8_t)e;
    m->pixel = (uint8_t)(p->format == 12 ? 12 : 8 * e);
    m->unit = (uint8_t)(e == 1 ? 1 : p->format == 12 ? 3 : e);
    if (!v[0] || !v[1] || (uint32_t)v[2] + v[3] > p->frames) return 0;
    if (v[4] != 0xFFFF) { /* 2, 4, 16 or 256 entries, every one inside the pack */
        if (v[4] >= p->palettes || p->format == 1) return 0;
        pal = qv__le(p, p->pals_at + 4 * (uint32_t)v[4], 4);
        if (pal > p->size - 2) return 0;
        c = qv__le(p, pal, 2);
        for (b = 1; (1ul << b) != c; b <<= 1) /* 2, 4, 16 or 256 entries: 1, 2, 4 or 8 bits an index */
            if (b == 8) return 0;
        a->bits = (uint8_t)b;
        if (c * e > p->size - pal - 2) return 0;
        m->colours = (uint16_t)c;
        m->unit = 1;
        a->part.start = pal + 2; /* the palette, until a part says where its data starts */
    }
    return 1;
}

static inline int qv_asset_frame(const qv_pack *p, const qv_asset *a, uint16_t f, qv_frame *fr)
{
    uint16_t v[3];
    if (f >= a->frames) return 0;
    qv__halves(p, p->frames_at + 8 * ((uint32_t)a->first + f), v, 3);
    fr->delay_ms = v[0];
    fr->first = v[1];
    fr->parts = v[2];
    fr->asset = a;
    return (uint32_t)v[1] + v[2] <= p->parts;
}

/* The part's rectangle, and s made ready to stream its pixels as qv_read gives a still picture's. */
static inline int qv_frame_part(const qv_pack *p, const qv_frame *fr, uint16_t i, qv_rect *r, qv_stream *s)
{
    const qv_asset *a = fr->asset;
    qv_image *m = &s->m;
    uint32_t at = p->parts_at + 16 * ((uint32_t)fr->first + i), off, len, n, b = a->bits;
    uint16_t v[4];
    if (i >= fr->parts) return 0;
    qv__halves(p, at, v, 4);
    off = qv__le(p, at + 8, 4);
    len = qv__le(p, at + 12, 4);
    n = (uint32_t)v[2] * v[3];
    if (!n || n >> 26 || (uint32_t)v[0] + v[2] > a->width || (uint32_t)v[1] + v[3] > a->height || !len ||
        off > p->size || len > p->size - off)
        return 0;
    r->x = v[0];
    r->y = v[1];
    r->w = v[2];
    r->h = v[3];
    *m = a->part;
    m->size = off + len;
    m->start = off;
    m->width = v[2];
    m->bits = (uint8_t)b;
    m->length = p->format == 12 ? (3 * n + 1) >> 1 : n * m->entry;
    if (p->format == 1) b = 1; /* mono: 8 pixels a byte, along rows or down pages of 8 rows */
    if (b) m->packed = ((v[2] * b + 7) >> 3) * v[3];
    if (p->format == 1) m->length = m->packed = (p->flags & 6) == 4 ? v[2] * ((v[3] + 7u) >> 3) : m->packed;
    if (!b) m->packed = m->length;
    qv__open(s);
    s->pal = a->part.start;
    return 1;
}


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

#endif
