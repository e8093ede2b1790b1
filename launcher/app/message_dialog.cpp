// PURPOSE: the message dialog operation and its dialog procedure.
#include "app/message_dialog.h"
#include "app/dialog_template.h"

namespace {

// Centred on the whole screen, not on the owner: during start-up and while a
// script runs there is no owner, and the menu may sit anywhere. Raised to the
// top so that it is never hidden behind the menu.
void CentreOnScreen(HWND hwnd) {
    RECT window;
    GetWindowRect(hwnd, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(hwnd, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

BOOL OnInitDialog(HWND hwnd, LPARAM beep) {
    CentreOnScreen(hwnd);
    if (beep != -1) MessageBeep(static_cast<UINT>(beep));
    // TRUE: the first tab stop, the OK button, takes the keyboard focus.
    return TRUE;
}

void OnCommand(HWND hwnd, WPARAM wParam) {
    EndDialog(hwnd, LOWORD(wParam));
}

}  // namespace

INT_PTR CALLBACK MessageDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(hwnd, lParam);
    case WM_COMMAND:
        OnCommand(hwnd, wParam);
        return FALSE;
    default:
        return FALSE;
    }
}

int ShowMessageDialog(int id, int beep) {
    return static_cast<int>(ShowDialogTemplate(id, GetActiveWindow(), MessageDialogProc, static_cast<LPARAM>(beep)));
}
