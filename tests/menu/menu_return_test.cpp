// Back to the menu after a button's script (the menu variant, with the
// tests' own resource set): SETUP.EXEs of the variant's code on a disc folder
// whose components' programs are copies of record_run.exe, one whose OPTIONS
// choose kMenuReturn and one whose OPTIONS choose other menu behaviours but
// not that one; and the rounds run in this program (which carries the
// choice too), where the done marks can be read.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "app/language_bases.h"
#include "app/menu_options.h"
#include "app/menu_rounds.h"
#include "fixture_ids.h"
#include "gui.h"
#include "menu_harness.h"
#include "processes.h"
#include "runtime/error_frame.h"
#include "script/busy_cursor.h"

namespace {

const DWORD kShort = 15000;
const DWORD kScript = 30000;
const char kLaunchFailed[] = "Fixture: a program did not start.";
const char kConfirmAll[] = "Fixture: the three";
const char kConfirmGamma[] = "Fixture: gamma alone";

// The English scripts: button 2 starts alpha, beta and gamma, button 3
// gamma alone, each as <component>\en\tarrywin.exe.
const std::vector<std::string> kAllComponents = {"alpha", "beta", "gamma"};
const std::vector<std::string> kGammaAlone = {"gamma"};

// The menu is the dialog whose client area is the background bitmap.
bool IsMenu(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    return client.right == FIXTURE_MENU_WIDTH && client.bottom == FIXTURE_MENU_HEIGHT;
}

// A menu of the process other than `previous`, which must be gone by then:
// the menu that came back is a new window.
HWND WaitForMenuAfter(DWORD processId, HWND previous, DWORD timeoutMs) {
    HWND menu = NULL;
    WaitUntil([&] {
        if (previous && IsWindow(previous)) return false;
        for (HWND dialog : TopLevelWindowsOf(processId, "#32770"))
            if (dialog != previous && IsMenu(dialog)) menu = dialog;
        return menu != NULL;
    }, timeoutMs);
    return menu;
}

void PressMenuButton(HWND menu, int number) {
    int id = FIXTURE_FIRST_CONTROL + number - 1;
    PostMessageA(menu, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(menu, id)));
}

// Presses button n and answers its confirmation with OK.
bool PressAndConfirm(DWORD processId, HWND menu, int number, const char* confirmation) {
    PressMenuButton(menu, number);
    HWND dialog = WaitForDialog(processId, kShort, confirmation);
    if (!dialog) return false;
    PressButton(dialog, IDOK);
    return true;
}

// Answers the shell's own boxes with OK until the launcher's start-failed
// dialog is up, and answers that too. False when it did not come.
bool AnswerLaunchFailure(DWORD processId) {
    HWND failure = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(processId, "#32770")) {
            if (IsMenu(dialog)) continue;
            if (AllTexts(dialog).find(kLaunchFailed) != std::string::npos) {
                failure = dialog;
                return true;
            }
            PressButton(dialog, IDOK);
        }
        return false;
    }, kShort);
    if (!failure) return false;
    PressButton(failure, IDOK);
    return true;
}

// A disc folder: the launcher at its root, record_run.exe as every
// component's English program, which logs "tarrywin.exe|<its folder>".
class ReturnDisc {
public:
    ReturnDisc(const std::string& launcher, const std::string& tag) {
        root_ = MakeTempFolder(tag);
        EXPECT_TRUE(CopyInto(launcher, root_ + "\\SETUP.EXE"));
        for (const std::string& component : kAllComponents) {
            CreateDirectoryA((root_ + "\\" + component).c_str(), NULL);
            CreateDirectoryA(Folder(component).c_str(), NULL);
            Mend(component);
        }
    }
    std::string Folder(const std::string& component) const { return root_ + "\\" + component + "\\en"; }
    std::string ProgramOf(const std::string& component) const { return Folder(component) + "\\tarrywin.exe"; }
    // The component's program cannot start (the shell shows its own box).
    void Break(const std::string& component) const {
        EXPECT_TRUE(WriteTextFile(ProgramOf(component), "not a program"));
    }
    void Mend(const std::string& component) const {
        EXPECT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\record_run.exe", ProgramOf(component)));
    }
    std::string Log() const { return root_ + "\\runs.log"; }
    // The components whose programs ran, in order, from the folders logged.
    std::vector<std::string> Ran() const {
        std::vector<std::string> ran;
        std::string text = ReadTextFile(Log());
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) end = text.size();
            std::string folder = text.substr(start, end - start);
            folder = folder.substr(folder.find('|') + 1);
            for (const std::string& component : kAllComponents)
                if (folder == Folder(component)) ran.push_back(component);
            start = end + 1;
        }
        return ran;
    }
    bool WaitForRan(size_t count) const {
        return WaitUntil([&] { return Ran().size() >= count; }, kScript);
    }
    bool Start(Program& setup) const {
        return setup.Start("\"" + root_ + "\\SETUP.EXE\"", root_,
                           {"RECORD_LOG=" + Log(), "RECORD_DELAY_MS=200"});
    }

private:
    std::string root_;
};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// With kMenuReturn: button 2's script runs and the menu comes back; button 3
// is pressed in the same run and the menu comes back again; the exit button
// then ends the launcher.
TEST(MenuReturn, TheMenuComesBackAfterEachScriptUntilTheExitButton) {
    ReturnDisc disc(TestEnvironment("RETURN_SETUP_EXE"), "return disc");
    Program setup;
    ASSERT_TRUE(disc.Start(setup));
    HWND menu = WaitForMenuAfter(setup.id(), NULL, kShort);
    ASSERT_NE(nullptr, menu);

    ASSERT_TRUE(PressAndConfirm(setup.id(), menu, 2, kConfirmAll));
    menu = WaitForMenuAfter(setup.id(), menu, kScript);
    ASSERT_NE(nullptr, menu) << "the menu did not come back after button 2's script";
    EXPECT_EQ(kAllComponents, disc.Ran()) << "the menu came back before the script's end";

    ASSERT_TRUE(PressAndConfirm(setup.id(), menu, 3, kConfirmGamma));
    menu = WaitForMenuAfter(setup.id(), menu, kScript);
    ASSERT_NE(nullptr, menu) << "the menu did not come back after button 3's script";
    EXPECT_EQ(Joined(kAllComponents, kGammaAlone), disc.Ran());

    PressMenuButton(menu, 1);
    EXPECT_EQ(0, setup.WaitForExit(kShort)) << "the exit button did not end the launcher";
}

// A script that fails (its start-failed dialog answered) brings the menu
// back too; then the close command ends the launcher as the exit button does.
TEST(MenuReturn, AFailedScriptReturnsToTheMenuAndTheCloseCommandEnds) {
    ReturnDisc disc(TestEnvironment("RETURN_SETUP_EXE"), "return failure disc");
    disc.Break("alpha");
    Program setup;
    ASSERT_TRUE(disc.Start(setup));
    HWND menu = WaitForMenuAfter(setup.id(), NULL, kShort);
    ASSERT_NE(nullptr, menu);

    ASSERT_TRUE(PressAndConfirm(setup.id(), menu, 2, kConfirmAll));
    ASSERT_TRUE(AnswerLaunchFailure(setup.id()));
    menu = WaitForMenuAfter(setup.id(), menu, kScript);
    ASSERT_NE(nullptr, menu) << "the menu did not come back after the failed script";
    EXPECT_TRUE(disc.Ran().empty()) << "the script went on after its failure";

    ASSERT_TRUE(PressAndConfirm(setup.id(), menu, 3, kConfirmGamma));
    menu = WaitForMenuAfter(setup.id(), menu, kScript);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(kGammaAlone, disc.Ran());

    SendSystemCommand(menu, SC_CLOSE);
    EXPECT_EQ(0, setup.WaitForExit(kShort)) << "the close command did not end the launcher";
}

// Without kMenuReturn (its OPTIONS choose other menu behaviours) the
// launcher ends once the script has ended, done or failed, as the plain
// launcher does; no menu comes back meanwhile.
class MenuOnce : public testing::TestWithParam<bool> {};

TEST_P(MenuOnce, WithoutTheChoiceTheLauncherEndsAfterTheScript) {
    bool fails = GetParam();
    ReturnDisc disc(TestEnvironment("ONCE_SETUP_EXE"), "once disc");
    if (fails) disc.Break("alpha");
    Program setup;
    ASSERT_TRUE(disc.Start(setup));
    HWND menu = WaitForMenuAfter(setup.id(), NULL, kShort);
    ASSERT_NE(nullptr, menu);
    ASSERT_TRUE(PressAndConfirm(setup.id(), menu, 2, kConfirmAll));
    if (fails) ASSERT_TRUE(AnswerLaunchFailure(setup.id()));
    HWND menuAgain = NULL;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(setup.id(), "#32770"))
            if (dialog != menu && IsMenu(dialog)) menuAgain = dialog;
        return !setup.Running();
    }, kScript);
    EXPECT_EQ(0, setup.WaitForExit(kShort)) << "the launcher did not end after the script";
    EXPECT_EQ(nullptr, menuAgain) << "the menu came back";
    EXPECT_EQ(fails ? std::vector<std::string>{} : kAllComponents, disc.Ran());
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuOnce, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "failed" : "done";
                         });

// The rounds in this program, whose OPTIONS choose kMenuReturn: a failed
// script leaves its button unmarked, a script that ran to its end marks it
// (also one that failed before), and every round starts with the busy
// cursor ended and the current directory where it was. The launcher's
// folder is this program's: the components' folders are made beside it.
TEST(MenuRounds, ScriptsThatRanToTheirEndMarkTheirButtonsDone) {
    ASSERT_NE(0u, MenuOptions() & kMenuReturn);
    ChooseLanguage();
    ASSERT_EQ(static_cast<uint32_t>(FIXTURE_BASE_ENGLISH), DialogBase());
    std::string own = TestEnvironment("TEST_BIN");
    std::vector<std::string> folders;
    auto program = [&](const std::string& component) { return own + "\\" + component + "\\en\\tarrywin.exe"; };
    for (const std::string& component : kAllComponents) {
        folders.push_back(own + "\\" + component);
        CreateDirectoryA(folders.back().c_str(), NULL);
        CreateDirectoryA((folders.back() + "\\en").c_str(), NULL);
        ASSERT_TRUE(CopyInto(own + "\\record_run.exe", program(component)));
    }
    std::string log = own + "\\rounds.log";
    DeleteFileA(log.c_str());
    SetEnvironmentVariableA("RECORD_LOG", log.c_str());
    ASSERT_TRUE(WriteTextFile(program("alpha"), "not a program"));
    char before[MAX_PATH];
    GetCurrentDirectoryA(sizeof before, before);
    DWORD self = GetCurrentProcessId();

    struct Round {
        int button;
        const char* confirmation;
        bool fails;
        size_t ranAfter;   // programs that have run by the round's end
        std::vector<int> doneAfter;
    };
    const Round rounds[] = {
        {2, kConfirmAll, true, 0, {}},          // alpha cannot start
        {3, kConfirmGamma, false, 1, {3}},
        {2, kConfirmAll, false, 4, {2, 3}},     // alpha mended before this round
    };
    auto ran = [&] {
        std::string text = ReadTextFile(log);
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    };
    ErrorCode raised = 12345;
    ShowWhileDriving([&] { raised = Protect([] { RunMenuRounds(); }); }, [&](HWND menu) {
        ASSERT_NE(nullptr, menu);
        for (const Round& round : rounds) {
            SCOPED_TRACE(round.button);
            if (!round.fails) ASSERT_TRUE(CopyInto(own + "\\record_run.exe", program("alpha")));
            ASSERT_TRUE(PressAndConfirm(self, menu, round.button, round.confirmation));
            if (round.fails) ASSERT_TRUE(AnswerLaunchFailure(self));
            menu = WaitForMenuAfter(self, menu, kScript);
            ASSERT_NE(nullptr, menu) << "the menu did not come back";
            EXPECT_EQ(round.ranAfter, ran());
            for (int number = 1; number <= 4; ++number) {
                bool done = false;
                for (int d : round.doneAfter) done |= d == number;
                EXPECT_EQ(done, IsButtonDone(number)) << "button " << number;
            }
            EXPECT_EQ(0, BusyCount());
            char now[MAX_PATH];
            GetCurrentDirectoryA(sizeof now, now);
            EXPECT_STREQ(before, now);
        }
        PressMenuButton(menu, 1);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(menu); }, kShort));
    });
    EXPECT_EQ(kQuietStop, raised) << "the exit button ends the rounds with a quiet stop";
    SetEnvironmentVariableA("RECORD_LOG", NULL);
    for (const std::string& component : kAllComponents) DeleteFileA(program(component).c_str());
    for (const std::string& folder : folders) {
        RemoveDirectoryA((folder + "\\en").c_str());
        RemoveDirectoryA(folder.c_str());
    }
    DeleteFileA(log.c_str());
}

}  // namespace
