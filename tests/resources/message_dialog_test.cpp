// ShowMessageDialog shows the shipped message and confirmation dialogs for
// real: this program carries the shipped resources, shows each dialog on its
// main thread, and a driver thread finds it on the screen, reads it, saves a
// screenshot and ends it as a user would.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include "app/message_dialog.h"
#include "gui.h"
#include "processes.h"
#include "screen.h"
#include "shipped_resources.h"

namespace {

const DWORD kDialogTimeoutMs = 10000;

std::wstring TextOf(HWND window) {
    wchar_t buffer[2048];
    int length = GetWindowTextW(window, buffer, 2048);
    return std::wstring(buffer, length > 0 ? length : 0);
}

std::string Utf8(const std::wstring& text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, NULL, 0, NULL, NULL);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], size, NULL, NULL);
    return result;
}

// The dialog's static text: by id, or the one static control when its id is -1.
HWND StaticText(HWND dialog, int id) {
    if (id != -1) return GetDlgItem(dialog, id);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32];
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Static") == 0) return child;
    }
    return NULL;
}

// What the driver saw while the dialog was on the screen.
struct Sighting {
    bool found = false;
    bool endedByDriver = true;   // false: it had to be closed after the action did nothing
    RECT rect = {};
    std::wstring caption;
    std::wstring text;
    HWND owner = NULL;
    bool ownerEnabled = true;
    bool okHasFocus = false;
};

// Shows dialog `id` on this thread. Meanwhile a driver thread waits for it,
// records what it sees (reading the static text `textId`), saves a
// screenshot when `screenshot` is given, and then calls `end` on it.
int ShowAndDrive(int id, int beep, int textId, const std::function<void(HWND)>& end,
                 Sighting* seen, const std::string& screenshot = "") {
    std::atomic<bool> returned(false);
    DWORD shownBy = GetCurrentThreadId();
    std::thread driver([&] {
        HWND dialog = NULL;
        WaitUntil([&] {
            std::vector<HWND> dialogs = TopLevelWindowsOf(GetCurrentProcessId(), "#32770");
            if (!dialogs.empty()) dialog = dialogs.front();
            return dialog != NULL || returned;
        }, kDialogTimeoutMs);
        if (!dialog) return;
        seen->found = true;
        WaitUntil([] { return false; }, 300);   // let it paint before looking at it
        seen->rect = WindowRectOf(dialog);
        seen->caption = TextOf(dialog);
        seen->text = TextOf(StaticText(dialog, textId));
        seen->owner = GetWindow(dialog, GW_OWNER);
        seen->ownerEnabled = seen->owner ? IsWindowEnabled(seen->owner) != FALSE : true;
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        seen->okHasFocus = GetGUIThreadInfo(shownBy, &info) && info.hwndFocus == GetDlgItem(dialog, IDOK);
        if (!screenshot.empty())
            SaveBitmap(CaptureScreen(seen->rect), ScreenshotPath(screenshot));
        end(dialog);
        if (!WaitUntil([&] { return returned.load(); }, kDialogTimeoutMs)) {
            seen->endedByDriver = false;
            PostMessageA(dialog, WM_COMMAND, 0x7777, 0);
        }
    });
    int result = ShowMessageDialog(id, beep);
    returned = true;
    driver.join();
    return result;
}

void PressOk(HWND dialog) { PressButton(dialog, IDOK); }
void PressCancel(HWND dialog) { PressButton(dialog, IDCANCEL); }
void PressEscape(HWND dialog) { PressKey(dialog, VK_ESCAPE); }

struct DialogCase {
    const ExpectedLanguage* lang;
    const ExpectedMessageDialog* dialog;
    int id() const { return lang->dialogBase + dialog->offset; }
    // The beep its caller asks for: the question for B + 2 and the confirmations.
    int beep() const { return dialog->offset == 2 || dialog->confirmation ? MB_ICONQUESTION : MB_ICONHAND; }
    std::string name() const { return std::string(lang->tag) + "_" + std::to_string(id()) + "_" + dialog->role; }
};

void PrintTo(const DialogCase& c, std::ostream* out) { *out << c.name(); }

std::vector<DialogCase> Dialogs(bool onlyWithCancel) {
    std::vector<DialogCase> cases;
    for (const ExpectedLanguage& lang : kShippedLanguages)
        for (const ExpectedMessageDialog& dialog : lang.dialogs)
            if (!onlyWithCancel || dialog.hasCancel) cases.push_back({&lang, &dialog});
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<DialogCase>& info) {
    std::string name = info.param.name();
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

class ShippedDialog : public ::testing::TestWithParam<DialogCase> {};

TEST_P(ShippedDialog, ShowsCentredWithItsTextAndOkGivesOne) {
    const DialogCase& c = GetParam();
    Sighting seen;
    std::string screenshot = std::string("message-") + c.lang->tag + "-" + std::to_string(c.id()) + "-" +
                             c.dialog->role;
    int result = ShowAndDrive(c.id(), c.beep(), c.dialog->textId, PressOk, &seen, screenshot);
    ASSERT_TRUE(seen.found) << "the dialog never appeared";
    EXPECT_TRUE(seen.endedByDriver);
    EXPECT_EQ(IDOK, result);

    int width = seen.rect.right - seen.rect.left;
    int height = seen.rect.bottom - seen.rect.top;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, seen.rect.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, seen.rect.top);

    EXPECT_EQ(Utf8(c.dialog->text), Utf8(seen.text));
    EXPECT_EQ(Utf8(c.dialog->confirmation ? L"" : c.lang->caption), Utf8(seen.caption));
    EXPECT_TRUE(seen.okHasFocus);
    EXPECT_EQ(nullptr, seen.owner);   // nothing was active: no owner
}

TEST_P(ShippedDialog, EscapeGivesTwoEvenWithoutACancelButton) {
    const DialogCase& c = GetParam();
    Sighting seen;
    int result = ShowAndDrive(c.id(), c.beep(), c.dialog->textId, PressEscape, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.endedByDriver);
    EXPECT_EQ(IDCANCEL, result);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedDialog, ::testing::ValuesIn(Dialogs(false)), CaseName);

class ShippedQuestion : public ::testing::TestWithParam<DialogCase> {};

TEST_P(ShippedQuestion, CancelGivesTwo) {
    const DialogCase& c = GetParam();
    Sighting seen;
    int result = ShowAndDrive(c.id(), c.beep(), c.dialog->textId, PressCancel, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.endedByDriver);
    EXPECT_EQ(IDCANCEL, result);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedQuestion, ::testing::ValuesIn(Dialogs(true)), CaseName);

TEST(ShowMessageDialog, MissingTemplateGivesMinusOneWithoutShowingAnything) {
    // B + 49 is never shipped; 99 and 105 lie just outside the English set.
    for (int id : {149, 249, 349, 99, 105, 0}) {
        Sighting seen;
        int result = ShowAndDrive(id, MB_ICONHAND, -1, PressOk, &seen);
        EXPECT_EQ(-1, result) << "dialog " << id;
        EXPECT_FALSE(seen.found) << "dialog " << id << " showed a window";
    }
}

TEST(ShowMessageDialog, UsesOnlyTheLow16BitsOfTheId) {
    const ExpectedMessageDialog& ntRequired = kShippedLanguages[0].dialogs[0];
    for (int id : {0x10000 + 101, static_cast<int>(0xFFFF0065u)}) {
        Sighting seen;
        int result = ShowAndDrive(id, -1, ntRequired.textId, PressOk, &seen);
        ASSERT_TRUE(seen.found) << "id " << id;
        EXPECT_EQ(Utf8(ntRequired.text), Utf8(seen.text)) << "id " << id;
        EXPECT_EQ(IDOK, result);
    }
}

TEST(ShowMessageDialog, AnyCommandEndsItWithTheCommandsLow16Bits) {
    const struct {
        WPARAM command;
        int result;
    } commands[] = {
        {MAKEWPARAM(1234, 0), 1234},
        {MAKEWPARAM(7, EN_CHANGE), 7},
        {MAKEWPARAM(0xFFFF, BN_CLICKED), 0xFFFF},
    };
    for (const auto& command : commands) {
        Sighting seen;
        int result = ShowAndDrive(304, MB_ICONHAND, -1, [&](HWND dialog) {
            PostMessageA(dialog, WM_COMMAND, command.command, 0);
        }, &seen);
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(command.result, result);
    }
}

LRESULT CALLBACK PlainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(ShowMessageDialog, IsOwnedByTheActiveWindowButCentredOnTheScreen) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PlainWindow;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "MessageDialogOwner";
    RegisterClassA(&windowClass);
    HWND owner = CreateWindowExA(0, "MessageDialogOwner", "owner", WS_POPUP | WS_VISIBLE,
                                 0, 0, 200, 120, NULL, NULL, windowClass.hInstance, NULL);
    ASSERT_NE(nullptr, owner);
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
    ASSERT_EQ(owner, GetActiveWindow());

    const ExpectedMessageDialog& confirmAll = kShippedLanguages[0].dialogs[4];
    Sighting seen;
    int result = ShowAndDrive(150, MB_ICONQUESTION, confirmAll.textId, PressOk, &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ(owner, seen.owner);
    EXPECT_FALSE(seen.ownerEnabled) << "the owner must be disabled while the dialog is up";
    EXPECT_TRUE(IsWindowEnabled(owner)) << "and enabled again afterwards";
    int width = seen.rect.right - seen.rect.left;
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, seen.rect.left);
    DestroyWindow(owner);
}

}  // namespace
