/* The shipped decoder's pack functions, compiled as the C they are, for the program and its tests. */
#include "packs/playbackrun.h"

#include "firmware/quorvane_decode.h"

int quorvane_pack_assets(const unsigned char *data, uint32_t size, uint16_t *assets)
{
    qv_pack p;
    if (!qv_pack_open(&p, data, size)) return 0;
    *assets = p.assets;
    return 1;
}

int quorvane_pack_asset(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t info[4])
{
    qv_pack p;
    qv_asset a;
    if (!qv_pack_open(&p, data, size) || !qv_pack_asset(&p, asset, &a)) return 0;
    info[0] = a.width;
    info[1] = a.height;
    info[2] = a.frames;
    info[3] = a.loops;
    return 1;
}

int quorvane_pack_frame(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t frame, uint16_t info[2])
{
    qv_pack p;
    qv_asset a;
    qv_frame f;
    if (!qv_pack_open(&p, data, size) || !qv_pack_asset(&p, asset, &a) || !qv_asset_frame(&p, &a, frame, &f)) return 0;
    info[0] = f.delay_ms;
    info[1] = f.parts;
    return 1;
}

int quorvane_pack_part(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t frame, uint16_t part,
                       uint16_t rect[4], void (*sink)(void *to, const unsigned char *bytes, size_t n), void *to, size_t step,
                       int *failed)
{
    qv_pack p;
    qv_asset a;
    qv_frame f;
    qv_rect r;
    qv_stream s;
    unsigned char buffer[4096];
    size_t n;
    if (!qv_pack_open(&p, data, size) || !qv_pack_asset(&p, asset, &a) || !qv_asset_frame(&p, &a, frame, &f) ||
        !qv_frame_part(&p, &f, part, &r, &s))
        return 0;
    rect[0] = r.x;
    rect[1] = r.y;
    rect[2] = r.w;
    rect[3] = r.h;
    if (step > sizeof buffer) step = sizeof buffer;
    while ((n = qv_read(&s, buffer, step)) > 0) sink(to, buffer, n);
    *failed = qv_failed(&s);
    return 1;
}
