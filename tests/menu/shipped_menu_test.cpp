// The menu with the shipped resources, linked into this test program: its
// geometry and drawing in each language, the confirmation rule with the real
// confirmation dialogs, and SETUP.EXE itself showing it.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/bitmap_menu.h"
#include "app/confirm_button.h"
#include "app/language_bases.h"
#include "expected_pixels.h"
#include "gui.h"
#include "menu_harness.h"
#include "processes.h"
#include "runtime/error_frame.h"
#include "screen.h"

namespace {

const int kClientWidth = 488;
const int kClientHeight = 242;
const DWORD kDialogMs = 10000;

struct Language {
    const char* tag;
    int32_t dialogBase;
};
const Language kLanguages[] = {{"en", 100}, {"fr", 200}, {"de", 300}};

// One entry of a button record, read straight from the resource bytes.
struct RecordEntry {
    int number;
    int x, y, bitmapId, controlId;
};

std::vector<RecordEntry> ButtonRecord(int32_t dialogBase) {
    std::vector<RecordEntry> entries;
    HRSRC info = FindResourceA(NULL, MAKEINTRESOURCEA(dialogBase), "BUTTON");
    if (!info) return entries;
    const int16_t* words = static_cast<const int16_t*>(LockResource(LoadResource(NULL, info)));
    for (int k = 0; k < words[0]; ++k) {
        const int16_t* e = words + 1 + 4 * k;
        entries.push_back({k + 1, e[0], e[1], static_cast<uint16_t>(e[2]), e[3]});
    }
    return entries;
}

// Where each control must be: at its record position, as wide as its
// bitmap and half as high.
std::vector<ExpectedButton> TopFaces(int32_t dialogBase) {
    std::vector<ExpectedButton> faces;
    for (const RecordEntry& e : ButtonRecord(dialogBase)) {
        TestBitmap bitmap(e.bitmapId);
        RECT rect = {e.x, e.y, e.x + bitmap.Width(), e.y + bitmap.Height() / 2};
        faces.push_back({rect, e.bitmapId, 0});
    }
    return faces;
}

void Screenshot(HWND menu, const std::string& name) {
    RECT window;
    GetWindowRect(menu, &window);
    EXPECT_TRUE(SaveBitmap(CaptureScreen(window), ScreenshotPath(name)));
}

void ExpectCentredWithoutFrame(HWND menu) {
    RECT client = ClientOnScreen(menu), window;
    GetWindowRect(menu, &window);
    EXPECT_EQ(kClientWidth, client.right - client.left);
    EXPECT_EQ(kClientHeight, client.bottom - client.top);
    EXPECT_TRUE(EqualRect(&client, &window));   // no caption, no border
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - kClientWidth) / 2, window.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - kClientHeight) / 2, window.top);
}

class ShippedMenuTest : public testing::Test {
protected:
    void SetUp() override {
        ForgetAskedButtons();
        SetDialogBase(100);
    }
    void TearDown() override { SetDialogBase(100); }
};

TEST_F(ShippedMenuTest, EachLanguageFillsTheBackgroundWithItsButtonsInPlace) {
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.tag);
        std::vector<ExpectedButton> faces = TopFaces(language.dialogBase);
        ASSERT_EQ(4u, faces.size());
        RunMenuDriven(language.dialogBase, DeclineButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ExpectCentredWithoutFrame(menu);
            for (const RecordEntry& e : ButtonRecord(language.dialogBase)) {
                RECT actual = ControlRect(menu, e.controlId);
                const RECT& wanted = faces[e.number - 1].rect;
                EXPECT_TRUE(EqualRect(&actual, &wanted)) << "button " << e.number;
            }
            EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                          ExpectedMenu(language.dialogBase, faces)));
            Screenshot(menu, std::string("menu_") + language.tag);
            PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    }
}

TEST_F(ShippedMenuTest, EnglishButtonTwoIsPlacedAndSizedFromItsBitmap) {
    RunMenuDriven(100, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT actual = ControlRect(menu, 101);
        RECT wanted = {21, 41, 21 + 447, 41 + 46};
        EXPECT_TRUE(EqualRect(&actual, &wanted));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(ShippedMenuTest, ButtonHeldDownShowsItsPressedFace) {
    RunMenuDriven(100, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT client = ClientOnScreen(menu);
        std::vector<ExpectedButton> faces = TopFaces(100);
        ASSERT_EQ(0, ScreenMismatches(client, ExpectedMenu(100, faces)));
        for (size_t held = 0; held < faces.size(); ++held) {
            SCOPED_TRACE(held + 1);
            std::vector<ExpectedButton> pressed = faces;
            pressed[held].faceTop = TestBitmap(faces[held].bitmapId).Height() / 2;
            HoldMouseOn(menu, 100 + static_cast<int>(held));
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(100, pressed)));
            if (held == 1) Screenshot(menu, "menu_en_button2_held");
            ReleaseMouseOutside(menu, 100 + static_cast<int>(held));
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(100, faces)));
        }
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(AskedButtons().empty());
}

// The exit button closes the menu by itself, before anything else would.
TEST_F(ShippedMenuTest, ExitButtonStopsQuietlyWithoutConfirmation) {
    MenuOutcome outcome = RunMenuDriven(100, ConfirmButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ClickControl(menu, 100);
        EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, kDialogMs));
    });
    EXPECT_EQ(kQuietStop, outcome.raised);
    EXPECT_EQ(1, outcome.dialogs);   // the menu, and no confirmation
}

// Button numbers 1 and below never ask: there is no dialog B + 49 or below
// to ask with, so only a raise can end them.
TEST_F(ShippedMenuTest, ConfirmButtonRaisesForOneAndBelow) {
    for (int32_t number : {1, 0, -1}) {
        int dialogs = ShowWhileDriving([&] {
            EXPECT_EQ(kQuietStop, Protect([&] { ConfirmButton(number); })) << number;
        }, [](HWND) {});
        EXPECT_EQ(0, dialogs);
    }
}

// Cancel keeps the menu open, and every later press asks again.
TEST_F(ShippedMenuTest, CancelledConfirmationKeepsTheMenuOpen) {
    MenuOutcome outcome = RunMenuDriven(100, ConfirmButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        struct Step {
            int control;
            const char* text;
            int answer;
        };
        for (const Step& step : {Step{101, "Installing all items.", IDCANCEL},
                                 Step{102, "Installing applications.", IDCANCEL},
                                 Step{101, "Installing all items.", IDCANCEL},
                                 Step{103, "Installing TWAIN driver.", IDOK}}) {
            SCOPED_TRACE(step.text);
            ClickControl(menu, step.control);
            HWND confirmation = WaitForDialog(GetCurrentProcessId(), kDialogMs, step.text);
            ASSERT_NE(nullptr, confirmation);
            PressButton(confirmation, step.answer);
            EXPECT_TRUE(WaitForWindowGone(confirmation, kDialogMs));
            if (step.answer == IDCANCEL) EXPECT_TRUE(MenuOpen(menu));
        }
    });
    EXPECT_EQ(0, outcome.raised);
    EXPECT_EQ(4, outcome.button);
    EXPECT_EQ(5, outcome.dialogs);
}

TEST_F(ShippedMenuTest, ConfirmedButtonEndsTheMenuWithItsNumber) {
    struct Case {
        int32_t dialogBase;
        int control;
        const char* text;
        int32_t number;
    };
    for (const Case& c : {Case{100, 101, "Installing all items.", 2},
                          Case{100, 102, "Installing applications.", 3},
                          Case{100, 103, "Installing TWAIN driver.", 4},
                          Case{200, 103, "Installation du pilote TWAIN", 4},
                          Case{300, 102, "Anwendungen werden installiert.", 3}}) {
        SCOPED_TRACE(c.text);
        SetDialogBase(static_cast<uint32_t>(c.dialogBase));
        MenuOutcome outcome = RunMenuDriven(c.dialogBase, ConfirmButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ClickControl(menu, c.control);
            HWND confirmation = WaitForDialog(GetCurrentProcessId(), kDialogMs, c.text);
            ASSERT_NE(nullptr, confirmation);
            PressButton(confirmation, IDOK);
        });
        EXPECT_EQ(0, outcome.raised);
        EXPECT_EQ(c.number, outcome.button);
        EXPECT_EQ(2, outcome.dialogs);
    }
}

// SETUP.EXE shows the English menu; its confirmations come up and Cancel
// keeps it; the exit button ends the program with no confirmation.
TEST(SetupProgram, ShowsTheMenuAndExitsFromTheExitButton) {
    Program setup;
    ASSERT_TRUE(setup.Start("\"" + TestEnvironment("SETUP_EXE") + "\""));
    HWND menu = WaitForDialog(setup.id(), kDialogMs);
    ASSERT_NE(nullptr, menu);
    ExpectCentredWithoutFrame(menu);
    EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu), ExpectedMenu(100, TopFaces(100))));
    struct Press {
        int control;
        const char* text;
    };
    for (const Press& press : {Press{101, "Installing all items."},
                               Press{102, "Installing applications."},
                               Press{103, "Installing TWAIN driver."}}) {
        SCOPED_TRACE(press.text);
        PressButton(menu, press.control);
        HWND confirmation = WaitForDialog(setup.id(), kDialogMs, press.text);
        ASSERT_NE(nullptr, confirmation);
        PressButton(confirmation, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(confirmation, kDialogMs));
        EXPECT_TRUE(MenuOpen(menu));
    }
    PressButton(menu, 100);
    bool onlyTheMenu = true;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(setup.id(), "#32770"))
            if (dialog != menu) onlyTheMenu = false;
        return !setup.Running();
    }, kDialogMs);
    EXPECT_EQ(0, setup.WaitForExit(kDialogMs));
    EXPECT_TRUE(onlyTheMenu);
}

}  // namespace
