// PURPOSE: a hook library loaded into the waiter under test: it reports each
// poll (the waiter's WM_TIMER for its poll timer, as the waiter takes it from
// its queue) to the test's probe window, so that a test knows when polls
// happen. Under Wine nothing else of a poll can be seen from outside: reading
// another process's window text sends that process no message.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK PollSpyHook(int code, WPARAM removal, LPARAM message) {
    const MSG* taken = reinterpret_cast<const MSG*>(message);
    if (code == HC_ACTION && removal == PM_REMOVE && taken->message == WM_TIMER && taken->wParam == 100) {
        // The probe is named after the waiter it listens to, so that test
        // programs running side by side each hear their own waiter.
        char name[64];
        wsprintfA(name, "Waiter poll probe %lu", GetCurrentProcessId());
        HWND probe = FindWindowA("WaiterPollProbe", name);
        if (probe) PostMessageA(probe, WM_APP, 0, 0);
    }
    return CallNextHookEx(NULL, code, removal, message);
}
