// The menu with the shipped resources, linked into this test program: each
// language's menu (every LANG record of the set) draws its background with
// its buttons where its button record places them. Everything expected is
// read from the resources themselves, so the test holds for any disc's set;
// the menu's behaviour is tested with the tests' own set
// (fixture_menu_test.cpp).
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

struct Language {
    std::string tag;   // the record's name: its primary language id, or DEFAULT
    int32_t dialogBase;
};

BOOL CALLBACK AddLanguage(HMODULE module, LPCSTR, LPSTR name, LONG_PTR list) {
    HRSRC info = FindResourceA(module, name, "LANG");
    const uint16_t* values = info ? static_cast<const uint16_t*>(LockResource(LoadResource(module, info)))
                                  : nullptr;
    if (values && SizeofResource(module, info) >= 4) {
        std::string tag = IS_INTRESOURCE(name)
            ? std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name);
        reinterpret_cast<std::vector<Language>*>(list)->push_back({tag, values[0]});
    }
    return TRUE;
}

// Every language record of the linked resource set.
std::vector<Language> Languages() {
    std::vector<Language> languages;
    EnumResourceNamesA(NULL, "LANG", AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

void Screenshot(HWND menu, const std::string& name) {
    RECT window;
    GetWindowRect(menu, &window);
    EXPECT_TRUE(SaveBitmap(CaptureScreen(window), ScreenshotPath(name)));
}

// The client area is the background bitmap, centred, with no frame.
void ExpectCentredWithoutFrame(HWND menu, int32_t dialogBase) {
    TestBitmap background(dialogBase);
    int width = background.Width(), height = background.Height();
    ASSERT_GT(width, 0);
    RECT client = ClientOnScreen(menu), window;
    GetWindowRect(menu, &window);
    EXPECT_EQ(width, client.right - client.left);
    EXPECT_EQ(height, client.bottom - client.top);
    EXPECT_TRUE(EqualRect(&client, &window));   // no caption, no border
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, window.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, window.top);
}

class ShippedMenuTest : public testing::Test {
protected:
    void SetUp() override {
        ForgetAskedButtons();
    }
};

TEST_F(ShippedMenuTest, EachLanguageFillsTheBackgroundWithItsButtonsInPlace) {
    std::vector<Language> languages = Languages();
    ASSERT_FALSE(languages.empty()) << "no LANG record in the shipped resources";
    for (const Language& language : languages) {
        SCOPED_TRACE(language.tag);
        std::vector<ExpectedButton> faces = RecordedTopFaces(language.dialogBase);
        ASSERT_FALSE(faces.empty());
        RunMenuDriven(language.dialogBase, DeclineButton, [&](HWND menu) {
            ASSERT_NE(nullptr, menu);
            ExpectCentredWithoutFrame(menu, language.dialogBase);
            for (const RecordEntry& e : ReadButtonRecord(language.dialogBase)) {
                RECT actual = ControlRect(menu, e.controlId);
                const RECT& wanted = faces[e.number - 1].rect;
                EXPECT_TRUE(EqualRect(&actual, &wanted)) << "button " << e.number;
            }
            EXPECT_EQ(0, ScreenMismatches(ClientOnScreen(menu),
                                          ExpectedMenu(language.dialogBase, faces)));
            Screenshot(menu, "menu_" + language.tag);
            PostMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
    }
}

}  // namespace
