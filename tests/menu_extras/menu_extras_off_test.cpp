// The menu variant of the launcher with a resource set that chooses no
// behaviour (no OPTIONS resource): it behaves as the plain launcher. Tab,
// Enter and Escape draw and press nothing, the mouse over a button changes
// no face, the buttons carry no text, and a done button keeps its face.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/bitmap_menu.h"
#include "app/menu_options.h"
#include "expected_pixels.h"
#include "fixture_ids.h"
#include "gui.h"
#include "menu_harness.h"
#include "processes.h"
#include "screen.h"

namespace {

const int32_t kEnglish = FIXTURE_BASE_ENGLISH;

void TypeKey(BYTE key) {
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, 0)), 0, 0);
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, 0)), KEYEVENTF_KEYUP, 0);
}

int TopFaceMismatches(HWND menu) {
    return ScreenMismatches(ClientOnScreen(menu), ExpectedMenu(kEnglish, RecordedTopFaces(kEnglish)));
}

TEST(MenuVariantWithoutOptions, ChoosesNothing) {
    EXPECT_EQ(0u, MenuOptions());
}

TEST(MenuVariantWithoutOptions, KeysDrawAndPressNothing) {
    ForgetAskedButtons();
    SetCursorPos(0, 0);
    RunMenuDriven(kEnglish, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        SetForegroundWindow(menu);
        ASSERT_EQ(0, TopFaceMismatches(menu));
        for (BYTE key : {VK_TAB, VK_RETURN, VK_ESCAPE, VK_TAB}) {
            SCOPED_TRACE(key);
            TypeKey(key);
            Sleep(300);
            EXPECT_EQ(0, TopFaceMismatches(menu));
        }
        EXPECT_FALSE(WaitForAsked(1, 1000));
        EXPECT_TRUE(MenuOpen(menu));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(AskedButtons().empty());
}

TEST(MenuVariantWithoutOptions, MouseNamesAndDoneChangeNothing) {
    MarkButtonDone(2);
    RunMenuDriven(kEnglish, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        for (int control : {FIXTURE_CONTROL_EXIT, FIXTURE_CONTROL_ALL, FIXTURE_CONTROL_GAMMA}) {
            SCOPED_TRACE(control);
            RECT rect = WindowRectOf(GetDlgItem(menu, control));
            SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
            Sleep(300);
            EXPECT_EQ(0, TopFaceMismatches(menu));
            EXPECT_EQ("", WindowText(GetDlgItem(menu, control)));
        }
        EXPECT_EQ("", WindowText(menu));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

}  // namespace
