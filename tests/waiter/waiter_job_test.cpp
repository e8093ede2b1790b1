// The waiter never waits for a window that can no longer come: setup.exe and
// every process it starts run in a job object, and once that job is empty a
// poll that finds no window with the title ends the waiter. A window that is
// still to come, or still there, is waited for as before.
#include <gtest/gtest.h>
#include "waiter_case.h"

namespace {

TEST(WaiterJob, EndsWhenSetupCrashesBeforeAnyWindow) {
    WaiterCase waiterCase("crash");
    waiterCase.WatchTitle(UniqueTitle("crash"));
    waiterCase.UseStandin({"mode=crash"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("crash", 1, 5000));
    // The system's crash handler runs in the crashed process's job for a moment.
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(10000));
    EXPECT_TRUE(waiterCase.LogLines("exit").empty()) << "the stand-in did not crash";
}

TEST(WaiterJob, EndsWhenSetupExitsBeforeAnyWindow) {
    WaiterCase waiterCase("early-exit");
    waiterCase.WatchTitle(UniqueTitle("early-exit"));
    waiterCase.UseStandin({"mode=exit", "exitcode=3"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> exits = waiterCase.LogLines("exit");
    ASSERT_EQ(1u, exits.size());
    EXPECT_LE(ended - TickOf(exits[0]), kEndWithinMs);
}

TEST(WaiterJob, WaitsForTheWindowOfAChildStartedBySetupAfterSetupHasExited) {
    WaiterCase waiterCase("child");
    std::string title = UniqueTitle("child");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=child", "title=" + title, "delay=2000", "lifetime=1000"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000)) << "setup.exe did not exit early";
    PumpFor(1000);
    ASSERT_TRUE(waiterCase.LogLines("window-open").empty()) << "the child opened its window too soon";
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended before the child's window came";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1000 + 1000 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "ended before the child's window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

TEST(WaiterJob, WaitsForAWindowOfAnUnrelatedProcessToGo) {
    WaiterCase waiterCase("unrelated");
    std::string title = UniqueTitle("unrelated");
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=exit"});
    PollProbe probe;
    TitledWindow window(title);
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(probe.Attach(waiterCase.waiter()));
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000));
    ASSERT_TRUE(probe.WaitForPolls(3));
    EXPECT_TRUE(waiterCase.waiter().Running());
    window.Destroy();
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEndWithinMs));
}

TEST(WaiterJob, WithoutATitleWaitsForEveryProcessSetupStarted) {
    WaiterCase waiterCase("untitled-child");
    waiterCase.WriteWaiterIni("[CHECK]\r\nSTRING=\r\n");
    waiterCase.UseStandin({"mode=child", "title=" + UniqueTitle("untitled-child"), "delay=500",
                           "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000));
    PumpFor(1000);
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended while the child ran";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1000 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> exits = waiterCase.LogLines("exit");
    ASSERT_EQ(2u, exits.size()) << "ended before the child";
    EXPECT_LE(ended - TickOf(exits[1]), kEndWithinMs);
}

}  // namespace
