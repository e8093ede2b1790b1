// The menu with the tests' own resource set (tests/fixture_resources),
// linked into this test program: its geometry and drawing in each language,
// the confirmation rule with real confirmation dialogs, and a SETUP.EXE
// built with the same resources showing it.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/bitmap_menu.h"
#include "app/confirm_button.h"
#include "app/language_bases.h"
#include "expected_pixels.h"
#include "fixture_ids.h"
#include "gui.h"
#include "menu_harness.h"
#include "processes.h"
#include "runtime/error_frame.h"
#include "screen.h"

namespace {

const int kClientWidth = FIXTURE_MENU_WIDTH;
const int kClientHeight = FIXTURE_MENU_HEIGHT;
const int kExit = FIXTURE_CONTROL_EXIT;
const int kAll = FIXTURE_CONTROL_ALL;
const int kGamma = FIXTURE_CONTROL_GAMMA;
const DWORD kDialogMs = 10000;

struct Language {
    const char* tag;
    int32_t dialogBase;
};
const Language kLanguages[] = {
    {"en", FIXTURE_BASE_ENGLISH}, {"fr", FIXTURE_BASE_FRENCH}, {"de", FIXTURE_BASE_GERMAN}};
const int32_t kEnglish = FIXTURE_BASE_ENGLISH;

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

class FixtureMenuTest : public testing::Test {
protected:
    void SetUp() override {
        ForgetAskedButtons();
        SetDialogBase(kEnglish);
    }
    void TearDown() override { SetDialogBase(kEnglish); }
};

TEST_F(FixtureMenuTest, EachLanguageFillsTheBackgroundWithItsButtonsInPlace) {
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.tag);
        std::vector<ExpectedButton> faces = RecordedTopFaces(language.dialogBase);
        ASSERT_EQ(3u, faces.size());
        RunMenuDriven(language.dialogBase, DeclineButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ExpectCentredWithoutFrame(menu);
            for (const RecordEntry& e : ReadButtonRecord(language.dialogBase)) {
                RECT actual = ControlRect(menu, e.controlId);
                const RECT& wanted = faces[e.number - 1].rect;
                EXPECT_TRUE(EqualRect(&actual, &wanted)) << "button " << e.number;
            }
            EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                          ExpectedMenu(language.dialogBase, faces)));
            Screenshot(menu, std::string("fixture_menu_") + language.tag);
            PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    }
}

// At the record's (10, 10), as wide as its 120 x 48 bitmap and half as high.
TEST_F(FixtureMenuTest, EnglishButtonTwoIsPlacedAndSizedFromItsBitmap) {
    RunMenuDriven(kEnglish, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT actual = ControlRect(menu, kAll);
        RECT wanted = {10, 10, 10 + 120, 10 + 24};
        EXPECT_TRUE(EqualRect(&actual, &wanted));
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
}

TEST_F(FixtureMenuTest, ButtonHeldDownShowsItsPressedFace) {
    RunMenuDriven(kEnglish, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT client = ClientOnScreen(menu);
        std::vector<ExpectedButton> faces = RecordedTopFaces(kEnglish);
        ASSERT_EQ(0, ScreenMismatches(client, ExpectedMenu(kEnglish, faces)));
        for (size_t held = 0; held < faces.size(); ++held) {
            SCOPED_TRACE(held + 1);
            std::vector<ExpectedButton> pressed = faces;
            pressed[held].faceTop = TestBitmap(faces[held].bitmapId).Height() / 2;
            HoldMouseOn(menu, FIXTURE_FIRST_CONTROL + static_cast<int>(held));
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(kEnglish, pressed)));
            if (held == 1) Screenshot(menu, "fixture_menu_en_button2_held");
            ReleaseMouseOutside(menu, FIXTURE_FIRST_CONTROL + static_cast<int>(held));
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(kEnglish, faces)));
        }
        PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    EXPECT_TRUE(AskedButtons().empty());
}

// The exit button closes the menu by itself, before anything else would.
TEST_F(FixtureMenuTest, ExitButtonStopsQuietlyWithoutConfirmation) {
    MenuOutcome outcome = RunMenuDriven(kEnglish, ConfirmButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ClickControl(menu, kExit);
        EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, kDialogMs));
    });
    EXPECT_EQ(kQuietStop, outcome.raised);
    EXPECT_EQ(1, outcome.dialogs);   // the menu, and no confirmation
}

// Button numbers 1 and below never ask: there is no dialog B + 49 or below
// to ask with, so only a raise can end them.
TEST_F(FixtureMenuTest, ConfirmButtonRaisesForOneAndBelow) {
    for (int32_t number : {1, 0, -1}) {
        int dialogs = ShowWhileDriving([&] {
            EXPECT_EQ(kQuietStop, Protect([&] { ConfirmButton(number); })) << number;
        }, [](HWND) {});
        EXPECT_EQ(0, dialogs);
    }
}

// Cancel keeps the menu open, and every later press asks again.
TEST_F(FixtureMenuTest, CancelledConfirmationKeepsTheMenuOpen) {
    MenuOutcome outcome = RunMenuDriven(kEnglish, ConfirmButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        struct Step {
            int control;
            const char* text;
            int answer;
        };
        for (const Step& step : {Step{kAll, "Fixture: the three", IDCANCEL},
                                 Step{kGamma, "Fixture: gamma alone", IDCANCEL},
                                 Step{kAll, "Fixture: the three", IDCANCEL},
                                 Step{kGamma, "Fixture: gamma alone", IDOK}}) {
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
    EXPECT_EQ(3, outcome.button);
    EXPECT_EQ(5, outcome.dialogs);
}

TEST_F(FixtureMenuTest, ConfirmedButtonEndsTheMenuWithItsNumber) {
    struct Case {
        int32_t dialogBase;
        int control;
        const char* text;
        int32_t number;
    };
    for (const Case& c : {Case{kEnglish, kAll, "Fixture: the three", 2},
                          Case{kEnglish, kGamma, "Fixture: gamma alone", 3},
                          Case{FIXTURE_BASE_FRENCH, kGamma, "Fixture : gamma seul", 3},
                          Case{FIXTURE_BASE_GERMAN, kAll, "Fixture: die drei", 2}}) {
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
    ASSERT_TRUE(setup.Start("\"" + TestEnvironment("FIXTURE_SETUP_EXE") + "\""));
    HWND menu = WaitForDialog(setup.id(), kDialogMs);
    ASSERT_NE(nullptr, menu);
    ExpectCentredWithoutFrame(menu);
    EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                  ExpectedMenu(kEnglish, RecordedTopFaces(kEnglish))));
    struct Press {
        int control;
        const char* text;
    };
    for (const Press& press : {Press{kAll, "Fixture: the three"},
                               Press{kGamma, "Fixture: gamma alone"}}) {
        SCOPED_TRACE(press.text);
        PressButton(menu, press.control);
        HWND confirmation = WaitForDialog(setup.id(), kDialogMs, press.text);
        ASSERT_NE(nullptr, confirmation);
        PressButton(confirmation, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(confirmation, kDialogMs));
        EXPECT_TRUE(MenuOpen(menu));
    }
    PressButton(menu, kExit);
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
