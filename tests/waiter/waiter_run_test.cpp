// The waiter as shipped, run under Wine on a virtual display: it starts the
// setup.exe beside it and ends when the watched window has come and gone.
// Most cases make the titled windows themselves, for exact timing, while a
// stand-in installer with a window of another title keeps running.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "gui.h"
#include "waiter_case.h"

namespace {

// setup.exe runs throughout with a window of another title, so only the
// watched window decides when the waiter ends: once it has stayed away for
// the gap grace (kGoneWhileInstallerRunsWithinMs).
void KeepInstallerRunning(WaiterCase& waiterCase) {
    waiterCase.UseStandin({"mode=window", "title=" + UniqueTitle("installer"), "lifetime=0"});
}

TEST(WaiterDialog, HidesAsAToolWindowOutOfSight) {
    WaiterCase waiterCase("hidden");
    waiterCase.WatchTitle(UniqueTitle("hidden"));
    KeepInstallerRunning(waiterCase);
    ASSERT_TRUE(waiterCase.StartWaiter());
    HWND dialog = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = WaiterDialogOf(waiterCase.waiter())) != NULL; }, 5000));
    EXPECT_EQ("Tarrywin", WindowText(dialog));
    LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    RECT rect = WindowRectOf(dialog);
    EXPECT_EQ(-100, rect.left);
    EXPECT_EQ(-100, rect.top);
    EXPECT_EQ(0, rect.right - rect.left);
    EXPECT_EQ(0, rect.bottom - rect.top);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(2000));
}

// Minimised, the dialog paints its icon (none in the shipped build, so it
// hands out no drag icon either) and goes on waiting.
TEST(WaiterDialog, MinimisedKeepsWaiting) {
    WaiterCase waiterCase("minimised");
    std::string title = UniqueTitle("minimised");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    PollProbe probe;
    TitledWindow window(title);
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    HWND dialog = WaiterDialogOf(waiterCase.waiter());
    ASSERT_NE(nullptr, dialog);
    SendMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(dialog));
    RedrawWindow(dialog, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    EXPECT_EQ(0, SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0));
    ASSERT_TRUE(probe.WaitForPolls(2));
    EXPECT_TRUE(waiterCase.waiter().Running());
    window.Destroy();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs));
}

// Visible and hidden windows count alike.
class StaysWhileTheWindowIsThere : public testing::TestWithParam<bool> {};

TEST_P(StaysWhileTheWindowIsThere, AndEndsOnceItHasStayedAwayForTheGapGrace) {
    WaiterCase waiterCase("stays");
    std::string title = UniqueTitle("stays");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    PollProbe probe;
    TitledWindow window(title, GetParam());
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(probe.WaitForPolls(4)) << "the waiter does not poll";
    EXPECT_TRUE(waiterCase.waiter().Running());
    window.Destroy();
    DWORD gone = GetTickCount();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs));
    EXPECT_GE(GetTickCount() - gone, kTitleGapGraceMs) << "ended before the gap grace, the installer still running";
}

INSTANTIATE_TEST_SUITE_P(Visible, StaysWhileTheWindowIsThere, testing::Values(true));
INSTANTIATE_TEST_SUITE_P(Hidden, StaysWhileTheWindowIsThere, testing::Values(false));

TEST(WaiterWithInstaller, EndsOnceTheInstallersWindowHasComeAndGone) {
    WaiterCase waiterCase("installer");
    std::string title = UniqueTitle("installer");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=2000"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000)) << "setup.exe did not open its window";
    PumpFor(1000);
    EXPECT_TRUE(waiterCase.waiter().Running());
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1000 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "the waiter ended before the window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

TEST(WaiterWithInstaller, SeveralInstallerWindowsMustAllGo) {
    WaiterCase waiterCase("installer-windows");
    std::string title = UniqueTitle("installer-windows");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "windows=2", "lifetime=1500", "stagger=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-closed", 1, 5000));
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended while the second window was open";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 1000));
    EXPECT_EQ(2u, waiterCase.LogLines("window-closed").size());
}

TEST(WaiterWindows, SeveralWindowsWithTheTitleEndItOnlyWhenNoneIsLeft) {
    WaiterCase waiterCase("several");
    std::string title = UniqueTitle("several");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    PollProbe probe;
    std::vector<std::unique_ptr<TitledWindow>> windows;
    for (int i = 0; i < 3; ++i) windows.push_back(std::make_unique<TitledWindow>(title, i != 1));
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(probe.WaitForPolls(2));
    for (int i = 0; i < 2; ++i) {
        windows[i]->Destroy();
        ASSERT_TRUE(probe.WaitForPolls(3));
        EXPECT_TRUE(waiterCase.waiter().Running()) << "ended with " << 2 - i << " windows left";
    }
    windows[2]->Destroy();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs));
}

TEST(WaiterWindows, AWindowReplacedBetweenTwoPollsCountsAsStillThere) {
    WaiterCase waiterCase("replaced");
    std::string title = UniqueTitle("replaced");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    PollProbe probe;
    auto first = std::make_unique<TitledWindow>(title);
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(probe.WaitForPolls(2));
    ASSERT_TRUE(probe.BetweenPolls());
    int pollsBefore = probe.polls();
    first.reset();
    TitledWindow second(title);
    PumpFor(50);
    ASSERT_EQ(pollsBefore, probe.polls()) << "a poll fell within the replacement";
    ASSERT_TRUE(probe.WaitForPolls(3));
    EXPECT_TRUE(waiterCase.waiter().Running());
    second.Destroy();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs));
}

// Whether a window shown for 150 ms between two polls went unseen; false when
// the machine was too slow to place it between two polls.
bool BriefWindowBetweenPolls(const PollProbe& probe, const std::string& title) {
    if (!probe.BetweenPolls()) return false;
    int pollsBefore = probe.polls();
    {
        TitledWindow brief(title);
        PumpFor(150);
    }
    return probe.polls() == pollsBefore;
}

TEST(WaiterWindows, AWindowThatComesAndGoesBetweenTwoPollsIsNotSeen) {
    // A poll that falls within the window's life spoils the case (the waiter
    // then rightly saw the window), so a slow machine gets a few attempts.
    for (int attempt = 1;; ++attempt) {
        WaiterCase waiterCase("brief");
        std::string title = UniqueTitle("brief");
        waiterCase.WatchTitle(title);
        KeepInstallerRunning(waiterCase);
        PollProbe probe;
        ASSERT_TRUE(waiterCase.StartWaiter());
        ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
        ASSERT_TRUE(probe.WaitForPolls(1));
        if (!BriefWindowBetweenPolls(probe, title)) {
            ASSERT_LT(attempt, 3) << "a poll fell within the brief window's life at every attempt";
            continue;
        }
        ASSERT_TRUE(probe.WaitForPolls(3));
        EXPECT_TRUE(waiterCase.waiter().Running()) << "the brief window was seen";
        // The same title held across polls is seen, and its going ends the waiter.
        {
            TitledWindow held(title);
            ASSERT_TRUE(probe.WaitForPolls(2));
        }
        EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs));
        return;
    }
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(tolower(c)); });
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return static_cast<char>(toupper(c)); });
    return text;
}

TEST(WaiterTitles, OnlyTheWholeTextInTheSameCaseMatches) {
    WaiterCase waiterCase("titles");
    std::string title = UniqueTitle("Titles");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    PollProbe probe;
    const std::vector<std::string> nearMisses = {
        Lower(title), Upper(title), title + " - Step 1", title + " ", " " + title,
        title.substr(0, title.size() - 1), title.substr(1),
    };
    std::vector<std::unique_ptr<TitledWindow>> windows;
    for (const std::string& text : nearMisses) windows.push_back(std::make_unique<TitledWindow>(text));
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(probe.WaitForPolls(3));
    windows.clear();
    ASSERT_TRUE(probe.WaitForPolls(3));
    EXPECT_TRUE(waiterCase.waiter().Running()) << "a window whose text is not the title counted as the title";
    {
        TitledWindow exact(title);
        ASSERT_TRUE(probe.WaitForPolls(2));
    }
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kGoneWhileInstallerRunsWithinMs)) << "the exact title was not seen";
}

// Close on the system menu, WM_CLOSE, and IDOK or IDCANCEL sent by another
// program all end the waiter at once, as a normal end (keys typed by the
// user do not reach it: waiter_hang_and_cut_test.cpp).
struct CloseRequest {
    const char* name;
    UINT message;
    WPARAM wParam;
};

class CloseRequests : public testing::TestWithParam<CloseRequest> {};

TEST_P(CloseRequests, EndTheWaiterAtOnce) {
    WaiterCase waiterCase("close");
    std::string title = UniqueTitle("close");
    waiterCase.WatchTitle(title);
    KeepInstallerRunning(waiterCase);
    TitledWindow window(title);
    ASSERT_TRUE(waiterCase.StartWaiter());
    HWND dialog = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = WaiterDialogOf(waiterCase.waiter())) != NULL; }, 5000));
    PumpFor(kPollMs * 2);
    // The window is still there, so nothing but the request can end it.
    PostMessageA(dialog, GetParam().message, GetParam().wParam, 0);
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEndWithinMs));
}

INSTANTIATE_TEST_SUITE_P(
    Waiter, CloseRequests,
    testing::Values(CloseRequest{"WmClose", WM_CLOSE, 0}, CloseRequest{"Cancel", WM_COMMAND, IDCANCEL},
                    CloseRequest{"Ok", WM_COMMAND, IDOK},
                    CloseRequest{"SystemMenuClose", WM_SYSCOMMAND, SC_CLOSE}),
    [](const testing::TestParamInfo<CloseRequest>& info) { return std::string(info.param.name); });

TEST(WaiterStart, EndsAtOnceWhenSetupIsMissing) {
    WaiterCase waiterCase("missing");
    waiterCase.WatchTitle(UniqueTitle("missing"));
    ASSERT_TRUE(waiterCase.StartWaiter());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, waiterCase.waiter().WaitForExit(kPollMs * 2));
}

TEST(WaiterStart, EndsAtOnceWhenSetupIsNoProgram) {
    WaiterCase waiterCase("no-program");
    waiterCase.WatchTitle(UniqueTitle("no-program"));
    ASSERT_TRUE(WriteTextFile(waiterCase.folder() + "\\setup.exe", "this is not a program\r\n"));
    ASSERT_TRUE(waiterCase.StartWaiter());
    long code = waiterCase.waiter().WaitForExit(kPollMs * 2);
    EXPECT_NE(-1, code) << "still waiting";
    EXPECT_NE(0, code);
}

// With no title configured the waiter ends with the installer, even while
// windows without any text are on the desktop.
class WithoutATitle : public testing::TestWithParam<const char*> {};

TEST_P(WithoutATitle, EndsWithTheStartedProcess) {
    WaiterCase waiterCase("untitled");
    if (*GetParam()) waiterCase.WriteWaiterIni(GetParam());
    waiterCase.UseStandin({"mode=window", "title=" + UniqueTitle("untitled"), "lifetime=1500"});
    TitledWindow textless("");
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000));
    PumpFor(700);
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended while setup.exe ran";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(800 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> exits = waiterCase.LogLines("exit");
    ASSERT_EQ(1u, exits.size()) << "the waiter ended before setup.exe";
    EXPECT_LE(ended - TickOf(exits[0]), kEndWithinMs);
}

INSTANTIATE_TEST_SUITE_P(IniFiles, WithoutATitle,
                         testing::Values("[CHECK]\r\nSTRING=\r\n", "[CHECK]\r\nOTHER=Setup\r\n",
                                         "[OTHER]\r\nSTRING=Setup\r\n", ""));

TEST(WaiterFolders, AFolderWithABlankInItsName) {
    WaiterCase waiterCase("blank", "My Disc");
    std::string title = UniqueTitle("blank");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=1500"});
    // Without quotes, "...\My Disc\setup.exe" would start "...\My.exe".
    ASSERT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\standin_setup.exe", waiterCase.base() + "\\My.exe"));
    ASSERT_TRUE(WriteTextFile(waiterCase.base() + "\\standin.ini", "[standin]\r\nmode=exit\r\n"));
    ASSERT_TRUE(waiterCase.StartWaiter());
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 3000));
    EXPECT_EQ(1u, waiterCase.LogLines("window-closed").size());
    EXPECT_EQ("", ReadTextFile(waiterCase.base() + "\\standin.log")) << "My.exe ran";
}

TEST(WaiterFolders, StartedByItsBareNameItStillUsesItsOwnFolder) {
    WaiterCase waiterCase("bare");
    std::string title = UniqueTitle("bare");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=exit"});
    PollProbe probe;
    TitledWindow window(title);
    ASSERT_TRUE(waiterCase.StartWaiterByBareName());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000)) << "setup.exe beside it did not run";
    ASSERT_TRUE(probe.WaitForPolls(3));
    EXPECT_TRUE(waiterCase.waiter().Running()) << "it did not take the title from its Tarrywin.INI";
    window.Destroy();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEndWithinMs));
}

}  // namespace
