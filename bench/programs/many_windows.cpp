// PURPOSE: fills the desktop with top-level windows for the waiter's poll
// cost. many_windows <total> creates hidden, titled top-level windows until
// the desktop has about that many, prints "ready <created> <top-level
// windows>", answers each "count" line on its standard input with "count
// <top-level windows>", and keeps its windows until that input is closed.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

DWORD g_mainThread;

int CountTopLevelWindows() {
    int count = 0;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++count;
    return count;
}

// Answers "count" lines, and ends the message loop once whoever started us
// closes our input.
DWORD WINAPI WatchInput(void*) {
    char line[64];
    while (fgets(line, sizeof line, stdin)) {
        if (!strncmp(line, "count", 5)) {
            printf("count %d\n", CountTopLevelWindows());
            fflush(stdout);
        }
    }
    PostThreadMessageA(g_mainThread, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    int wanted = (argc > 1 ? atoi(argv[1]) : 0) - CountTopLevelWindows();
    g_mainThread = GetCurrentThreadId();
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(0);
    windowClass.lpszClassName = "BenchManyWindows";
    RegisterClassA(&windowClass);
    int created = 0;
    for (int i = 0; i < wanted; ++i) {
        char title[32];
        sprintf(title, "Bench window %d", i);
        // Hidden: the waiter reads every top-level window, shown or not, and
        // hidden ones cost the X server nothing.
        if (CreateWindowExA(0, windowClass.lpszClassName, title, WS_POPUP, 0, 0, 10, 10, 0, 0,
                            windowClass.hInstance, 0))
            ++created;
    }
    printf("ready %d %d\n", created, CountTopLevelWindows());
    fflush(stdout);
    CloseHandle(CreateThread(0, 0, WatchInput, 0, 0, 0));
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}
