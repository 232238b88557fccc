#include "codegen/decoderrun.h"

#include "firmware/quorvane_decode.h"

size_t quorvane_decode(const unsigned char *data, const struct quorvane_fields *f, unsigned char *out, size_t cap,
                       size_t step, int *failed)
{
    qv_image image;
    qv_stream s;
    size_t made = 0, n;
    image.data = data;
    image.size = f->size;
    image.length = f->length;
    image.packed = f->packed;
    image.width = f->width;
    image.colours = f->colours;
    image.start = f->start;
    image.coded = f->coded;
    image.unit = f->unit;
    image.bits = f->bits;
    image.entry = f->entry;
    image.pixel = f->pixel;
    qv_begin(&s, &image);
    while ((n = qv_read(&s, out + made, step < cap - made ? step : cap - made)) > 0) made += n;
    *failed = qv_failed(&s);
    return made;
}
