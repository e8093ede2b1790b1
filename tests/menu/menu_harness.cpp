// PURPOSE: running the menu on the test's own thread while a second thread
// drives it like a user, with every wait bounded.
#include "menu_harness.h"
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include "processes.h"
#include "runtime/error_frame.h"

namespace {

const DWORD kMenuAppearsMs = 10000;
const DWORD kCleanUpMs = 10000;

// Dialogs created by the menu's thread, counted from the window creation
// hook, so even one that vanished at once is seen.
int g_dialogsCreated = 0;

LRESULT CALLBACK CountDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char name[32] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (std::string(name) == "#32770") ++g_dialogsCreated;
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

struct ThreadDialogs {
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770" && IsWindowVisible(window))
        reinterpret_cast<ThreadDialogs*>(parameter)->found.push_back(window);
    return TRUE;
}

std::vector<HWND> VisibleDialogsOf(DWORD threadId) {
    ThreadDialogs dialogs;
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs.found;
}

// Cancels any dialog on top of the menu and closes the menu, until show()
// has returned.
void CloseLeftovers(DWORD threadId, HWND menu, const std::atomic<bool>& shown) {
    DWORD start = GetTickCount();
    while (!shown && GetTickCount() - start < kCleanUpMs) {
        for (HWND dialog : VisibleDialogsOf(threadId)) {
            if (dialog == menu)
                PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        Sleep(100);
    }
}

std::mutex g_askedLock;
std::vector<int32_t> g_asked;

void RecordAsked(int32_t number) {
    std::lock_guard<std::mutex> hold(g_askedLock);
    g_asked.push_back(number);
}

HWND Control(HWND menu, int controlId) {
    return GetDlgItem(menu, controlId);
}

}  // namespace

int ShowWhileDriving(const std::function<void()>& show,
                     const std::function<void(HWND menu)>& drive) {
    DWORD threadId = GetCurrentThreadId();
    std::atomic<bool> shown(false);
    std::thread driver([&] {
        HWND menu = NULL;
        WaitUntil([&] {
            std::vector<HWND> dialogs = VisibleDialogsOf(threadId);
            if (!dialogs.empty()) menu = dialogs.front();
            return menu != NULL || shown;
        }, kMenuAppearsMs);
        drive(menu);
        CloseLeftovers(threadId, menu, shown);
    });
    g_dialogsCreated = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, CountDialogs, NULL, threadId);
    show();
    UnhookWindowsHookEx(hook);
    shown = true;
    driver.join();
    return g_dialogsCreated;
}

MenuOutcome RunMenuDriven(int32_t dialogId, ConfirmCallback confirm,
                          const std::function<void(HWND menu)>& drive) {
    MenuOutcome outcome = {0, 0, 0};
    outcome.dialogs = ShowWhileDriving([&] {
        outcome.raised = Protect([&] { outcome.button = RunMenu(dialogId, confirm); });
    }, drive);
    return outcome;
}

INT_PTR RunDialogDriven(int32_t dialogId, ConfirmCallback confirm,
                        const std::function<void(HWND menu)>& drive) {
    INT_PTR result = 0;
    ShowWhileDriving([&] {
        BitmapMenu menu(dialogId, confirm);
        Protect([&] { result = menu.Run(); });
        menu.TearDown();
    }, drive);
    return result;
}

int32_t DeclineButton(int32_t number) {
    RecordAsked(number);
    return 0;
}

int32_t AcceptButton(int32_t number) {
    RecordAsked(number);
    return 1;
}

int32_t RaiseForButton(int32_t number) {
    RecordAsked(number);
    RaiseError(-5);
    return 1;
}

void ForgetAskedButtons() {
    std::lock_guard<std::mutex> hold(g_askedLock);
    g_asked.clear();
}

std::vector<int32_t> AskedButtons() {
    std::lock_guard<std::mutex> hold(g_askedLock);
    return g_asked;
}

bool WaitForAsked(size_t count, DWORD timeoutMs) {
    return WaitUntil([&] { return AskedButtons().size() >= count; }, timeoutMs);
}

void ClickControl(HWND menu, int controlId) {
    // Posted, not sent: the click may open a modal confirmation, which must
    // not block the driving thread.
    PostMessageA(Control(menu, controlId), BM_CLICK, 0, 0);
}

void HoldMouseOn(HWND menu, int controlId) {
    PostMessageA(Control(menu, controlId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
}

void ReleaseMouseOutside(HWND menu, int controlId) {
    PostMessageA(Control(menu, controlId), WM_LBUTTONUP, 0, MAKELPARAM(0xFFFF, 0xFFFF));
}

RECT ControlRect(HWND menu, int controlId) {
    RECT rect = {0, 0, 0, 0};
    HWND control = Control(menu, controlId);
    if (!control) return rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(NULL, menu, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool MenuOpen(HWND menu) {
    return IsWindow(menu) && IsWindowVisible(menu);
}

LRESULT AnswerOf(HWND menu, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR answer = static_cast<DWORD_PTR>(-2);
    if (!SendMessageTimeoutA(menu, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &answer))
        return -2;
    return static_cast<LRESULT>(answer);
}
