/* Firmware that knows the picture only through its header: logo.bmp, 2 x 1, turned a quarter. */
#include "logo.h"

_Static_assert(LOGO_WIDTH == 1 && LOGO_HEIGHT == 2, "the size as the panel receives it");
_Static_assert(sizeof logo == LOGO_SIZE, "the array's declared count");

#ifdef __AVR__
#include <avr/pgmspace.h>
int main(void) { return pgm_read_byte(&logo[0]) + 1 == LOGO_HEIGHT ? 0 : 1; }
#else
int main(void) { return logo[0] + 1 == LOGO_HEIGHT && logo[1] + 1 == LOGO_WIDTH ? 0 : 1; }
#endif
