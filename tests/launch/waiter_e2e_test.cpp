// The launcher's start-and-wait and the waiter together, as an install
// script's "e" command runs them: LaunchAndWait starts Tarrywin.exe with no
// title in a component folder beside the stand-in installer (as setup.exe),
// and must return once the installer's window has come and gone.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <sstream>
#include "launch_fixture.h"
#include "processes.h"

namespace {

// The waiter polls every 500 ms; its end and the wait on it follow at once.
const long kAfterTheWindowWent = 1000;

struct StandinEvent {
    std::string name;
    DWORD processId = 0;
    DWORD tick = 0;
};

// The stand-in's log lines: "<event> pid=<id> tick=<tick> <detail>".
std::vector<StandinEvent> ReadStandinLog(const std::string& path) {
    std::vector<StandinEvent> events;
    std::istringstream lines(ReadTextFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        StandinEvent event;
        std::string pid, tick;
        if (!(fields >> event.name >> pid >> tick)) continue;
        if (pid.rfind("pid=", 0) != 0 || tick.rfind("tick=", 0) != 0) continue;
        event.processId = std::stoul(pid.substr(4));
        event.tick = std::stoul(tick.substr(5));
        events.push_back(event);
    }
    return events;
}

const StandinEvent* Find(const std::vector<StandinEvent>& events, const std::string& name) {
    for (const StandinEvent& event : events)
        if (event.name == name) return &event;
    return nullptr;
}

// The waiter that this test program's launch started: a Tarrywin.exe whose
// parent is this process.
HANDLE OpenStartedWaiter() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return NULL;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE found = NULL;
    for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() && lstrcmpiA(entry.szExeFile, "Tarrywin.exe") == 0)
            found = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    return found;
}

// A component folder as on the disc: the waiter, its INI and the
// component's installer, which hands its window to a child process and
// ends at once, as self-unpacking installers do.
class WaiterEndToEnd : public LaunchTest {
protected:
    void SetUp() override {
        LaunchTest::SetUp();
        title_ = UniqueTitle();
        waiter_ = folder_ + "\\Tarrywin.exe";
        standinLog_ = folder_ + "\\standin.log";
        ASSERT_TRUE(CopyInto(TestEnvironment("TARRYWIN_EXE"), waiter_));
        ASSERT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\standin_setup.exe", folder_ + "\\setup.exe"));
        ASSERT_TRUE(WriteTextFile(folder_ + "\\Tarrywin.INI", "[CHECK]\r\nSTRING=" + title_ + "\r\n"));
    }

    void Installer(const std::string& settings) {
        ASSERT_TRUE(WriteTextFile(folder_ + "\\standin.ini",
                                  "[standin]\r\ntitle=" + title_ + "\r\nlog=" + standinLog_ + "\r\n" + settings));
    }

    std::string title_;
    std::string waiter_;
    std::string standinLog_;
};

TEST_F(WaiterEndToEnd, LaunchReturnsOnceTheInstallerWindowHasComeAndGone) {
    Installer("mode=child\r\ndelay=1000\r\nlifetime=2500\r\n");

    LaunchOnWorker& launch = StartLaunch(waiter_, nullptr);
    HANDLE waiter = NULL;
    ASSERT_TRUE(WaitUntil([&] { return (waiter = OpenStartedWaiter()) != NULL; }, 20000)) << "no waiter started";
    ASSERT_TRUE(WaitUntil([&] { return FindWindowA(NULL, title_.c_str()) != NULL; }, 20000))
        << "the installer's window never came";
    EXPECT_FALSE(launch.ReturnedWithin(0)) << "returned before the installer's window came";
    EXPECT_EQ(folder_, CurrentDirectory()) << "the component folder stays current while the waiter runs";

    launch.LookAtReturn({waiter});
    ASSERT_TRUE(WaitUntil([&] { return FindWindowA(NULL, title_.c_str()) == NULL; }, 20000))
        << "the installer's window never went";
    launch.MustReturnWithin(20000);
    CloseHandle(waiter);
    EXPECT_EQ(0, launch.code());
    EXPECT_TRUE(launch.EndedAtReturn(0)) << "returned before the waiter ended";
    EXPECT_EQ(callerDirectory_, CurrentDirectory());

    // The stand-in's own clock tells when the window opened and closed.
    std::vector<StandinEvent> events = ReadStandinLog(standinLog_);
    const StandinEvent* opened = Find(events, "window-open");
    const StandinEvent* closed = Find(events, "window-closed");
    const StandinEvent* handedOver = Find(events, "child-started");
    ASSERT_NE(nullptr, opened);
    ASSERT_NE(nullptr, closed);
    ASSERT_NE(nullptr, handedOver) << "the installer should have handed its window to a child";
    EXPECT_NE(handedOver->processId, opened->processId);
    EXPECT_GE(Elapsed(opened->tick, launch.returnedAt()), 0);
    EXPECT_GE(Elapsed(closed->tick, launch.returnedAt()), 0) << "returned before the window went";
    EXPECT_LT(Elapsed(closed->tick, launch.returnedAt()), kAfterTheWindowWent)
        << "returned too long after the window went";
}

}  // namespace
