// PURPOSE: the bitmap menu's dialog procedure.
#pragma once
#include <windows.h>

// The creation parameter of the dialog is the BitmapMenu it shows. Messages
// that arrive before WM_INITDIALOG find no menu and are answered FALSE.
INT_PTR CALLBACK MenuDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
