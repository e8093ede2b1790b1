// SETUP.EXE run for real from a disc folder, driven like a user would; it
// carries the start-up tests' own resource set (data/launcher_fixture.rc).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "disc_folder.h"
#include "fixture_ids.h"
#include "gui.h"
#include "processes.h"

namespace {

const DWORD kShort = 15000;
const DWORD kInstall = 60000;

HWND WaitForMenu(DWORD processId, DWORD timeoutMs = kShort) {
    HWND menu = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(processId, "#32770")) {
            RECT client;
            GetClientRect(dialog, &client);
            if (client.right == FIXTURE_MENU_WIDTH && client.bottom == FIXTURE_MENU_HEIGHT) {
                menu = dialog;
                return true;
            }
        }
        return false;
    }, timeoutMs);
    return menu;
}

void PressMenuButton(HWND menu, int number) {
    int id = FIXTURE_FIRST_CONTROL + number - 1;
    PostMessageA(menu, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(menu, id)));
}

// Wine's per-program Windows version, set for SETUP.EXE while in scope.
class WindowsVersion {
public:
    explicit WindowsVersion(const char* version) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\SETUP.EXE", 0, NULL, 0,
                        KEY_ALL_ACCESS, NULL, &key_, NULL);
        RegSetValueExA(key_, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>(strlen(version) + 1));
    }
    ~WindowsVersion() {
        RegDeleteValueA(key_, "Version");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = NULL;
};

// The SubVersionNumber value, replaced (or removed, for null) while in
// scope and put back afterwards.
class SubVersionNumber {
public:
    explicit SubVersionNumber(const char* value) {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_ALL_ACCESS, &key_);
        DWORD size = sizeof saved_;
        had_ = RegQueryValueExA(key_, "SubVersionNumber", NULL, NULL, saved_, &size) == ERROR_SUCCESS;
        savedSize_ = size;
        if (value)
            RegSetValueExA(key_, "SubVersionNumber", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                           static_cast<DWORD>(strlen(value) + 1));
        else
            RegDeleteValueA(key_, "SubVersionNumber");
    }
    ~SubVersionNumber() {
        if (had_) RegSetValueExA(key_, "SubVersionNumber", 0, REG_SZ, saved_, savedSize_);
        else RegDeleteValueA(key_, "SubVersionNumber");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = NULL;
    BYTE saved_[256];
    DWORD savedSize_ = 0;
    bool had_ = false;
};

class Launcher : public testing::Test {
protected:
    bool Start() { return setup_.Start("\"" + disc_.setupExe() + "\"", disc_.root()); }
    // Presses menu button n and answers its confirmation (found by the start
    // of its text) with OK. False when the confirmation did not come.
    bool PressAndConfirm(HWND menu, int n, const std::string& confirmationText) {
        PressMenuButton(menu, n);
        HWND confirmation = WaitForDialog(setup_.id(), kShort, confirmationText);
        if (!confirmation) return false;
        PressButton(confirmation, IDOK);
        return true;
    }
    // Closes the menu the way its system menu would; the launcher ends.
    long CloseMenu(HWND menu) {
        SendSystemCommand(menu, SC_CLOSE);
        return setup_.WaitForExit(kShort);
    }

    DiscFolder disc_;
    Program setup_;
};

// The language record follows the user's language, then the system's, then
// "DEFAULT"; it picks the menu, the confirmations and the scripts. Wine
// takes a program's languages from the locale it was started in, so each
// case is a run of this program in its own locale (see CMakeLists.txt),
// naming the expected confirmation text and installers' folder in
// EXPECTED_LANGUAGE as "<confirmation start>|<folder>"; English by default.
TEST_F(Launcher, LanguageFollowsTheLocale) {
    std::string expected = TestEnvironment("EXPECTED_LANGUAGE");
    if (expected.empty()) expected = "Fixture: the three|en";
    std::string confirmationText = expected.substr(0, expected.find('|'));
    std::string folder = expected.substr(expected.find('|') + 1);

    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);

    PressMenuButton(menu, 2);
    HWND confirmation = WaitForDialog(setup_.id(), kShort, confirmationText);
    ASSERT_NE(nullptr, confirmation) << "no confirmation in the expected language";
    PressButton(confirmation, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(confirmation, kShort));
    EXPECT_TRUE(IsWindowVisible(menu)) << "Cancel keeps the menu open";

    // Button 3 installs gamma alone, from the language's folder.
    ASSERT_TRUE(PressAndConfirm(menu, 3, "gamma"));
    EXPECT_EQ(0, setup_.WaitForExit(kInstall));
    EXPECT_EQ(std::vector<std::string>{DiscFolder::TitleOf("gamma", folder)}, disc_.OpenedWindows());
}

// "Install everything": each component's installer window comes and goes
// before the next one starts, and the launcher then exits 0.
TEST_F(Launcher, InstallEverythingRunsEachComponentInTurn) {
    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(PressAndConfirm(menu, 2, "Fixture: the three"));
    EXPECT_EQ(0, setup_.WaitForExit(kInstall));
    EXPECT_EQ((std::vector<std::string>{DiscFolder::TitleOf("alpha", "en"),
                                        DiscFolder::TitleOf("beta", "en"),
                                        DiscFolder::TitleOf("gamma", "en")}),
              disc_.OpenedWindows());
    EXPECT_TRUE(disc_.WindowsCameOneAfterAnother());
}

TEST_F(Launcher, ExitButtonEndsWithoutAsking) {
    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);
    PressMenuButton(menu, 1);
    EXPECT_EQ(0, setup_.WaitForExit(kShort));
    EXPECT_TRUE(disc_.OpenedWindows().empty());
}

// A second copy brings the first one's menu forward and ends without a
// window of its own.
TEST_F(Launcher, SecondCopyActivatesTheFirstAndExits) {
    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);
    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL, NULL,
                                 NULL, NULL);
    SetForegroundWindow(other);
    WaitUntil([&] { return GetForegroundWindow() == other; }, 2000);

    Program second;
    ASSERT_TRUE(second.Start("\"" + disc_.setupExe() + "\"", disc_.root()));
    EXPECT_EQ(0, second.WaitForExit(kShort));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == menu; }, 5000));
    DestroyWindow(other);
    EXPECT_TRUE(setup_.Running());
    EXPECT_EQ(0, CloseMenu(menu));
}

TEST_F(Launcher, ProgramThatCannotStartShowsTheStartDialog) {
    // Not a program: the shell cannot start it.
    WriteTextFile(disc_.root() + "\\alpha\\en\\Tarrywin.exe", "not a program");
    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(PressAndConfirm(menu, 2, "Fixture: the three"));
    // The shell reports the bad program in its own box first; the
    // launcher's dialog follows once that is answered.
    const std::string ours = "Fixture: a program did not start.";
    HWND failure = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(setup_.id(), "#32770")) {
            if (AllTexts(dialog).find(ours) != std::string::npos) {
                failure = dialog;
                return true;
            }
            PressButton(dialog, IDOK);
        }
        return false;
    }, kShort);
    ASSERT_NE(nullptr, failure);
    PressButton(failure, IDOK);
    EXPECT_EQ(0, setup_.WaitForExit(kShort));
    EXPECT_TRUE(disc_.OpenedWindows().empty()) << "the script ends at the first failure";
}

// The Windows version gate, under Wine's per-program version setting.
TEST_F(Launcher, WindowsNt351IsRefused) {
    WindowsVersion version("nt351");
    ASSERT_TRUE(Start());
    HWND refusal = WaitForDialog(setup_.id(), kShort, "this needs Windows NT 4.0 or later");
    ASSERT_NE(nullptr, refusal);
    EXPECT_EQ(nullptr, WaitForMenu(setup_.id(), 0));
    PressButton(refusal, IDOK);
    EXPECT_EQ(0, setup_.WaitForExit(kShort));
}

TEST_F(Launcher, EarlyWindows95AsksBeforeGoingOn) {
    WindowsVersion version("win95");
    SubVersionNumber none(nullptr);
    for (int answer : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(Start());
        HWND question = WaitForDialog(setup_.id(), kShort, "this Windows 95 is old. Go on?");
        ASSERT_NE(nullptr, question);
        PressButton(question, answer);
        if (answer == IDCANCEL) {
            EXPECT_EQ(0, setup_.WaitForExit(kShort));
            continue;
        }
        HWND menu = WaitForMenu(setup_.id());
        ASSERT_NE(nullptr, menu) << "OK goes on to the menu";
        EXPECT_EQ(0, CloseMenu(menu));
    }
}

// Versions that go straight to the menu: later Windows, and Windows 95 with
// a sub-version (also one too long for the launcher's buffer).
struct VersionCase {
    const char* version;
    const char* subVersion;
};

class VersionsThatPass : public Launcher, public testing::WithParamInterface<VersionCase> {};

TEST_P(VersionsThatPass, GoStraightToTheMenu) {
    WindowsVersion version(GetParam().version);
    SubVersionNumber subVersion(GetParam().subVersion);
    ASSERT_TRUE(Start());
    HWND menu = WaitForMenu(setup_.id());
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(1u, TopLevelWindowsOf(setup_.id(), "#32770").size()) << "no question first";
    EXPECT_EQ(0, CloseMenu(menu));
}

INSTANTIATE_TEST_SUITE_P(Cases, VersionsThatPass, testing::Values(
    VersionCase{"win95", " A "},
    VersionCase{"win95", "a sub-version longer than thirty-two bytes"},
    VersionCase{"win98", nullptr},
    VersionCase{"nt40", nullptr},
    VersionCase{"winxp", nullptr},
    VersionCase{"win10", nullptr}));

}  // namespace
