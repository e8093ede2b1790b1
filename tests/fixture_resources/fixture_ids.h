/* PURPOSE: ids of the programs' tests' own resource set, for the resource
 * compiler and the tests alike (only #defines).
 *
 * Three languages with bases of their own, so that nothing here coincides
 * with a disc's resources: English (also "DEFAULT"), French and German. The
 * offsets from B are the launcher's: B + 1 .. B + 4 the messages, B + 48 + n
 * button n's confirmation.
 */
#ifndef STARTUP_FIXTURE_IDS_H
#define STARTUP_FIXTURE_IDS_H

#define FIXTURE_BASE_ENGLISH 400
#define FIXTURE_BASE_FRENCH 500
#define FIXTURE_BASE_GERMAN 600
#define FIXTURE_SCRIPTS_ENGLISH 2000
#define FIXTURE_SCRIPTS_FRENCH 2010
#define FIXTURE_SCRIPTS_GERMAN 2020

/* The background bitmap's size, which the menu takes as its client area
 * (make_fixture_bitmaps.py draws it). */
#define FIXTURE_MENU_WIDTH 320
#define FIXTURE_MENU_HEIGHT 200

/* Menu buttons in the button record's order: 1 leaves, 2 installs the
 * three components alpha, beta and gamma, 3 installs gamma alone. */
#define FIXTURE_CONTROL_EXIT 40
#define FIXTURE_CONTROL_ALL 41
#define FIXTURE_CONTROL_GAMMA 42
#define FIXTURE_FIRST_CONTROL FIXTURE_CONTROL_EXIT

#endif
