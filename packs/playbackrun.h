#ifndef QUORVANE_PLAYBACKRUN_H
#define QUORVANE_PLAYBACKRUN_H
/* The decoder's pack functions, compiled as C: each call opens the pack afresh, as firmware would. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

int quorvane_pack_assets(const unsigned char *data, uint32_t size, uint16_t *assets);
/* width, height, frames, loops */
int quorvane_pack_asset(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t info[4]);
/* delay in ms, parts */
int quorvane_pack_frame(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t frame, uint16_t info[2]);
/* The part's rectangle (x, y, w, h), and its pixels handed to sink as qv_read gives them, at most step
 * (and 4,096) bytes a call: what a damaged part gives is bounded by what it holds, not by its rectangle. */
int quorvane_pack_part(const unsigned char *data, uint32_t size, uint16_t asset, uint16_t frame, uint16_t part,
                       uint16_t rect[4], void (*sink)(void *to, const unsigned char *bytes, size_t n), void *to, size_t step,
                       int *failed);

#ifdef __cplusplus
}
#endif

#endif
