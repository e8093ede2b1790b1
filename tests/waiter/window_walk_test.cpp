// The waiter's walk over the desktop's windows, with real top-level windows
// of this test program: one of them destroys itself when the walk asks for
// its text, which cuts the walk short as a window closed by its program
// during a poll would.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "waiter/window_walk.h"

namespace {

const char kClass[] = "WindowWalkTestWindow";
const char kTrapText[] = "Walk trap";

LRESULT CALLBACK WalkTestProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXTLENGTH && GetPropA(window, "trap")) {
        RemovePropA(window, "trap");
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND NewWindow(const std::string& text, bool trap) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof windowClass);
        windowClass.lpfnWndProc = WalkTestProc;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = kClass;
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND window = CreateWindowExA(0, kClass, text.c_str(), WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL,
                                  GetModuleHandleA(NULL), NULL);
    if (window && trap) SetPropA(window, "trap", reinterpret_cast<HANDLE>(1));
    return window;
}

void Place(HWND window, HWND after) {
    SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::string TitleOfThisRun(const char* tag) {
    return std::string("Walk target ") + tag + " " + std::to_string(GetCurrentProcessId());
}

TEST(WindowWalk, FindsAHiddenWindowWithTheTitle) {
    std::string title = TitleOfThisRun("plain");
    EXPECT_EQ(kTitleAbsent, SearchTopLevelWindows(title.c_str(), NULL));
    HWND target = NewWindow(title, false);
    ASSERT_NE(nullptr, target);
    Place(target, HWND_BOTTOM);
    EXPECT_EQ(kTitlePresent, SearchTopLevelWindows(title.c_str(), NULL));
    DestroyWindow(target);
    EXPECT_EQ(kTitleAbsent, SearchTopLevelWindows(title.c_str(), NULL));
}

// The titled window lies below the one destroyed during the walk: the walk
// never reached it, so the poll has not read the desktop.
TEST(WindowWalk, AWalkCutShortByADestroyedWindowIsNotRead) {
    std::string title = TitleOfThisRun("below");
    HWND target = NewWindow(title, false);
    HWND trap = NewWindow(kTrapText, true);
    ASSERT_NE(nullptr, target);
    ASSERT_NE(nullptr, trap);
    Place(target, HWND_BOTTOM);
    Place(trap, HWND_TOP);
    ASSERT_EQ(trap, GetWindow(GetDesktopWindow(), GW_CHILD)) << "the trap is not the first window";
    EXPECT_EQ(kTitleUnread, SearchTopLevelWindows(title.c_str(), NULL));
    EXPECT_FALSE(IsWindow(trap)) << "the walk did not ask the trap for its text";
    EXPECT_EQ(kTitlePresent, SearchTopLevelWindows(title.c_str(), NULL)) << "the next walk reads everything";
    DestroyWindow(target);
}

// A title found before the walk was cut short is there, whatever came after.
TEST(WindowWalk, ATitleFoundBeforeTheCutIsPresent) {
    std::string title = TitleOfThisRun("above");
    HWND trap = NewWindow(kTrapText, true);
    HWND target = NewWindow(title, false);
    ASSERT_NE(nullptr, target);
    ASSERT_NE(nullptr, trap);
    Place(trap, HWND_TOP);
    Place(target, HWND_TOP);
    EXPECT_EQ(kTitlePresent, SearchTopLevelWindows(title.c_str(), NULL));
    EXPECT_FALSE(IsWindow(trap));
    DestroyWindow(target);
}

// The waiter's own dialog is left out of the walk: with "Tarrywin" as the
// title it would be found at every poll and never go. Another window with
// that text still counts.
TEST(WindowWalk, LeavesOutTheWaitersOwnWindow) {
    std::string title = TitleOfThisRun("own");
    HWND own = NewWindow(title, false);
    ASSERT_NE(nullptr, own);
    EXPECT_EQ(kTitleAbsent, SearchTopLevelWindows(title.c_str(), own));
    EXPECT_EQ(kTitlePresent, SearchTopLevelWindows(title.c_str(), NULL));
    HWND other = NewWindow(title, false);
    ASSERT_NE(nullptr, other);
    EXPECT_EQ(kTitlePresent, SearchTopLevelWindows(title.c_str(), own)) << "another window with the text";
    DestroyWindow(other);
    EXPECT_EQ(kTitleAbsent, SearchTopLevelWindows(title.c_str(), own));
    DestroyWindow(own);
}

}  // namespace
