// The waiter never waits for a window that can no longer come: setup.exe and
// every process it starts run in a job object, and once that job has been
// empty with no window with the title for the grace period, the waiter ends.
// A window that is still to come, or still there, is waited for as before,
// also one of a child that left the job.
#include <gtest/gtest.h>
#include "waiter/poll_decision.h"
#include "waiter_case.h"

namespace {

TEST(WaiterJob, EndsWhenSetupCrashesBeforeAnyWindow) {
    WaiterCase waiterCase("crash");
    waiterCase.WatchTitle(UniqueTitle("crash"));
    waiterCase.UseStandin({"mode=crash"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("crash", 1, 5000));
    // The system's crash handler runs in the crashed process's job for a moment.
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEmptyJobGraceMs + 10000));
    EXPECT_TRUE(waiterCase.LogLines("exit").empty()) << "the stand-in did not crash";
}

TEST(WaiterJob, EndsWhenSetupExitsBeforeAnyWindow) {
    WaiterCase waiterCase("early-exit");
    waiterCase.WatchTitle(UniqueTitle("early-exit"));
    waiterCase.UseStandin({"mode=exit", "exitcode=3"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEmptyJobGraceMs + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> exits = waiterCase.LogLines("exit");
    ASSERT_EQ(1u, exits.size());
    EXPECT_GE(ended - TickOf(exits[0]), kEmptyJobGraceMs) << "ended before the grace period";
    EXPECT_LE(ended - TickOf(exits[0]), kEmptyJobGraceMs + kEndWithinMs);
}

// setup.exe starts the process that opens the window outside its job, and
// exits: the job is empty while the window is still to come.
void ExpectWaitForAChildOutsideTheJob(const char* mode, const char* startedEvent) {
    WaiterCase waiterCase(mode);
    std::string title = UniqueTitle(mode);
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({std::string("mode=") + mode, "title=" + title, "delay=3000", "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000)) << "setup.exe did not exit early";
    EXPECT_TRUE(waiterCase.LogLines("child-failed").empty()) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.LogLines("job-failed").empty()) << waiterCase.Log();
    ASSERT_EQ(1u, waiterCase.LogLines(startedEvent).size()) << waiterCase.Log();
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 10000)) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended before the child's window came";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "ended before the child's window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

TEST(WaiterJob, WaitsForTheWindowOfAChildThatBrokeAwayFromTheJob) {
    ExpectWaitForAChildOutsideTheJob("breakaway", "child-started");
}

TEST(WaiterJob, WaitsForTheWindowOfAChildInAJobOfItsOwn) {
    ExpectWaitForAChildOutsideTheJob("jobchild", "child-in-job");
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
