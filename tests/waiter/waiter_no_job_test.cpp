// The real waiter where setup.exe joins no job object: a test build whose
// look-up of kernel32's newer functions answers as Windows 95 to ME do (no
// job objects, a process list) or as Windows NT 4.0 does (neither). It still
// ends when setup.exe, and what it started where that can be known, has
// ended and no window with the title has come for the grace period.
#include <gtest/gtest.h>
#include "waiter/poll_decision.h"
#include "waiter_case.h"

namespace {

const char* const kWithProcessList = "Tarrywin_nojob.exe";
const char* const kWithoutProcessList = "Tarrywin_nt4.exe";

// The waiter ends between the grace period and the grace period plus one
// poll after the line of event in the log (the last one, when more).
void ExpectEndAfterGrace(WaiterCase& waiterCase, const char* event) {
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEmptyJobGraceMs + kEndWithinMs + 5000))
        << "it waits on with nothing left to open the window";
    DWORD ended = GetTickCount();
    std::vector<std::string> lines = waiterCase.LogLines(event);
    ASSERT_FALSE(lines.empty()) << waiterCase.Log();
    EXPECT_GE(ended - TickOf(lines.back()), kEmptyJobGraceMs) << "ended before the grace period";
    EXPECT_LE(ended - TickOf(lines.back()), kEmptyJobGraceMs + kEndWithinMs);
}

// setup.exe ends without ever showing the title (an error box of another
// title, a window renamed): nothing is left that would show it.
TEST(WaiterWithoutJob, EndsWhenSetupEndsWithoutTheWindow) {
    for (const char* build : {kWithProcessList, kWithoutProcessList}) {
        SCOPED_TRACE(build);
        WaiterCase waiterCase("nojob-exit");
        waiterCase.UseWaiterBuild(build);
        waiterCase.WatchTitle(UniqueTitle("nojob-exit"));
        waiterCase.UseStandin({"mode=window", "title=Another Title", "lifetime=1000"});
        ASSERT_TRUE(waiterCase.StartWaiter());
        ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 10000)) << waiterCase.Log();
        ExpectEndAfterGrace(waiterCase, "exit");
    }
}

TEST(WaiterWithoutJob, EndsWhenSetupCrashesBeforeAnyWindow) {
    WaiterCase waiterCase("nojob-crash");
    waiterCase.UseWaiterBuild(kWithProcessList);
    waiterCase.WatchTitle(UniqueTitle("nojob-crash"));
    waiterCase.UseStandin({"mode=crash"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("crash", 1, 5000));
    // Wine's crash handler may run a moment as a process setup.exe started.
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(kEmptyJobGraceMs + 15000));
}

// setup.exe starts the process that shows the window and ends; the window
// comes later than the grace period after setup.exe's end. Only the process
// list tells that the child still runs.
TEST(WaiterWithoutJob, WaitsForAChildThatShowsTheWindowAfterTheGracePeriod) {
    WaiterCase waiterCase("nojob-child");
    std::string title = UniqueTitle("nojob-child");
    waiterCase.UseWaiterBuild(kWithProcessList);
    waiterCase.WatchTitle(title);
    DWORD delay = kEmptyJobGraceMs + 3000;
    waiterCase.UseStandin({"mode=child", "title=" + title, "delay=" + std::to_string(delay), "lifetime=1000"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000)) << "setup.exe did not exit early";
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, delay + 5000)) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended while setup.exe's child still ran";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1000 + kEndWithinMs + 1000));
    DWORD ended = GetTickCount();
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    ASSERT_EQ(1u, closed.size()) << "ended before the child's window closed";
    EXPECT_LE(ended - TickOf(closed[0]), kEndWithinMs);
}

// Windows NT 4.0 cannot tell setup.exe's children: a child whose window
// comes within the grace period is waited for, a later one is not.
TEST(WaiterWithoutJob, WithoutAProcessListWaitsForAChildsWindowWithinTheGracePeriod) {
    WaiterCase waiterCase("nt4-child");
    std::string title = UniqueTitle("nt4-child");
    waiterCase.UseWaiterBuild(kWithoutProcessList);
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=child", "title=" + title, "delay=3000", "lifetime=1500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, 10000)) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended before the child's window came";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1500 + kEndWithinMs + 1000));
    std::vector<std::string> closed = waiterCase.LogLines("window-closed");
    EXPECT_EQ(1u, closed.size()) << "ended before the child's window closed";
}

TEST(WaiterWithoutJob, WithoutAProcessListEndsAfterTheGracePeriodThoughAChildRuns) {
    WaiterCase waiterCase("nt4-late");
    std::string title = UniqueTitle("nt4-late");
    waiterCase.UseWaiterBuild(kWithoutProcessList);
    waiterCase.WatchTitle(title);
    waiterCase.UseStandin({"mode=child", "title=" + title, "delay=" + std::to_string(kEmptyJobGraceMs + 8000),
                           "lifetime=500"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000));
    ExpectEndAfterGrace(waiterCase, "exit");
    EXPECT_TRUE(waiterCase.LogLines("window-open").empty()) << "the child's window came early";
}

TEST(WaiterWithoutJob, WithoutATitleWaitsForEveryProcessSetupStarted) {
    WaiterCase waiterCase("nojob-untitled");
    waiterCase.UseWaiterBuild(kWithProcessList);
    waiterCase.WriteWaiterIni("[CHECK]\r\nSTRING=\r\n");
    waiterCase.UseStandin({"mode=child", "title=" + UniqueTitle("nojob-untitled"), "delay=500", "lifetime=1500"});
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

// setup.exe cannot join the waiter's job at the first try, as when the
// waiter runs in a job that allows no second one: started again out of that
// job, it joins. With no process list to fall back on, only the job can
// tell that setup.exe's child, whose window comes after the grace period,
// still runs.
TEST(WaiterWithoutJob, StartsSetupOutOfAJobThatAllowsNoSecondOne) {
    WaiterCase waiterCase("nested-child");
    std::string title = UniqueTitle("nested-child");
    waiterCase.UseWaiterBuild("Tarrywin_nested.exe");
    waiterCase.WatchTitle(title);
    DWORD delay = kEmptyJobGraceMs + 3000;
    waiterCase.UseStandin({"mode=child", "title=" + title, "delay=" + std::to_string(delay), "lifetime=1000"});
    ASSERT_TRUE(waiterCase.StartWaiter());
    ASSERT_TRUE(waiterCase.WaitForLog("exit", 1, 5000)) << "setup.exe did not exit early";
    size_t setupStarts = 0;
    for (const std::string& line : waiterCase.LogLines("start"))
        if (line.find("mode=child") != std::string::npos) ++setupStarts;
    EXPECT_EQ(1u, setupStarts) << "setup.exe's first start ran: " << waiterCase.Log();
    ASSERT_TRUE(waiterCase.WaitForLog("window-open", 1, delay + 5000)) << waiterCase.Log();
    EXPECT_TRUE(waiterCase.waiter().Running()) << "ended while setup.exe's child still ran in the job";
    EXPECT_EQ(0, waiterCase.waiter().WaitForExit(1000 + kEndWithinMs + 1000));
    EXPECT_EQ(1u, waiterCase.LogLines("window-closed").size()) << "ended before the child's window closed";
}

}  // namespace
