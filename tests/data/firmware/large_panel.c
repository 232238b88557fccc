/* Firmware for a panel over 256 in a side, which knows the picture through its header: the array leads
   with height - 1 and width - 1 in two bytes each, high byte first, as the header's macros say. */
#include "panel.h"

_Static_assert(sizeof panel == PANEL_SIZE, "the array's declared count");

int main(void) {
    const int height = (panel[0] << 8 | panel[1]) + 1, width = (panel[2] << 8 | panel[3]) + 1;
    return height == PANEL_HEIGHT && width == PANEL_WIDTH ? 0 : 1;
}
