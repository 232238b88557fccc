/* Checks what the display driver relies on: the size bytes lead the array, then the pixel data. */
#include <stdio.h>

extern const unsigned char logo[];    /* 12 Bit */
extern const unsigned char logo565[]; /* 16 Bit */
extern const unsigned char logo332[]; /* 8 Bit, error diffusion */

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
    printf("logo: %d x %d\n", width, height);
    return 0;
}
