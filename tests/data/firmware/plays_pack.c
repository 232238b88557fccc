/* Firmware that plays every frame of every asset of a pack, part by part, as the guide shows. */
#include "assets.h"

unsigned long play_pack(void (*window)(unsigned x, unsigned y, unsigned w, unsigned h),
                        void (*send)(const unsigned char *bytes, size_t n));

unsigned long play_pack(void (*window)(unsigned x, unsigned y, unsigned w, unsigned h),
                        void (*send)(const unsigned char *bytes, size_t n))
{
    unsigned char row[16];
    unsigned long total = 0;
    uint16_t i, f, p;
    size_t n;
    qv_pack pack;
    qv_asset a;
    qv_frame fr;
    qv_rect r;
    qv_stream s;
    if (!qv_pack_open(&pack, assets, sizeof assets)) return 0;
    for (i = 0; i < ASSETS_COUNT; i++) {
        if (!qv_pack_asset(&pack, i, &a)) return 0;
        for (f = 0; f < a.frames; f++) {
            if (!qv_asset_frame(&pack, &a, f, &fr)) return 0;
            for (p = 0; p < fr.parts; p++) {
                if (!qv_frame_part(&pack, &fr, p, &r, &s)) return 0;
                window(r.x, r.y, r.w, r.h);
                while ((n = qv_read(&s, row, sizeof row)) > 0) {
                    send(row, n);
                    total += n;
                }
                if (qv_failed(&s)) return 0;
            }
        }
    }
    return total;
}

#ifdef HOSTED
#include <stdio.h>
static void window(unsigned x, unsigned y, unsigned w, unsigned h) { printf("%u %u %u %u\n", x, y, w, h); }
static void ignore(const unsigned char *bytes, size_t n) { (void)bytes, (void)n; }

/* Prints each part's window, then the bytes sent in all. */
int main(void)
{
    unsigned long total = play_pack(window, ignore);
    printf("%lu\n", total);
    return total ? 0 : 1;
}
#endif
