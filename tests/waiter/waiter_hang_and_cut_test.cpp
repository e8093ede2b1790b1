// The waiter as shipped, against what could hang a wait or cut it short on
// the user's machine: a title that is the waiter's own, keys the user types
// while it waits, a wizard that drops its title between two pages, and, on
// Windows NT 4.0 without a title, a child that works on after setup.exe.
#include <gtest/gtest.h>
#include "gui.h"
#include "waiter/poll_decision.h"
#include "waiter_case.h"

namespace {

// The waiter's own dialog has the text "Tarrywin": a component whose window
// has that title is waited for, and its going ends the wait.
TEST(WaiterOwnTitle, TheWaitersOwnDialogIsNotTheWindowWaitedFor) {
    WaiterCase waiterCase("own-title");
    waiterCase.WatchTitle("Tarrywin");
    waiterCase.UseStandin({"mode=window", "title=Tarrywin", "delay=1000", "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000));
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended before the installer's window came";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 3000)) << "waits on its own dialog";
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "ended before the installer's window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

// A key pressed and released on the desktop, as the user types it: it goes
// to the active window, whichever that is.
void TypeKey(WORD virtualKey) {
    keybd_event(static_cast<BYTE>(virtualKey), 0, 0, 0);
    keybd_event(static_cast<BYTE>(virtualKey), 0, KEYEVENTF_KEYUP, 0);
}

struct StrayKeys {
    const char* name;
    std::vector<WORD> keys;
};

class StrayKeysWhileWaiting : public testing::TestWithParam<StrayKeys> {};

// setup.exe takes 3 s to show its window; the user types between the
// waiter's start and that window (a second Enter on the launcher's
// confirmation, key repeat). The waiter neither takes those keys nor ends on
// them; the installer's window still ends it.
TEST_P(StrayKeysWhileWaiting, ChangeNothing) {
    WaiterCase waiterCase("keys");
    std::string title = UniqueTitle("keys");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "delay=3000", "lifetime=800"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    HWND dialog = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (dialog = WaiterDialogOf(waiterCase.waiter())) != NULL; }, 5000));
    PumpFor(1000);
    EXPECT_NE(dialog, GetForegroundWindow()) << "the waiter took the keyboard";
    for (WORD key : GetParam().keys) {
        TypeKey(key);
        PumpFor(100);
    }
    PumpFor(kPollMs * 2);
    ASSERT_TRUE(waiterCase.LogLines("window-open").empty()) << "the installer's window came too early to tell";
    EXPECT_TRUE(waiterCase.waiter().Running()) << "a key ended the wait";
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000));
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(800 + kEndWithinMs + 3000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "ended before the installer's window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

INSTANTIATE_TEST_SUITE_P(
    Waiter, StrayKeysWhileWaiting,
    testing::Values(StrayKeys{"Enter", {VK_RETURN}}, StrayKeys{"Escape", {VK_ESCAPE}},
                    StrayKeys{"EnterRepeated", {VK_RETURN, VK_RETURN, VK_RETURN, VK_RETURN}},
                    StrayKeys{"EnterThenEscape", {VK_RETURN, VK_ESCAPE}}),
    [](const testing::TestParamInfo<StrayKeys>& info) { return std::string(info.param.name); });

// A wizard drops its title for a moment between two pages while its process
// lives on: the wait goes on to the second page's end.
struct TitleGap {
    const char* build;   // the waiter, or a test build of it without jobs
    int gapMs;
};

class TitleGaps : public testing::TestWithParam<TitleGap> {};

TEST_P(TitleGaps, AGapUnderTheGraceDoesNotEndTheWait) {
    WaiterCase waiterCase("gap");
    if (*GetParam().build) waiterCase.UseWaiterBuild(GetParam().build);
    std::string title = UniqueTitle("gap");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=1500", "pages=2",
                           "gap=" + std::to_string(GetParam().gapMs)});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 2, 10000)) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.waiter().Running()) << "the gap between the pages ended the wait";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 3000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(2u, closed.size()) << "ended before the second page closed";
    EXPECT_LE(ended - TickOf(closed[1]), kEndWithinMs) << "the installer ended with its window";
}

INSTANTIATE_TEST_SUITE_P(
    Waiter, TitleGaps,
    testing::Values(TitleGap{"", 800}, TitleGap{"", 300}, TitleGap{"", 1400},
                    TitleGap{"Tarrywin_nojob.exe", 800}, TitleGap{"Tarrywin_nt4.exe", 800}),
    [](const testing::TestParamInfo<TitleGap>& info) {
        std::string build = *info.param.build ? std::string(info.param.build) : "Tarrywin.exe";
        return build.substr(0, build.find('.')) + "_" + std::to_string(info.param.gapMs) + "ms";
    });

// A window away for longer than the grace while its process lives on (an
// installer that shows its last page and runs on without it) is gone.
TEST(TitleGaps, AWindowAwayForTheGraceIsGone) {
    WaiterCase waiterCase("long-gap");
    std::string title = UniqueTitle("long-gap");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=window", "title=" + title, "lifetime=1500", "pages=2", "gap=6000"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-closed", 1, 5000));
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kTitleGapGraceMs + kEndWithinMs + 1000))
        << "waits on while the window stays away";
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size());
    EXPECT_GE(ended - TickOf(closed[0]), kTitleGapGraceMs) << "ended before the grace";
    EXPECT_LE(ended - TickOf(closed[0]), kTitleGapGraceMs + kEndWithinMs);
    EXPECT_TRUE(waiterCase.LogLines("exit").empty()) << "the installer ended first";
}

// Windows NT 4.0 without a title: setup.exe hands its work to a child and
// ends at once. Nothing tells of the child, so the waiter gives it the same
// grace as a title that never comes, counted from setup.exe's end.
TEST(WaiterWithoutATitleOnNt4, WaitsTheGraceAfterSetupEnds) {
    WaiterCase waiterCase("nt4-untitled");
    waiterCase.UseWaiterBuild("Tarrywin_nt4.exe");
    waiterCase.WriteWaiterIni("[CHECK]\r\nSTRING=\r\n");
    waiterCase.UseStandin({"mode=child", "title=" + UniqueTitle("nt4-untitled"), "delay=500", "lifetime=0"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000));
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 5000));
    PumpFor(2000);
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended with setup.exe while its child worked on";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEmptyJobGraceMs + kEndWithinMs + 3000));
    DWORD ended = GetTickCount();
    std::vector<std::string> exits = waiterCase.LogLines("exit");
    ASSERT_EQ(1u, exits.size()) << "the child ended";
    EXPECT_GE(ended - TickOf(exits[0]), kEmptyJobGraceMs) << "ended before the grace";
    EXPECT_LE(ended - TickOf(exits[0]), kEmptyJobGraceMs + kEndWithinMs);
}

}  // namespace
