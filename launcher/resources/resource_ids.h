/* PURPOSE: ids of the launcher's resources, by type and range.
 *
 * Read by the resource compiler and by C++ alike, so it holds only #defines.
 * A language record picks a dialog base B and a script base S; the menu,
 * the bitmaps, the button record and the message dialogs of one language
 * all sit at fixed offsets from its B, and its install scripts from its S.
 */
#ifndef LAUNCHER_RESOURCE_IDS_H
#define LAUNCHER_RESOURCE_IDS_H

/* ---- Language records (type LANG), named by Windows primary language ids. */
#define LANG_RECORD_GERMAN 7
#define LANG_RECORD_ENGLISH 9
#define LANG_RECORD_FRENCH 12
#define LANG_RECORD_FALLBACK "DEFAULT"

/* ---- Dialog bases B: 100 English, 200 French, 300 German.
 * Each language owns the ids B .. B + 99 of every type. */
#define DIALOG_BASE_DEFAULT 100
#define DIALOG_BASE_ENGLISH 100
#define DIALOG_BASE_FRENCH 200
#define DIALOG_BASE_GERMAN 300

/* Offsets from B. B itself is the menu dialog, its background bitmap and
 * its button record. */
#define OFFSET_MENU 0
#define OFFSET_NT_REQUIRED 1        /* error: Windows NT 4.0 or later required */
#define OFFSET_OLD_WINDOWS95 2      /* question: Windows 95 too old, continue? */
#define OFFSET_LAUNCH_FAILED 3      /* error: a program could not be started */
#define OFFSET_COPY_FAILED 4        /* error: copying failed */
#define OFFSET_CONFIRM 48           /* + button number n (2..4) */

/* The background bitmap is B; button n's bitmap is B + n. */

/* Command strings: B + 0 .. B + 2, one per component's waiter. */
#define OFFSET_STRING_TESSERA 0
#define OFFSET_STRING_QUILLON 1
#define OFFSET_STRING_KXTWAIN 2

/* ---- Control ids. */
#define IDC_MESSAGE_TEXT 100        /* static text of B + 1 .. B + 3 */
#define IDC_MENU_EXIT 100           /* owner-drawn menu buttons 1 .. 4 */
#define IDC_MENU_ALL 101
#define IDC_MENU_APPS 102
#define IDC_MENU_TWAIN 103

/* The predefined button window class, as the ordinal a template stores. */
#define BUTTON_CLASS_ORDINAL 0x0080

/* ---- Install scripts (type INST): S, S + 1, S + 2 per language. */
#define SCRIPT_BASE_DEFAULT 1000
#define SCRIPT_BASE_ENGLISH 1000
#define SCRIPT_BASE_FRENCH 1010
#define SCRIPT_BASE_GERMAN 1020

/* ---- Language-neutral resources. */
#define PALETTE_NAME "DEFAULT"
#define ICON_LAUNCHER 1
#define VERSION_BLOCK 1
#define MANIFEST_LAUNCHER 1          /* RT_MANIFEST; Windows looks for id 1 */

#endif
