#ifndef QUORVANE_DECODERRUN_H
#define QUORVANE_DECODERRUN_H
/* The shipped decoder, compiled as the C it is, for the program's own read-back and for the tests. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* qv_image's fields without the data pointer: see quorvane_decode.h. */
struct quorvane_fields {
    uint32_t size, length, packed;
    uint16_t width, colours;
    uint8_t start, coded, unit, bits, entry, pixel;
};

/* Decodes the whole picture into out (at most cap bytes), asking qv_read for step bytes at a time.
 * Returns the bytes given; *failed is qv_failed's answer. */
size_t quorvane_decode(const unsigned char *data, const struct quorvane_fields *fields, unsigned char *out,
                       size_t cap, size_t step, int *failed);

#ifdef __cplusplus
}
#endif

#endif
