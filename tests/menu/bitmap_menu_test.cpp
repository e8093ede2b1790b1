// The bitmap menu on a real window, built from this program's own test
// resources (data/menu_test.rc), which carry no palette.
#include <gtest/gtest.h>
#include <stdint.h>
#include <vector>
#include "app/bitmap_menu.h"
#include "app/dib_resource.h"
#include "data/menu_test_ids.h"
#include "expected_pixels.h"
#include "gui.h"
#include "menu_harness.h"
#include "processes.h"

namespace {

struct Placement {
    int controlId;
    RECT rect;       // in the client area
    int bitmapId;    // whose top face it shows
};

RECT Rect(int x, int y, int width, int height) {
    RECT rect = {x, y, x + width, y + height};
    return rect;
}

// MENU_PLAIN: each control at its record position, as wide as its bitmap
// and half as high, rounded down (65 rows give 32).
const std::vector<Placement> kPlain = {
    {CONTROL_A, Rect(20, 20, 60, 20), BITMAP_WIDE},
    {CONTROL_B, Rect(20, 70, 45, 15), BITMAP_SMALL},
    {CONTROL_C, Rect(120, 20, 37, 32), BITMAP_ODD_HEIGHT},
};

const int kBackgroundWidth = 240;
const int kBackgroundHeight = 140;

std::vector<ExpectedButton> TopFaces(const std::vector<Placement>& placements) {
    std::vector<ExpectedButton> faces;
    for (const Placement& p : placements) faces.push_back({p.rect, p.bitmapId, 0});
    return faces;
}

void ExpectPlaced(HWND menu, const std::vector<Placement>& placements) {
    for (const Placement& p : placements) {
        RECT actual = ControlRect(menu, p.controlId);
        EXPECT_TRUE(EqualRect(&actual, &p.rect))
            << "control " << p.controlId << " at (" << actual.left << ", " << actual.top
            << ") " << actual.right - actual.left << " x " << actual.bottom - actual.top;
    }
}

void CloseMenu(HWND menu) {
    PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
}

class BitmapMenuTest : public testing::Test {
protected:
    void SetUp() override { ForgetAskedButtons(); }
};

TEST_F(BitmapMenuTest, ClientAreaIsTheBackgroundCentredWithoutFrame) {
    MenuOutcome outcome = RunMenuDriven(MENU_PLAIN, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT client = ClientOnScreen(menu), window;
        GetWindowRect(menu, &window);
        EXPECT_EQ(kBackgroundWidth, client.right - client.left);
        EXPECT_EQ(kBackgroundHeight, client.bottom - client.top);
        // The template declares neither caption nor border, so the window
        // is exactly its client area.
        EXPECT_TRUE(EqualRect(&client, &window));
        EXPECT_EQ(0, GetWindowLongA(menu, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - kBackgroundWidth) / 2, window.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - kBackgroundHeight) / 2, window.top);
        ExpectPlaced(menu, kPlain);
        CloseMenu(menu);
    });
    EXPECT_EQ(kQuietStop, outcome.raised);
    EXPECT_EQ(1, outcome.dialogs);
}

// The frame comes from the template, plain or extended, while the client
// area stays the background's size.
TEST_F(BitmapMenuTest, FrameFollowsTheTemplate) {
    struct Case {
        int menuId;
        LONG frame;
    };
    for (const Case& c : std::vector<Case>{{MENU_CAPTION, WS_CAPTION},
                                           {MENU_EXTENDED_TEMPLATE, WS_CAPTION | WS_THICKFRAME}}) {
        SCOPED_TRACE(c.menuId);
        RunMenuDriven(c.menuId, DeclineButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            EXPECT_EQ(c.frame, GetWindowLongA(menu, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
            RECT client = ClientOnScreen(menu), window;
            GetWindowRect(menu, &window);
            EXPECT_EQ(kBackgroundWidth, client.right - client.left);
            EXPECT_EQ(kBackgroundHeight, client.bottom - client.top);
            EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (window.right - window.left)) / 2, window.left);
            EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top)) / 2, window.top);
            EXPECT_GT(client.top, window.top);   // a caption above the client area
            CloseMenu(menu);
        });
    }
}

TEST_F(BitmapMenuTest, ButtonsShowTheTopFaceAndTheBottomFaceWhileHeldDown) {
    RunMenuDriven(MENU_PLAIN, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        RECT client = ClientOnScreen(menu);
        EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(MENU_PLAIN, TopFaces(kPlain))));
        for (size_t held = 0; held < kPlain.size(); ++held) {
            SCOPED_TRACE(kPlain[held].controlId);
            std::vector<ExpectedButton> faces = TopFaces(kPlain);
            // Pressed: the second half of the picture. For the 65-row
            // bitmap that is rows 32 to 63; row 64 is never shown.
            faces[held].faceTop = TestBitmap(kPlain[held].bitmapId).Height() / 2;
            HoldMouseOn(menu, kPlain[held].controlId);
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(MENU_PLAIN, faces)));
            ReleaseMouseOutside(menu, kPlain[held].controlId);
            EXPECT_EQ(0, ScreenMismatches(client, ExpectedMenu(MENU_PLAIN, TopFaces(kPlain))));
        }
        EXPECT_TRUE(AskedButtons().empty());   // let go outside: no press
        CloseMenu(menu);
    });
}

// Button numbers are the order of the record's entries, not the control
// ids; exchanging two entries exchanges their numbers but not their places.
TEST_F(BitmapMenuTest, ButtonNumbersFollowTheRecordOrder) {
    struct Case {
        int menuId;
        std::vector<int32_t> numbersOfABC;
    };
    for (const Case& c : std::vector<Case>{{MENU_PLAIN, {1, 2, 3}}, {MENU_EXCHANGED, {2, 1, 3}}}) {
        SCOPED_TRACE(c.menuId);
        ForgetAskedButtons();
        RunMenuDriven(c.menuId, DeclineButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ExpectPlaced(menu, kPlain);
            EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                          ExpectedMenu(c.menuId, TopFaces(kPlain))));
            for (int control : {CONTROL_A, CONTROL_B, CONTROL_C}) ClickControl(menu, control);
            WaitForAsked(3);
            CloseMenu(menu);
        });
        EXPECT_EQ(c.numbersOfABC, AskedButtons());
    }
}

TEST_F(BitmapMenuTest, DeclinedPressKeepsTheMenuOpenAndTheNextPressIsAskedTheSame) {
    MenuOutcome outcome = RunMenuDriven(MENU_PLAIN, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ClickControl(menu, CONTROL_B);
        ASSERT_TRUE(WaitForAsked(1));
        EXPECT_TRUE(MenuOpen(menu));
        ClickControl(menu, CONTROL_C);
        ClickControl(menu, CONTROL_B);
        ASSERT_TRUE(WaitForAsked(3));
        EXPECT_TRUE(MenuOpen(menu));
        CloseMenu(menu);
    });
    EXPECT_EQ((std::vector<int32_t>{2, 3, 2}), AskedButtons());
    EXPECT_EQ(kQuietStop, outcome.raised);
}

TEST_F(BitmapMenuTest, ConfirmedPressEndsTheMenuWithTheButtonNumber) {
    for (int control : {CONTROL_A, CONTROL_B, CONTROL_C}) {
        SCOPED_TRACE(control);
        MenuOutcome outcome = RunMenuDriven(MENU_EXCHANGED, AcceptButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ClickControl(menu, control);
        });
        EXPECT_EQ(0, outcome.raised);
        EXPECT_EQ(control == CONTROL_A ? 2 : control == CONTROL_B ? 1 : 3, outcome.button);
    }
}

// A raise from the callback ends the dialog with -1 inside the menu, and
// RunMenu turns that into a quiet stop.
TEST_F(BitmapMenuTest, RaiseFromTheCallbackEndsTheMenuQuietly) {
    EXPECT_EQ(-1, RunDialogDriven(MENU_PLAIN, RaiseForButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ClickControl(menu, CONTROL_A);
        EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, 5000));
    }));
    MenuOutcome outcome = RunMenuDriven(MENU_PLAIN, RaiseForButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        ClickControl(menu, CONTROL_C);
        EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, 5000));
    });
    EXPECT_EQ(kQuietStop, outcome.raised);
    EXPECT_EQ(1, outcome.dialogs);
    EXPECT_EQ((std::vector<int32_t>{1, 3}), AskedButtons());
}

TEST_F(BitmapMenuTest, CloseCommandWithAnyLowBitsEndsWithMinusOne) {
    for (WPARAM command : {WPARAM(SC_CLOSE), WPARAM(SC_CLOSE | 1), WPARAM(SC_CLOSE | 0xF)}) {
        SCOPED_TRACE(command);
        EXPECT_EQ(-1, RunDialogDriven(MENU_PLAIN, AcceptButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            PostMessageA(menu, WM_SYSCOMMAND, command, 0);
            EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, 5000));
        }));
        MenuOutcome outcome = RunMenuDriven(MENU_PLAIN, AcceptButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            PostMessageA(menu, WM_SYSCOMMAND, command, 0);
            EXPECT_TRUE(WaitUntil([&] { return !MenuOpen(menu); }, 5000));
        });
        EXPECT_EQ(kQuietStop, outcome.raised);
    }
    EXPECT_TRUE(AskedButtons().empty());
}

// Enter and Escape become IDOK and IDCANCEL, which no button carries. Posted
// messages are handled in order, so once the later click is asked about, the
// keys have been handled and have done nothing. Another system command gets
// the default handling and closes nothing either.
TEST_F(BitmapMenuTest, EnterEscapeAndOtherSystemCommandsDoNothing) {
    MenuOutcome outcome = RunMenuDriven(MENU_PLAIN, AcceptButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        PressKey(menu, VK_RETURN);
        PressKey(menu, VK_ESCAPE);
        PostMessageA(menu, WM_SYSCOMMAND, SC_RESTORE, 0);
        ClickControl(menu, CONTROL_C);
    });
    EXPECT_EQ(0, outcome.raised);
    EXPECT_EQ(3, outcome.button);
    EXPECT_EQ((std::vector<int32_t>{3}), AskedButtons());
}

// Without a PALETTE resource the menu is drawn all the same, and both
// palette messages are answered 0.
TEST_F(BitmapMenuTest, WithoutPaletteMenuIsShownAndPaletteMessagesAnswerZero) {
    RunMenuDriven(MENU_PLAIN, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                      ExpectedMenu(MENU_PLAIN, TopFaces(kPlain))));
        EXPECT_EQ(0, AnswerOf(menu, WM_QUERYNEWPALETTE, 0, 0));
        EXPECT_EQ(0, AnswerOf(menu, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(GetDesktopWindow()), 0));
        EXPECT_EQ(0, AnswerOf(menu, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(menu), 0));
        EXPECT_TRUE(MenuOpen(menu));
        CloseMenu(menu);
    });
}

// Two entries name control A. The first decides what it draws and which
// number a press asks about; every entry places its control, so the second
// one decides where it sits. Its own number is never asked.
TEST_F(BitmapMenuTest, SameControlTwiceFirstEntryDecides) {
    RunMenuDriven(MENU_SAME_CONTROL, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        std::vector<Placement> shown = {
            {CONTROL_A, Rect(150, 80, 60, 20), BITMAP_WIDE},
            {CONTROL_B, Rect(20, 70, 45, 15), BITMAP_SMALL},
        };
        ExpectPlaced(menu, shown);
        EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                      ExpectedMenu(MENU_SAME_CONTROL, TopFaces(shown))));
        std::vector<ExpectedButton> held = TopFaces(shown);
        held[0].faceTop = TestBitmap(BITMAP_WIDE).Height() / 2;
        HoldMouseOn(menu, CONTROL_A);
        EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu), ExpectedMenu(MENU_SAME_CONTROL, held)));
        ReleaseMouseOutside(menu, CONTROL_A);
        ClickControl(menu, CONTROL_A);
        ClickControl(menu, CONTROL_B);
        ClickControl(menu, CONTROL_A);
        WaitForAsked(3);
        CloseMenu(menu);
    });
    EXPECT_EQ((std::vector<int32_t>{1, 3, 1}), AskedButtons());
}

// Entry 2 names a control the template lacks: nothing is placed or drawn for
// it, and the entries after it keep their numbers.
TEST_F(BitmapMenuTest, EntryWithoutControlPlacesNothingButKeepsNumbering) {
    RunMenuDriven(MENU_NO_SUCH_CONTROL, DeclineButton, [](HWND menu) {
        ASSERT_NE(nullptr, menu);
        std::vector<Placement> shown = {
            {CONTROL_A, Rect(20, 20, 60, 20), BITMAP_WIDE},
            {CONTROL_B, Rect(20, 70, 45, 15), BITMAP_SMALL},
        };
        ExpectPlaced(menu, shown);
        EXPECT_EQ(nullptr, GetDlgItem(menu, CONTROL_ABSENT));
        // Where entry 2 would sit, the background shows.
        EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                      ExpectedMenu(MENU_NO_SUCH_CONTROL, TopFaces(shown))));
        ClickControl(menu, CONTROL_B);
        ClickControl(menu, CONTROL_A);
        WaitForAsked(2);
        CloseMenu(menu);
    });
    EXPECT_EQ((std::vector<int32_t>{3, 1}), AskedButtons());
}

// A menu without buttons still shows; its template's controls ask nothing.
// The close is posted after the clicks, so it is handled after them.
TEST_F(BitmapMenuTest, CountZeroOrLessMeansNoButtons) {
    for (int menuId : {MENU_NO_BUTTONS, MENU_NEGATIVE_COUNT}) {
        SCOPED_TRACE(menuId);
        MenuOutcome outcome = RunMenuDriven(menuId, AcceptButton, [](HWND menu) {
            ASSERT_NE(nullptr, menu);
            RECT client = ClientOnScreen(menu);
            EXPECT_EQ(kBackgroundWidth, client.right - client.left);
            EXPECT_EQ(kBackgroundHeight, client.bottom - client.top);
            ClickControl(menu, CONTROL_A);
            ClickControl(menu, CONTROL_B);
            CloseMenu(menu);
        });
        EXPECT_EQ(kQuietStop, outcome.raised);
    }
    EXPECT_TRUE(AskedButtons().empty());
}

// Whatever the menu cannot be built from stops it quietly before any window
// exists: a missing piece, and a record or bitmap shorter than it says, which
// counts as missing.
TEST_F(BitmapMenuTest, MissingPiecesStopQuietlyShowingNothing) {
    for (int menuId : {MENU_MISSING_BUTTON_BITMAP, MENU_NO_SUCH_CONTROL_NO_BITMAP,
                       MENU_MISSING_BACKGROUND, MENU_MISSING_BUTTON_RECORD,
                       MENU_SHORT_BUTTON_RECORD, MENU_ONE_BYTE_BUTTON_RECORD,
                       MENU_CUT_BACKGROUND, MENU_CUT_BUTTON_PIXELS, MENU_CUT_BUTTON_TABLE,
                       MENU_CUT_BUTTON_HEADER, MENU_MISSING_TEMPLATE, 12345}) {
        SCOPED_TRACE(menuId);
        HWND seen = NULL;
        MenuOutcome outcome = RunMenuDriven(menuId, AcceptButton, [&](HWND menu) { seen = menu; });
        EXPECT_EQ(kQuietStop, outcome.raised);
        EXPECT_EQ(0, outcome.dialogs);
        EXPECT_EQ(nullptr, seen);
    }
    EXPECT_TRUE(AskedButtons().empty());
}

// The bound that keeps drawing inside a bitmap resource.
TEST(PackedDibFits, OnlyAWholeBitmapFits) {
    struct Dib {
        BITMAPINFOHEADER header;
        BYTE rest[4 * 256 + 64];
    };
    auto make = [](int width, int height, WORD bits, DWORD used, DWORD compression, DWORD image) {
        Dib dib = {};
        dib.header.biSize = sizeof dib.header;
        dib.header.biWidth = width;
        dib.header.biHeight = height;
        dib.header.biPlanes = 1;
        dib.header.biBitCount = bits;
        dib.header.biClrUsed = used;
        dib.header.biCompression = compression;
        dib.header.biSizeImage = image;
        return dib;
    };
    struct Case {
        const char* what;
        Dib dib;
        DWORD size;
        bool fits;
    };
    const DWORD header = sizeof(BITMAPINFOHEADER);
    const std::vector<Case> cases = {
        // 5 x 3 at 8 bits: rows padded to 8 bytes, 256 table entries.
        {"exact", make(5, 3, 8, 0, BI_RGB, 0), header + 1024 + 24, true},
        {"one byte short", make(5, 3, 8, 0, BI_RGB, 0), header + 1024 + 23, false},
        {"top-down rows count the same", make(5, -3, 8, 0, BI_RGB, 0), header + 1024 + 24, true},
        {"short table from biClrUsed", make(5, 3, 8, 16, BI_RGB, 0), header + 64 + 24, true},
        {"24 bits, no table", make(5, 3, 24, 0, BI_RGB, 0), header + 48, true},
        {"24 bits, one byte short", make(5, 3, 24, 0, BI_RGB, 0), header + 47, false},
        {"compressed: its own size", make(5, 3, 8, 0, BI_RLE8, 10), header + 1024 + 10, true},
        {"compressed, short", make(5, 3, 8, 0, BI_RLE8, 10), header + 1024 + 9, false},
        {"huge height", make(5, 0x7FFFFFFF, 8, 0, BI_RGB, 0), header + 1024 + 24, false},
        {"huge width", make(0x7FFFFFFF, 3, 8, 0, BI_RGB, 0), header + 1024 + 24, false},
        {"16 bits with masks", make(5, 3, 16, 0, BI_BITFIELDS, 0), header + 12 + 36, true},
        {"16 bits without room for masks", make(5, 3, 16, 0, BI_BITFIELDS, 0), header + 36, false},
        {"compressed without its size", make(5, 3, 8, 0, BI_RLE8, 0), header + 1024 + 64, false},
        {"no pixel depth", make(5, 3, 0, 0, BI_RGB, 0), header + 1024 + 64, false},
        {"an unknown pixel depth", make(5, 3, 7, 0, BI_RGB, 0), header + 1024 + 64, false},
        {"a height with no magnitude", make(0, INT32_MIN, 8, 0, BI_RGB, 0), header + 1024 + 64, false},
        {"no pixels at all", make(0, 3, 8, 0, BI_RGB, 0), header + 1024, true},
        {"header only", make(5, 3, 8, 0, BI_RGB, 0), header, false},
        {"less than a header", make(5, 3, 8, 0, BI_RGB, 0), header - 1, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.fits, PackedDibFits(&c.dib, c.size)) << c.what;
    Dib oversized = make(5, 3, 8, 0, BI_RGB, 0);
    oversized.header.biSize = 2000;   // a header that claims more than there is
    EXPECT_FALSE(PackedDibFits(&oversized, header + 1024 + 24));
    EXPECT_FALSE(PackedDibFits(nullptr, 5000));
}

}  // namespace
