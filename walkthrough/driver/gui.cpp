// PURPOSE: finding another program's windows and driving them like a user.
#include "gui.h"
#include "processes.h"

namespace {

struct Search {
    DWORD processId;
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    if (!search->className.empty()) {
        char name[64];
        GetClassNameA(window, name, sizeof name);
        if (search->className != name) return TRUE;
    }
    search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChildText(HWND child, LPARAM parameter) {
    reinterpret_cast<std::vector<std::string>*>(parameter)->push_back(WindowText(child));
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId, const std::string& className) {
    Search search = {processId, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs, const std::string& needle) {
    HWND result = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(processId, "#32770")) {
            if (needle.empty() || AllTexts(dialog).find(needle) != std::string::npos) {
                result = dialog;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return result;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::string WindowText(HWND window) {
    // WM_GETTEXT reads another process's window text, controls included.
    char buffer[4096];
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 5000, &length))
        return "";
    return std::string(buffer, length);
}

std::string ControlText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    return control ? WindowText(control) : std::string();
}

std::vector<std::string> ChildTexts(HWND window) {
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectChildText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::string AllTexts(HWND window) {
    std::string all = WindowText(window);
    for (const std::string& text : ChildTexts(window)) all += "\n" + text;
    return all;
}

void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button) PostMessageA(button, BM_CLICK, 0, 0);
}

void PressKey(HWND window, WORD virtualKey) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = window;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info) && info.hwndFocus)
        target = info.hwndFocus;
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void SendSystemCommand(HWND window, WPARAM command) {
    PostMessageA(window, WM_SYSCOMMAND, command, 0);
}

RECT WindowRectOf(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

RECT ClientRectOnScreen(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    MapWindowPoints(window, NULL, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}
