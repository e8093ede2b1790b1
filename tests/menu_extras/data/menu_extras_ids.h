/* PURPOSE: ids of the menu behaviours' test resource set (only #defines),
 * for the resource compiler and the tests alike. */
#ifndef MENU_EXTRAS_IDS_H
#define MENU_EXTRAS_IDS_H

#define EXTRAS_BASE 700          /* B: menu dialog, 1x background and button record */
#define EXTRAS_SCRIPTS 3000
#define EXTRAS_2X_OFFSET 50      /* B + 50: the 2x background and button record */
#define EXTRAS_FACES 5           /* normal, pressed, hover, focus, done */

/* make_extras_bitmaps.py draws these sizes; 2x is twice each. */
#define EXTRAS_MENU_WIDTH 200
#define EXTRAS_MENU_HEIGHT 120

/* Buttons in record order: 1 leaves (bottom right), 2 and 3 install (top
 * left, below it). The template lists them in reading order: 2, 3, 1. */
#define EXTRAS_CONTROL_EXIT 70
#define EXTRAS_CONTROL_FIRST 71
#define EXTRAS_CONTROL_SECOND 72

#endif
