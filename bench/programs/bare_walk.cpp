// PURPOSE: the floor for the waiter's poll: every 500 ms it walks the
// desktop's top-level windows with GetWindow, GetWindowTextLengthA and
// GetWindowTextA and nothing else, from a timer of a window that is not on
// the desktop (a message-only window), re-armed as the waiter re-arms its
// own (the same timer id, so the benchmark counts and times its walks from
// the same trace lines). Prints "ready", and runs until its standard input
// is closed.
#include <windows.h>
#include <stdio.h>

namespace {

const UINT_PTR kTimerId = 100;
const UINT kIntervalMs = 500;
DWORD g_mainThread;
char g_text[65536];

void Walk() {
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
        int length = GetWindowTextLengthA(w);
        if (length >= static_cast<int>(sizeof g_text)) length = sizeof g_text - 1;
        GetWindowTextA(w, g_text, length + 1);
    }
}

LRESULT CALLBACK WalkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        KillTimer(window, kTimerId);
        Walk();
        SetTimer(window, kTimerId, kIntervalMs, 0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI WatchInput(void*) {
    char line[64];
    while (fgets(line, sizeof line, stdin)) {
    }
    PostThreadMessageA(g_mainThread, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int main() {
    g_mainThread = GetCurrentThreadId();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WalkerProc;
    windowClass.hInstance = GetModuleHandleA(0);
    windowClass.lpszClassName = "BenchBareWalk";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, 0,
                                  windowClass.hInstance, 0);
    if (!window) return 1;
    SetTimer(window, kTimerId, kIntervalMs, 0);
    printf("ready\n");
    fflush(stdout);
    CloseHandle(CreateThread(0, 0, WatchInput, 0, 0, 0));
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
