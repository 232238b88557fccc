/* Firmware that reads a stored picture through the decoder, as the guide shows: a row at a time. */
#include "logo.h"

unsigned long decode_logo(void (*send)(const unsigned char *bytes, size_t n));

unsigned long decode_logo(void (*send)(const unsigned char *bytes, size_t n))
{
    unsigned char row[8];
    unsigned long total = 0;
    size_t n;
    qv_stream s;
    qv_begin(&s, &logo_image);
    while ((n = qv_read(&s, row, sizeof row)) > 0) {
        send(row, n);
        total += n;
    }
    return qv_failed(&s) ? 0 : total;
}

#ifdef HOSTED
static void ignore(const unsigned char *bytes, size_t n) { (void)bytes, (void)n; }

/* 16 Bit: two bytes a pixel, all of them given, none failed. */
int main(void) { return decode_logo(ignore) == 2ul * LOGO_WIDTH * LOGO_HEIGHT ? 0 : 1; }
#endif
