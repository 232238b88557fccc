#ifndef QUORVANE_DRAWRUN_H
#define QUORVANE_DRAWRUN_H
/* The decoder's font functions, compiled as C: each call opens the font afresh, as firmware would. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ascent, descent, line height, glyphs; 0 when the decoder refuses the font */
int quorvane_font_info(const unsigned char *data, uint32_t size, uint32_t info[4]);
/* x, y, w, h, advance of the code point's glyph, and its coverage (w * h bytes) into alpha when given */
int quorvane_font_glyph(const unsigned char *data, uint32_t size, uint32_t code, int32_t box[5], unsigned char *alpha);
int32_t quorvane_font_kerning(const unsigned char *data, uint32_t size, uint32_t left, uint32_t right);
/* The line's box (width, height), and its bytes handed to sink as qv_text_read gives them, at most step
 * bytes a call, until the end or until limit bytes are given. */
int quorvane_font_text(const unsigned char *data, uint32_t size, const char *text, uint32_t fg, uint32_t bg, uint16_t box[2],
                       void (*sink)(void *to, const unsigned char *bytes, size_t n), void *to, size_t step, size_t limit);

#ifdef __cplusplus
}
#endif

#endif
