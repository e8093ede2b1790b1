// LaunchAndWait with real programs started through the shell under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlwapi.h>
#include "launch_fixture.h"
#include "processes.h"
#include "script/launch_and_wait.h"

namespace {

// Slack for "at once": a wait on a process handle ends as the process does,
// a search for the window comes every 500 ms.
const long kPromptly = 1000;

// The awaited process ends: the call returns promptly after it, without an
// error, with the caller's directory current again.
void ExpectReturnSoonAfterEnd(LaunchOnWorker& launch, HANDLE awaited, const std::string& callerDirectory) {
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(awaited, 20000));
    DWORD ended = GetTickCount();
    launch.MustReturnWithin(20000);
    EXPECT_TRUE(launch.EndedAtReturn(0));
    EXPECT_LT(Elapsed(ended, launch.returnedAt()), kPromptly);
    EXPECT_EQ(0, launch.code());
    EXPECT_EQ(callerDirectory, CurrentDirectory());
}

TEST_F(LaunchTest, WithoutTitleReturnsWhenTheStartedProgramEnds) {
    HANDLE release;
    std::string releaseName = NewEvent(&release);
    Section("start", {"log=" + log_, "cwd_file=" + folder_ + "\\cwd.txt", "release_event=" + releaseName});

    LaunchOnWorker& launch = StartLaunch(program_, nullptr);
    HANDLE started = OpenLogged(WaitForLog("start", "started"));
    ASSERT_NE(nullptr, started);
    EXPECT_FALSE(launch.ReturnedWithin(1500)) << "returned while the program still runs";
    EXPECT_EQ(folder_, CurrentDirectory()) << "the program's folder stays current while it runs";

    launch.LookAtReturn({started});
    SetEvent(release);
    ExpectReturnSoonAfterEnd(launch, started, callerDirectory_);
    EXPECT_EQ(folder_, ReadTextFile(folder_ + "\\cwd.txt")) << "the program runs in its own folder";
}

TEST_F(LaunchTest, AProgramNamedWithoutAFolderStartsFromTheCurrentDirectory) {
    Section("start", {"log=" + log_, "cwd_file=" + folder_ + "\\cwd.txt"});
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));

    LaunchOnWorker& launch = StartLaunch("prog.exe", nullptr);
    launch.MustReturnWithin(20000);
    EXPECT_EQ(0, launch.code());
    EXPECT_NE(0u, FindLog("start", "ended"));
    EXPECT_EQ(folder_, ReadTextFile(folder_ + "\\cwd.txt"));
    EXPECT_EQ(folder_, CurrentDirectory());
}

// Told not to wait, the call returns once the shell has started the
// program, which still runs in its own folder; with a title too, no window
// is looked for (that search would hold on for the grace period).
class NoWaitTest : public LaunchTest {
protected:
    void ExpectReturnWhileTheProgramRuns(const char* windowTitle) {
        HANDLE release;
        std::string releaseName = NewEvent(&release);
        Section("start", {"log=" + log_, "cwd_file=" + folder_ + "\\cwd.txt", "release_event=" + releaseName});

        LaunchOnWorker& launch = StartLaunch(program_, windowTitle, false);
        ASSERT_TRUE(launch.ReturnedWithin(5000)) << "it waits although told not to";
        EXPECT_EQ(0, launch.code());
        EXPECT_EQ(callerDirectory_, CurrentDirectory());
        HANDLE started = OpenLogged(WaitForLog("start", "started"));
        ASSERT_NE(nullptr, started) << "the program did not start";
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(started, 0)) << "the program should still run";
        EXPECT_TRUE(WaitUntil([&] { return !ReadTextFile(folder_ + "\\cwd.txt").empty(); }, 10000));
        EXPECT_EQ(folder_, ReadTextFile(folder_ + "\\cwd.txt")) << "the program runs in its own folder";
        SetEvent(release);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 20000));
    }
};

TEST_F(NoWaitTest, WithoutWaitingReturnsWhileTheStartedProgramRuns) {
    ExpectReturnWhileTheProgramRuns(nullptr);
}

TEST_F(NoWaitTest, WithoutWaitingATitleIsNotLookedFor) {
    ExpectReturnWhileTheProgramRuns(UniqueTitle().c_str());
}

// The started program hands over to another process that owns the window
// and ends early, as installers that unpack themselves do. The owner closes
// its window some time before it ends.
TEST_F(LaunchTest, WithTitleReturnsWhenTheWindowOwnerEndsNotTheStartedProgram) {
    std::string title = UniqueTitle();
    HANDLE release;
    std::string releaseName = NewEvent(&release);
    Section("start", {"log=" + log_, "hand_over=owner"});
    Section("owner", {"log=" + log_, "title=" + title, "release_event=" + releaseName, "linger_ms=1500"});

    LaunchOnWorker& launch = StartLaunch(program_, title.c_str());
    HANDLE started = OpenLogged(WaitForLog("start", "started"));
    HANDLE owner = OpenLogged(WaitForLog("owner", "window"));
    ASSERT_NE(nullptr, started);
    ASSERT_NE(nullptr, owner);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 20000)) << "the started program should end early";
    EXPECT_FALSE(launch.ReturnedWithin(1500)) << "returned when the started program ended";
    EXPECT_EQ(folder_, CurrentDirectory());

    launch.LookAtReturn({owner});
    SetEvent(release);
    ASSERT_NE(0u, WaitForLog("owner", "window_gone"));
    EXPECT_FALSE(launch.ReturnedWithin(700)) << "returned when the window closed, before its owner ended";
    ExpectReturnSoonAfterEnd(launch, owner, callerDirectory_);
}

// The started program ends without any window with the title, and none
// comes from elsewhere: the wait holds on for the grace period, then the
// script goes on.
TEST_F(LaunchTest, WithTitleThatNeverComesReturnsAfterTheGracePeriod) {
    Section("start", {"log=" + log_});
    LaunchOnWorker& launch = StartLaunch(program_, UniqueTitle().c_str());
    HANDLE started = OpenLogged(WaitForLog("start", "started"));
    ASSERT_NE(nullptr, started);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 20000));
    DWORD ended = GetTickCount();
    EXPECT_FALSE(launch.ReturnedWithin(kEndedProgramGraceMs - 2000))
        << "returned before the window had time to come";
    ASSERT_TRUE(launch.ReturnedWithin(2000 + 2 * kPromptly + 1000)) << "still waiting for a window that cannot come";
    EXPECT_GE(Elapsed(ended, launch.returnedAt()), static_cast<long>(kEndedProgramGraceMs) - 500);
    EXPECT_EQ(0, launch.code());
    EXPECT_EQ(callerDirectory_, CurrentDirectory());
}

// The started program ends and another process opens the window within the
// grace period: that window's owner is waited for.
TEST_F(LaunchTest, WithTitleAWindowThatComesAfterTheStartedProgramEndedIsWaitedFor) {
    std::string title = UniqueTitle();
    HANDLE release;
    std::string releaseName = NewEvent(&release);
    Section("start", {"log=" + log_});
    Section("late", {"log=" + log_, "title=" + title, "window_delay_ms=4000", "release_event=" + releaseName});

    HANDLE late = StartChild("late");
    ASSERT_NE(nullptr, late);
    LaunchOnWorker& launch = StartLaunch(program_, title.c_str());
    HANDLE started = OpenLogged(WaitForLog("start", "started"));
    ASSERT_NE(nullptr, started);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(started, 20000));
    ASSERT_NE(0u, WaitForLog("late", "window"));
    EXPECT_FALSE(launch.ReturnedWithin(kEndedProgramGraceMs + 1000)) << "gave up on a window that was there";
    launch.LookAtReturn({late});
    SetEvent(release);
    ExpectReturnSoonAfterEnd(launch, late, callerDirectory_);
}

// A window with the title is up before the program starts; the started
// program opens one with the same title a little later and stays. The wait
// belongs to the window that was found first.
TEST_F(LaunchTest, WithTitleAttachesAtOnceToAWindowThatIsAlreadyThere) {
    std::string title = UniqueTitle();
    HANDLE releaseExisting, releaseStarted;
    std::string releaseExistingName = NewEvent(&releaseExisting);
    std::string releaseStartedName = NewEvent(&releaseStarted);
    Section("existing", {"log=" + log_, "title=" + title, "release_event=" + releaseExistingName});
    Section("start", {"log=" + log_, "title=" + title, "window_delay_ms=1500", "release_event=" + releaseStartedName});

    HANDLE existing = StartChild("existing");
    ASSERT_NE(nullptr, existing);
    ASSERT_NE(0u, WaitForLog("existing", "window"));
    ASSERT_NE(nullptr, FindWindowA(NULL, title.c_str()));

    LaunchOnWorker& launch = StartLaunch(program_, title.c_str());
    HANDLE started = OpenLogged(WaitForLog("start", "window"));
    ASSERT_NE(nullptr, started);
    EXPECT_FALSE(launch.ReturnedWithin(500));

    launch.LookAtReturn({existing, started});
    SetEvent(releaseExisting);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(existing, 20000));
    DWORD ended = GetTickCount();
    ASSERT_TRUE(launch.ReturnedWithin(5000)) << "it waits for the started program's window instead";
    EXPECT_TRUE(launch.EndedAtReturn(0));
    EXPECT_TRUE(launch.LookedAt(1));
    EXPECT_FALSE(launch.EndedAtReturn(1)) << "the started program is still running";
    EXPECT_LT(Elapsed(ended, launch.returnedAt()), kPromptly);
    EXPECT_EQ(0, launch.code());
    EXPECT_EQ(callerDirectory_, CurrentDirectory());
}

// The shell cannot start these; it shows its own error box, which the
// closer dismisses as the user would.
TEST_F(LaunchTest, AFailedStartRaisesAndRestoresTheCurrentDirectory) {
    Section("start", {"log=" + log_});
    ASSERT_TRUE(WriteTextFile(folder_ + "\\data.lwtnone", "no program is registered for this"));
    ASSERT_TRUE(WriteTextFile(folder_ + "\\broken.exe", "not a program"));
    DialogCloser closer;
    for (const char* name : {"data.lwtnone", "broken.exe", "missing.exe", "no such folder\\prog.exe"}) {
        LaunchOnWorker& launch = StartLaunch(folder_ + "\\" + name, nullptr);
        launch.MustReturnWithin(30000);
        EXPECT_LT(launch.code(), 0) << name;
        EXPECT_EQ(callerDirectory_, CurrentDirectory()) << name;
    }
    LaunchOnWorker& titled = StartLaunch(folder_ + "\\broken.exe", UniqueTitle().c_str());
    titled.MustReturnWithin(30000);
    EXPECT_LT(titled.code(), 0) << "with a title";
    EXPECT_EQ(callerDirectory_, CurrentDirectory());
    EXPECT_EQ(0u, FindLog("start", "started")) << "nothing should have run";
}

// A document whose program answers the shell over DDE: the running program
// takes the document and the shell starts no process, so there is nothing
// to wait for.
class RegisteredDocument {
public:
    RegisteredDocument(const std::string& extension, const std::string& command, const std::string& service)
        : extension_(extension), kind_("LaunchWaitTest" + extension) {
        Set(extension_, "", kind_);
        Set(kind_ + "\\shell\\open\\command", "", command);
        Set(kind_ + "\\shell\\open\\ddeexec", "", "[open(\"%1\")]");
        Set(kind_ + "\\shell\\open\\ddeexec\\application", "", service);
        Set(kind_ + "\\shell\\open\\ddeexec\\topic", "", "System");
    }
    ~RegisteredDocument() {
        SHDeleteKeyA(HKEY_CLASSES_ROOT, extension_.c_str());
        SHDeleteKeyA(HKEY_CLASSES_ROOT, kind_.c_str());
    }

private:
    static void Set(const std::string& key, const char* name, const std::string& value) {
        HKEY handle;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL));
        RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
    }
    std::string extension_;
    std::string kind_;
};

TEST_F(LaunchTest, WithoutTitleAndWithoutAProcessFromTheShellReturnsAtOnce) {
    HANDLE release;
    std::string releaseName = NewEvent(&release);
    std::string service = "LaunchWaitTest" + std::to_string(GetCurrentProcessId());
    Section("server", {"log=" + log_, "dde_service=" + service, "release_event=" + releaseName});
    Section("command", {"log=" + log_});
    RegisteredDocument document(".lwtdde", "\"" + program_ + "\" command", service);
    ASSERT_TRUE(WriteTextFile(folder_ + "\\note.lwtdde", "a document"));

    HANDLE server = StartChild("server");
    ASSERT_NE(nullptr, server);
    ASSERT_NE(0u, WaitForLog("server", "ready"));

    LaunchOnWorker& launch = StartLaunch(folder_ + "\\note.lwtdde", nullptr);
    ASSERT_TRUE(launch.ReturnedWithin(15000)) << "it waits although the shell started nothing";
    EXPECT_EQ(0, launch.code());
    std::string command;
    EXPECT_NE(0u, FindLog("server", "execute", &command)) << "the document should have gone to the running program";
    EXPECT_NE(std::string::npos, command.find("note.lwtdde")) << command;
    EXPECT_EQ(0u, FindLog("command", "started")) << "the shell started the program instead";
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(server, 0));
    EXPECT_EQ(callerDirectory_, CurrentDirectory());
}

// With a title and no process from the shell: the running program that took
// the document is waited for while it shows a window with the title; when no
// such window comes, the wait ends after the grace period.
class TitledDocumentTest : public LaunchTest {
protected:
    void HandDocumentToRunningProgram(bool showsTitle) {
        std::string title = UniqueTitle();
        HANDLE release;
        std::string releaseName = NewEvent(&release);
        std::string service = "LaunchWaitTitled" + std::to_string(GetCurrentProcessId());
        std::vector<std::string> server = {"log=" + log_, "dde_service=" + service, "release_event=" + releaseName};
        if (showsTitle) server.push_back("title=" + title);
        Section("server", server);
        Section("command", {"log=" + log_});
        RegisteredDocument document(".lwtdde", "\"" + program_ + "\" command", service);
        ASSERT_TRUE(WriteTextFile(folder_ + "\\note.lwtdde", "a document"));
        HANDLE running = StartChild("server");
        ASSERT_NE(nullptr, running);
        ASSERT_NE(0u, WaitForLog("server", "ready"));

        DWORD started = GetTickCount();
        LaunchOnWorker& launch = StartLaunch(folder_ + "\\note.lwtdde", title.c_str());
        if (showsTitle) {
            EXPECT_FALSE(launch.ReturnedWithin(kEndedProgramGraceMs + 1500)) << "gave up on a window that was there";
            launch.LookAtReturn({running});
            SetEvent(release);
            ExpectReturnSoonAfterEnd(launch, running, callerDirectory_);
        } else {
            EXPECT_FALSE(launch.ReturnedWithin(kEndedProgramGraceMs - 2000))
                << "returned before the window had time to come";
            ASSERT_TRUE(launch.ReturnedWithin(2000 + 2 * kPromptly + 3000))
                << "still waiting for a window that nothing is left to open";
            EXPECT_GE(Elapsed(started, launch.returnedAt()), static_cast<long>(kEndedProgramGraceMs) - 500);
            EXPECT_EQ(0, launch.code());
            EXPECT_EQ(callerDirectory_, CurrentDirectory());
            EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(running, 0)) << "the running program ended";
        }
        EXPECT_NE(0u, FindLog("server", "execute")) << "the document should have gone to the running program";
        EXPECT_EQ(0u, FindLog("command", "started")) << "the shell started the program instead";
    }
};

TEST_F(TitledDocumentTest, WithTitleAndWithoutAProcessFromTheShellGivesUpWhenNoWindowComes) {
    HandDocumentToRunningProgram(false);
}

TEST_F(TitledDocumentTest, WithTitleAndWithoutAProcessFromTheShellWaitsForTheRunningProgramsWindow) {
    HandDocumentToRunningProgram(true);
}

}  // namespace
