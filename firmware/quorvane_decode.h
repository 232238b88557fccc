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

/* The packs, the fonts and their text are parts of this header in the source tree; the header that
 * quorvane-cli decoder writes holds each in place of its line. */
#include "quorvane_pack.h"
#include "quorvane_font.h"
#include "quorvane_text.h"

#endif
