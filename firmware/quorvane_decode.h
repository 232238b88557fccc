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

#endif
