// PURPOSE: the one way the launcher shows a dialog: its template checked
// against the resource that holds it before Windows reads it.
#pragma once
#include <windows.h>
#include <stdint.h>

// DialogBoxParamA on dialog template id (its low 16 bits) of the launcher's
// own executable. A template that is missing, or whose creation fails, gives
// -1 as DialogBoxParamA does. A template whose header, strings or items run
// past the end of its resource (a damaged disc) raises 1 before anything is
// shown: Windows would read beyond it. A template that would make its dialog
// disabled, or a child of its disabled owner, is shown without those styles,
// so that it can always be answered. Raises -14 when memory runs out.
INT_PTR ShowDialogTemplate(int32_t id, HWND owner, DLGPROC procedure, LPARAM parameter);
