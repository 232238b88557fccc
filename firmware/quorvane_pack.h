/* ---- Packs: many pictures in one array, played part by part ---- */

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
