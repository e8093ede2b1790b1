/* PURPOSE: ids of the menu tests' own resources, shared by the resource
 * script and the tests. Each menu id is also its background bitmap's id and
 * its button record's id, as in the launcher. */
#ifndef MENU_TEST_IDS_H
#define MENU_TEST_IDS_H

/* Menus. */
#define MENU_PLAIN 500              /* three buttons, one of them 65 rows high */
#define MENU_SAME_CONTROL 510       /* entries 1 and 2 name the same control */
#define MENU_NO_SUCH_CONTROL 520    /* entry 2 names a control the template lacks */
#define MENU_NO_SUCH_CONTROL_NO_BITMAP 525  /* ... and its bitmap is missing */
#define MENU_EXCHANGED 530          /* MENU_PLAIN with entries 1 and 2 exchanged */
#define MENU_MISSING_BUTTON_BITMAP 540
#define MENU_MISSING_BACKGROUND 550
#define MENU_MISSING_BUTTON_RECORD 560
#define MENU_NO_BUTTONS 565         /* count 0 */
#define MENU_NEGATIVE_COUNT 566     /* count -2 */
#define MENU_MISSING_TEMPLATE 570
#define MENU_SHORT_BUTTON_RECORD 575 /* count 3, one entry's bytes */
#define MENU_ONE_BYTE_BUTTON_RECORD 576 /* not even a whole count */
#define MENU_CUT_BACKGROUND 577     /* background one byte short of its pixels */
#define MENU_CUT_BUTTON_PIXELS 578  /* a button bitmap one byte short of its pixels */
#define MENU_CUT_BUTTON_TABLE 579   /* a button bitmap cut inside its colour table */
#define MENU_CUT_BUTTON_HEADER 585  /* a button bitmap cut inside its header */
#define MENU_CAPTION 580            /* template with a caption */
#define MENU_EXTENDED_TEMPLATE 590  /* DIALOGEX with a caption and sizing border */

/* Button bitmaps. */
#define BITMAP_WIDE 501             /* 60 x 40 */
#define BITMAP_SMALL 502            /* 45 x 30 */
#define BITMAP_ODD_HEIGHT 503       /* 37 x 65 */
#define BITMAP_WIDE_OTHER 504       /* 60 x 40, another picture */
#define BITMAP_CUT_PIXELS 505       /* BITMAP_WIDE without its last byte */
#define BITMAP_CUT_TABLE 506        /* BITMAP_WIDE up to half its colour table */
#define BITMAP_CUT_HEADER 507       /* BITMAP_WIDE's first 39 bytes */
#define BITMAP_ABSENT 549

/* Controls of the test templates. */
#define CONTROL_A 10
#define CONTROL_B 11
#define CONTROL_C 12
#define CONTROL_ABSENT 99

#endif
