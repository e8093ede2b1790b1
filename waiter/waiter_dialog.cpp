// PURPOSE: the waiter dialog's procedure and its message handlers.
#include "waiter_dialog.h"
#include "waiter_ids.h"
#include "waiter_paths.h"
#include "window_walk.h"

namespace {

const int kHiddenPosition = -100;

WaiterDialog* WaiterOf(HWND dialog) {
    return reinterpret_cast<WaiterDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// No taskbar button: a tool window, moved off the top-left corner at no size.
// It is shown here, without activation, so that the dialog manager, finding
// it visible, does not show and activate it: an active waiter would take the
// keys the user types (a second Enter on the launcher's confirmation would
// end the wait) until setup.exe shows its window. Where the system knows
// WS_EX_NOACTIVATE (Windows 2000 on), it does not make the waiter active
// either when the active window closes.
void HideDialog(HWND dialog) {
    LONG oldStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    LONG newStyle = (oldStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    if (newStyle != oldStyle) SetWindowLongA(dialog, GWL_EXSTYLE, newStyle);
    SetWindowPos(dialog, 0, kHiddenPosition, kHiddenPosition, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

// Reads the title from Tarrywin.INI and starts setup.exe, both from the
// waiter's own folder. Returns 0 or the Windows error code of the failure.
DWORD ReadTitleAndStartInstaller(WaiterDialog& waiter) {
    DWORD error = 0;
    char* folder = NewModuleFolder();
    char* iniPath = folder ? NewJoinedText(folder, "Tarrywin.INI", "") : 0;
    // Quoted, so that a folder name with a blank cannot start another program.
    char* commandLine = folder ? NewJoinedText("\"", folder, "setup.exe\"") : 0;
    if (iniPath && commandLine) {
        GetPrivateProfileStringA("CHECK", "STRING", "", waiter.watchedTitle,
                                 sizeof waiter.watchedTitle, iniPath);
        waiter.poll.titleSeen = false;
        error = StartInstaller(commandLine, waiter.installer);
    } else {
        error = ERROR_NOT_ENOUGH_MEMORY;
    }
    FreeText(commandLine);
    FreeText(iniPath);
    FreeText(folder);
    return error;
}

INT_PTR OnInitDialog(HWND dialog, WaiterDialog* waiter) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(waiter));
    HideDialog(dialog);
    waiter->exitCode = ReadTitleAndStartInstaller(*waiter);
    if (waiter->exitCode != 0) {
        // Nothing would ever come to end the wait, and nobody could see it.
        EndDialog(dialog, IDABORT);
        return TRUE;
    }
    SetTimer(dialog, ID_POLL_TIMER, kPollIntervalMs, 0);
    return TRUE;
}

// One poll. The timer is stopped while it runs and armed again at its end,
// so polls never overlap or queue up; WM_DESTROY kills the last arming.
void OnTimer(HWND dialog, WaiterDialog& waiter) {
    KillTimer(dialog, ID_POLL_TIMER);
    bool watchingTitle = waiter.watchedTitle[0] != '\0';
    PollFacts facts = {};   // every liveness unknown until asked
    facts.title = watchingTitle ? SearchTopLevelWindows(waiter.watchedTitle, dialog) : kTitleAbsent;
    // While the window is there, the installer's processes decide nothing:
    // the system is asked about them only when they count.
    if (facts.title != kTitlePresent) {
        facts.job = JobLiveness(waiter.installer);
        facts.process = ProcessLiveness(waiter.installer);
        if (facts.job == kLivenessUnknown) facts.descendants = DescendantsLiveness(waiter.installer);
    }
    facts.now = GetTickCount();
    if (PollEndsWaiting(waiter.poll, watchingTitle, facts)) EndDialog(dialog, IDOK);
    SetTimer(dialog, ID_POLL_TIMER, NextPollDelayMs(waiter.poll), 0);
}

// The icon, centred in the client area, when the dialog is minimised.
bool OnPaint(HWND dialog, WaiterDialog& waiter) {
    if (!IsIconic(dialog)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    SendMessageA(dialog, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(dialog, &client);
    int x = (client.right - client.left - cx + 1) / 2;
    int y = (client.bottom - client.top - cy + 1) / 2;
    DrawIcon(dc, x, y, waiter.iconHandle);
    EndPaint(dialog, &paint);
    return true;
}

// Close on the system menu, WM_CLOSE and the IDOK or IDCANCEL command from
// another program arrive here and end the waiter at once, as a normal end.
// Enter and Esc would too, but they go to the active window, and the waiter
// does not make itself active (HideDialog).
bool OnCommand(HWND dialog, WORD id) {
    if (id != IDOK && id != IDCANCEL) return false;
    EndDialog(dialog, id);
    return true;
}

}  // namespace

void InitWaiterDialog(WaiterDialog& waiter, HINSTANCE instance) {
    waiter.iconHandle = LoadIconA(instance, MAKEINTRESOURCEA(IDI_WAITER));
}

INT_PTR CALLBACK WaiterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        return OnInitDialog(dialog, reinterpret_cast<WaiterDialog*>(lParam));
    WaiterDialog* waiter = WaiterOf(dialog);
    if (!waiter) return FALSE;
    switch (message) {
    case WM_PAINT:
        return OnPaint(dialog, *waiter);
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(waiter->iconHandle);
    case WM_TIMER:
        OnTimer(dialog, *waiter);
        return FALSE;
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam));

    case WM_DESTROY:
        KillTimer(dialog, ID_POLL_TIMER);
        return FALSE;
    }
    return FALSE;
}
