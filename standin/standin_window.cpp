// PURPOSE: the installer windows and their progress display.
#include "standin_window.h"
#include "standin_log.h"

namespace {

const char kClassName[] = "StandinSetupWindow";
const UINT_PTR kTickTimer = 1;
const UINT kTickMs = 100;
const int kMaxWindows = 16;

// When a window opened and how long it stays (0: until closed).
struct WindowClock {
    DWORD openedAt;
    DWORD lifetimeMs;
};

WindowClock g_clocks[kMaxWindows];
int g_openWindows = 0;
const char* g_logPath = "";

WindowClock* ClockOf(HWND window) {
    return reinterpret_cast<WindowClock*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Per mille done; a window that stays until closed shows a bar going round.
int ProgressOf(const WindowClock& clock) {
    DWORD elapsed = GetTickCount() - clock.openedAt;
    if (clock.lifetimeMs == 0) return static_cast<int>((elapsed / 10) % 1000);
    if (elapsed >= clock.lifetimeMs) return 1000;
    return static_cast<int>(elapsed * 1000ull / clock.lifetimeMs);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT text = {16, 12, client.right - 16, 36};
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, "Installing components...", -1, &text, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
    RECT bar = {16, 44, client.right - 16, 64};
    FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    WindowClock* clock = ClockOf(window);
    int done = clock ? ProgressOf(*clock) : 0;
    RECT filled = {bar.left + 2, bar.top + 2, bar.left + 2 + (bar.right - bar.left - 4) * done / 1000,
                   bar.bottom - 2};
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 160));
    FillRect(dc, &filled, blue);
    DeleteObject(blue);
    EndPaint(window, &paint);
}

void OnTick(HWND window) {
    WindowClock* clock = ClockOf(window);
    if (clock && clock->lifetimeMs != 0 && GetTickCount() - clock->openedAt >= clock->lifetimeMs) {
        DestroyWindow(window);
        return;
    }
    InvalidateRect(window, 0, TRUE);
}

LRESULT CALLBACK InstallerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_TIMER:
        OnTick(window);
        return 0;
    case WM_DESTROY:
        KillTimer(window, kTickTimer);
        LogEvent(g_logPath, "window-closed", "");
        if (--g_openWindows == 0) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = InstallerWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(0, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0;
}

}  // namespace

bool RunInstallerWindows(const StandinOptions& options, HINSTANCE instance) {
    g_logPath = options.log;
    if (!RegisterWindowClass(instance)) return false;
    for (int i = 0; i < options.windows && i < kMaxWindows; ++i) {
        g_clocks[i].openedAt = GetTickCount();
        g_clocks[i].lifetimeMs = options.lifetimeMs <= 0
            ? 0 : static_cast<DWORD>(options.lifetimeMs + i * options.staggerMs);
        HWND window = CreateWindowExA(0, kClassName, options.title, WS_OVERLAPPEDWINDOW,
                                      40 + 30 * i, 40 + 30 * i, 360, 120, 0, 0, instance, 0);
        if (!window) continue;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&g_clocks[i]));
        ++g_openWindows;
        LogEvent(options.log, "window-open", options.title);
        SetTimer(window, kTickTimer, kTickMs, 0);
        ShowWindow(window, SW_SHOWNORMAL);
    }
    if (g_openWindows == 0) return false;
    MSG message;
    while (GetMessageA(&message, 0, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}
