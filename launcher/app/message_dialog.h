// PURPOSE: the launcher's message and confirmation dialogs: a template from
// the resources, centred on the screen, with a beep, ended by any button.
#pragma once
#include <windows.h>

// Shows dialog template `id` (its low 16 bits are the resource id) modally,
// owned by the active window, and sounds MessageBeep(beep) unless beep is -1.
// Returns the id of the command that ended it (IDOK 1, IDCANCEL 2 for Cancel
// or Escape), or -1 when the dialog cannot be created, for example because
// the template is missing; nothing is shown then. A damaged template raises
// 1 before anything is shown (ShowDialogTemplate).
int ShowMessageDialog(int id, int beep);

// The dialog procedure of every message dialog. The creation parameter is the
// beep; any WM_COMMAND ends the dialog with the command's low 16 bits.
INT_PTR CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
