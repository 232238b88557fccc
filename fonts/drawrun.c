#include "fonts/drawrun.h"

#include "firmware/quorvane_decode.h"

/* A line's state is the same few bytes whatever the string: the build fails if it grows past 128. */
typedef char quorvane_text_fits[sizeof(qv_text) <= 128 ? 1 : -1];

int quorvane_font_info(const unsigned char *data, uint32_t size, uint32_t info[4])
{
    qv_font f;
    if (!qv_font_open(&f, data, size)) return 0;
    info[0] = f.ascent;
    info[1] = f.descent;
    info[2] = f.line_height;
    info[3] = f.w.is.glyphs;
    return 1;
}

int quorvane_font_glyph(const unsigned char *data, uint32_t size, uint32_t code, int32_t box[5], unsigned char *alpha)
{
    qv_font f;
    qv_glyph g;
    if (!qv_font_open(&f, data, size) || !qv_font_glyph(&f, code, &g)) return 0;
    box[0] = g.x;
    box[1] = g.y;
    box[2] = g.w;
    box[3] = g.h;
    box[4] = g.advance;
    if (alpha) qv_glyph_alpha(&f, &g, alpha);
    return 1;
}

int32_t quorvane_font_kerning(const unsigned char *data, uint32_t size, uint32_t left, uint32_t right)
{
    qv_font f;
    return qv_font_open(&f, data, size) ? qv_font_kerning(&f, left, right) : 0;
}

int quorvane_font_text(const unsigned char *data, uint32_t size, const char *text, uint32_t fg, uint32_t bg, uint16_t box[2],
                       void (*sink)(void *to, const unsigned char *bytes, size_t n), void *to, size_t step, size_t limit)
{
    qv_font f;
    qv_text t;
    unsigned char buf[4096];
    size_t n;
    if (!qv_font_open(&f, data, size)) return 0;
    if (step > sizeof buf) step = sizeof buf;
    qv_text_begin(&t, &f, text, fg, bg);
    box[0] = t.width;
    box[1] = t.height;
    while (limit > 0 && (n = qv_text_read(&t, buf, step < limit ? step : limit)) > 0) {
        sink(to, buf, n);
        limit -= n;
    }
    return 1;
}
