/* Firmware that draws a line of text through the decoder, as the guide shows: a row at a time. */
#include "label.h"

#include <stdio.h>

int draw_label(const char *text, void (*send)(const unsigned char *bytes, size_t n));

/* The line's width, 0 when the font is damaged. */
int draw_label(const char *text, void (*send)(const unsigned char *bytes, size_t n))
{
    qv_font font;
    qv_text t;
    unsigned char row[32];
    size_t n;
    if (!qv_font_open(&font, label, sizeof label)) return 0;
    qv_text_begin(&t, &font, text, 0xFFFFFF, 0x102030);
    while ((n = qv_text_read(&t, row, sizeof row)) > 0) send(row, n);
    return t.width;
}

#ifdef HOSTED
static void put(const unsigned char *bytes, size_t n) { fwrite(bytes, 1, n, stdout); }

/* The line's bytes on standard output; the icon's string from the header in it. */
int main(void) { return draw_label("Temp\xC3\xA9rature 21 " LABEL_ICON_OFF, put) > 0 ? 0 : 1; }
#endif
