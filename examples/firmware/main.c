/* Checks what the display driver relies on: the size bytes lead the array, then the pixel data. */
#include "badge.h"       /* 16 Bit, from a PNG with transparency, fitted to the panel */
#include "logo_turned.h" /* 12 Bit, turned a quarter clockwise */
#include "scene.h"       /* 18 Bit, for a 240 x 320 ST7789 */
#include "scene_packed.h" /* 16 colours, compressed: includes quorvane_decode.h */
#include "sprites.h"      /* a pack: the spinner's frames as the rectangles that change, and the icons */
#include "label.h"        /* a font of the characters this file's strings use */

#include <png.h>
#include <stdio.h>
#include <string.h>

extern const unsigned char logo[];    /* 12 Bit */
extern const unsigned char logo565[]; /* 16 Bit */
extern const unsigned char logo332[]; /* 8 Bit, error diffusion */
extern const unsigned char scene_plain[]; /* 16 Bit, 300 x 400, every pixel whole */

/* The packed scene, read as the firmware reads it, a row at a time, gives the plain scene's pixels. */
static int checkPackedScene(void) {
    unsigned char row[2 * 300];
    qv_stream s;
    size_t n, rows = 0;
    qv_begin(&s, &scene_packed_image);
    while ((n = qv_read(&s, row, sizeof row)) > 0) {
        size_t i;
        for (i = 0; i < n; i++) {
            if (row[i] != scene_plain[4 + rows * sizeof row + i]) {
                fprintf(stderr, "scene_packed differs from scene_plain in row %u, byte %u\n", (unsigned)rows, (unsigned)i);
                return 1;
            }
        }
        rows++;
    }
    if (qv_failed(&s) || rows != SCENE_PACKED_HEIGHT || sizeof scene_packed >= 4 + 2 * 300 * 400 / 4) {
        fprintf(stderr, "scene_packed: %u rows, failed %d, %u bytes\n", (unsigned)rows, qv_failed(&s), (unsigned)sizeof scene_packed);
        return 1;
    }
    return 0;
}

/* The spinner played as firmware plays it, each part written into a frame of our own (16 Bit, high byte
 * first) where a panel would take it: after each frame, the frame must be the preview's picture. */
static int checkSpinner(void) {
    static unsigned char frame[SPRITES_SPINNER_HEIGHT][SPRITES_SPINNER_WIDTH][2];
    unsigned char bytes[64];
    qv_pack pack;
    qv_asset a;
    uint16_t f, p;
    if (!qv_pack_open(&pack, sprites, sizeof sprites) || !qv_pack_asset(&pack, SPRITES_SPINNER, &a) || a.frames != 8 ||
        a.loops != 0) {
        fprintf(stderr, "sprites: the spinner does not open\n");
        return 1;
    }
    for (f = 0; f < a.frames; f++) {
        qv_frame fr;
        char name[256];
        png_image preview;
        unsigned char shown[SPRITES_SPINNER_HEIGHT][SPRITES_SPINNER_WIDTH][3];
        int x, y;
        if (!qv_asset_frame(&pack, &a, f, &fr) || fr.delay_ms != 80) return fprintf(stderr, "spinner frame %u\n", f), 1;
        for (p = 0; p < fr.parts; p++) {
            qv_rect r;
            qv_stream s;
            size_t n, at = 0;
            if (!qv_frame_part(&pack, &fr, p, &r, &s)) return fprintf(stderr, "spinner frame %u part %u\n", f, p), 1;
            while ((n = qv_read(&s, bytes, sizeof bytes)) > 0) { /* the panel's window, left to right, top to bottom */
                size_t i;
                for (i = 0; i < n; i++, at++) frame[r.y + at / 2 / r.w][r.x + at / 2 % r.w][at % 2] = bytes[i];
            }
            if (qv_failed(&s) || at != 2u * r.w * r.h) return fprintf(stderr, "spinner frame %u part %u failed\n", f, p), 1;
        }
        snprintf(name, sizeof name, "%s/spinner_%u.png", SPRITES_PREVIEW, f);
        memset(&preview, 0, sizeof preview);
        preview.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&preview, name) || preview.width != SPRITES_SPINNER_WIDTH ||
            preview.height != SPRITES_SPINNER_HEIGHT) {
            return fprintf(stderr, "cannot read %s\n", name), 1;
        }
        preview.format = PNG_FORMAT_RGB;
        if (!png_image_finish_read(&preview, NULL, shown, 0, NULL)) return fprintf(stderr, "cannot read %s\n", name), 1;
        for (y = 0; y < SPRITES_SPINNER_HEIGHT; y++) {
            for (x = 0; x < SPRITES_SPINNER_WIDTH; x++) {
                /* 5-6-5 parts, each shown at round(part * 255 / largest) */
                const unsigned v = frame[y][x][0] << 8 | frame[y][x][1];
                const unsigned r = ((v >> 11) * 255 + 15) / 31, g = ((v >> 5 & 63) * 255 + 31) / 63, b = ((v & 31) * 255 + 15) / 31;
                if (r != shown[y][x][0] || g != shown[y][x][1] || b != shown[y][x][2]) {
                    fprintf(stderr, "spinner frame %u differs from %s at %d, %d\n", f, name, x, y);
                    return 1;
                }
            }
        }
    }
    return 0;
}

/* What the label says: its characters are all the font was made of. */
static const char labelText[] = "Température 21 °C";

/* 5-6-5 parts as the preview shows them: each at round(part * 255 / largest). */
static int shownAs(unsigned v, const unsigned char rgb[3]) {
    const unsigned r = ((v >> 11) * 255 + 15) / 31, g = ((v >> 5 & 63) * 255 + 31) / 63, b = ((v & 31) * 255 + 15) / 31;
    return r == rgb[0] && g == rgb[1] && b == rgb[2];
}

/* The label drawn as firmware draws it, row by row into the panel's window (16 Bit, high byte first),
 * white on black as the preview is drawn: every pixel must be the preview's. */
static int checkLabel(void) {
    static unsigned char shown[LABEL_LINE_HEIGHT][400][3];
    unsigned char bytes[48];
    qv_font font;
    qv_text t;
    png_image preview;
    size_t n, at = 0;
    if (!qv_font_open(&font, label, sizeof label) || font.line_height != LABEL_LINE_HEIGHT) {
        return fprintf(stderr, "label: the font does not open\n"), 1;
    }
    qv_text_begin(&t, &font, labelText, 0xFFFFFF, 0x000000);
    memset(&preview, 0, sizeof preview);
    preview.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&preview, LABEL_PREVIEW) || preview.width != t.width || preview.height != t.height ||
        t.width > 400) {
        return fprintf(stderr, "cannot read %s as a %u x %u line\n", LABEL_PREVIEW, t.width, t.height), 1;
    }
    preview.format = PNG_FORMAT_RGB;
    if (!png_image_finish_read(&preview, NULL, shown, 400 * 3, NULL)) return fprintf(stderr, "cannot read %s\n", LABEL_PREVIEW), 1;
    while ((n = qv_text_read(&t, bytes, sizeof bytes)) > 0) {
        size_t i;
        for (i = 0; i + 1 < n; i += 2, at += 2) {
            const unsigned x = (unsigned)(at / 2 % t.width), y = (unsigned)(at / 2 / t.width);
            if (!shownAs((unsigned)bytes[i] << 8 | bytes[i + 1], shown[y][x])) {
                return fprintf(stderr, "the label differs from %s at %u, %u\n", LABEL_PREVIEW, x, y), 1;
            }
        }
    }
    return at == 2u * t.width * t.height ? 0 : (fprintf(stderr, "the label gave %lu bytes\n", (unsigned long)at), 1);
}

int main(void) {
    /* logo.bmp is 4 pixels wide and 3 high; its top-left pixel is pure red. */
    const int height = logo[0] + 1, width = logo[1] + 1;
    if (height != 3 || width != 4) {
        fprintf(stderr, "logo is %d x %d, expected 4 x 3\n", width, height);
        return 1;
    }
    /* Pure red is a colour every depth shows exactly, so dithering leaves it alone. */
    if (logo[2] != 0xF0 || logo565[2] != 0xF8 || logo565[3] != 0x00 || logo332[2] != 0xE0) {
        fprintf(stderr, "the top-left pixel is not red: %02X, %02X %02X, %02X\n", logo[2], logo565[2], logo565[3],
                logo332[2]);
        return 1;
    }
    /* badge.png is 200 x 100 with a transparent right half: fitted to 132 x 66 over black. */
    const int badgeHeight = badge[0] + 1, badgeWidth = badge[1] + 1;
    const unsigned char* topRight = badge + 2 + 2 * (badgeWidth - 1);
    if (badgeWidth != 132 || badgeHeight != 66 || badge[2] != 0xF8 || topRight[0] != 0 || topRight[1] != 0) {
        fprintf(stderr, "badge is %d x %d, top-left %02X, top-right %02X %02X\n", badgeWidth, badgeHeight, badge[2],
                topRight[0], topRight[1]);
        return 1;
    }
    /* The headers' macros tell the size the panel receives, as the size bytes do. */
    if (BADGE_WIDTH != badgeWidth || BADGE_HEIGHT != badgeHeight || BADGE_SIZE != sizeof badge) {
        fprintf(stderr, "badge.h says %d x %d in %d bytes\n", BADGE_WIDTH, BADGE_HEIGHT, BADGE_SIZE);
        return 1;
    }
    /* Turned clockwise, the logo's top-left pixel (red, 15 0 0) is the top-right one of 3: its red and
       green parts fill the fourth data byte, its blue part the upper half of the fifth. */
    const unsigned char* turned = logo_turned + 2;
    if (LOGO_TURNED_WIDTH != 3 || LOGO_TURNED_HEIGHT != 4 || logo_turned[0] + 1 != LOGO_TURNED_HEIGHT ||
        logo_turned[1] + 1 != LOGO_TURNED_WIDTH || sizeof logo_turned != LOGO_TURNED_SIZE || turned[3] != 0xF0 ||
        (turned[4] >> 4) != 0) {
        fprintf(stderr, "logo_turned is %d x %d, its top-right pixel %02X %X\n", LOGO_TURNED_WIDTH,
                LOGO_TURNED_HEIGHT, turned[3], turned[4] >> 4);
        return 1;
    }
    /* The ST7789's picture: height - 1 and width - 1 in two bytes each, high byte first, then three bytes
       a pixel, RRRRRR00 GGGGGG00 BBBBBB00; the top row is pure red. */
    const int sceneHeight = (scene[0] << 8 | scene[1]) + 1, sceneWidth = (scene[2] << 8 | scene[3]) + 1;
    if (SCENE_WIDTH != 240 || SCENE_HEIGHT != 320 || sceneWidth != SCENE_WIDTH || sceneHeight != SCENE_HEIGHT ||
        sizeof scene != SCENE_SIZE || SCENE_SIZE != 4 + 3 * 240 * 320 + 2 || scene[4] != 0xFC || scene[5] != 0 ||
        scene[6] != 0) {
        fprintf(stderr, "scene is %d x %d (%d x %d by its header) in %d bytes, first pixel %02X %02X %02X\n",
                sceneWidth, sceneHeight, SCENE_WIDTH, SCENE_HEIGHT, SCENE_SIZE, scene[4], scene[5], scene[6]);
        return 1;
    }
    if (checkPackedScene() != 0) return 1;
    if (checkSpinner() != 0) return 1;
    if (checkLabel() != 0) return 1;
    printf("logo: %d x %d, badge: %d x %d, turned logo: %d x %d, scene: %d x %d\n", width, height, badgeWidth,
           badgeHeight, LOGO_TURNED_WIDTH, LOGO_TURNED_HEIGHT, SCENE_WIDTH, SCENE_HEIGHT);
    return 0;
}
