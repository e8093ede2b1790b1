// PURPOSE: runs the install script that the user chose from the menu.
#pragma once
#include <stdint.h>

// Runs the INST script named by the low 16 bits of scriptId: each listed
// string is split at ';' into commands, run in order, each to its end:
//   c<sep>source<sep>destination   copy a file or a directory tree; the source
//                                   is taken relative to the launcher's folder,
//                                   the destination to the Windows directory
//   e<sep>program[<sep>title]       start a program (relative to the launcher's
//                                   folder) and wait for it, or for the owner of
//                                   the window with that title
// <sep> is whatever byte follows the letter. Other commands, empty ones, and
// those naming a missing source or program are skipped. A folder named by
// `e` is opened in the file manager and not waited for.
// The menu variant (LAUNCHER_MENU_EXTRAS) also has the steps that hand their
// target to the shell and go on at once (docs/script-commands.md):
//   o<sep>file      open a file (relative to the launcher's folder) with its
//                   associated program, from the file's folder
//   b<sep>folder    open a folder (relative to the launcher's folder) in the
//                   file manager
//   u<sep>address   open a web address in the default browser, as written
// A missing file or folder is skipped; a failure shows B + 3 as for `e`.
// Returns when every command has succeeded. Otherwise raises 1 after the
// failure's dialog (B + 3 for `e`, B + 4 for `c` and for anything else) has
// been shown; a missing or malformed script raises 1 with no dialog.
void RunInstallScript(uint32_t scriptId);

// One command, text pointing at its separator byte inside a writable buffer.
// Return normally on success or when skipped; after a failure they end the
// busy cursor, show their dialog (none for code 1) and raise 1.
void RunCopyCommand(char* text);
void RunExecuteCommand(char* text);
#if LAUNCHER_MENU_EXTRAS
// letter is 'o', 'b' or 'u'.
void RunOpenCommand(char letter, char* text);
#endif
