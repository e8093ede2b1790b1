// PURPOSE: what the launch-and-wait tests share: LaunchAndWait run on a
// worker thread with bounded waits, a fresh folder holding a copy of the
// test child, and reading the child's log.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include <vector>
#include "runtime/error_codes.h"

// Ends the test program at once, saying why. Used when a launch never
// returns: its thread still holds the error frames, which are process-wide,
// so no later test could use them.
[[noreturn]] void GiveUp(const std::string& why);

// One LaunchAndWait call on its own thread, so that a wait that never ends
// fails the test instead of hanging the suite. While it runs, nothing else in
// the test program may use the error frames.
class LaunchOnWorker {
public:
    // wait is LaunchAndWait's own: false starts without waiting.
    LaunchOnWorker(const std::string& programPath, const char* windowTitle, bool wait = true);
    ~LaunchOnWorker();

    // Whether LaunchAndWait has returned, waiting up to milliseconds for it.
    bool ReturnedWithin(DWORD milliseconds);
    // Waits for the return; gives up the whole test program when it does not
    // come within milliseconds.
    void MustReturnWithin(DWORD milliseconds);

    // Process handles to look at the moment LaunchAndWait returns: whether
    // each had ended by then. Set before releasing what the launch waits for;
    // a launch that returned before that has looked at none of them.
    void LookAtReturn(const std::vector<HANDLE>& processes);
    bool EndedAtReturn(size_t index) const { return index < endedAtReturn_.size() && endedAtReturn_[index]; }
    bool LookedAt(size_t index) const { return index < endedAtReturn_.size(); }

    ErrorCode code() const { return code_; }
    DWORD returnedAt() const { return returnedAt_; }

private:
    static DWORD WINAPI Run(void* self);

    std::string programPath_;
    std::string windowTitle_;
    bool hasTitle_;
    bool wait_;
    HANDLE thread_ = NULL;
    ErrorCode code_ = 12345;
    DWORD returnedAt_ = 0;
    std::vector<HANDLE> watched_;
    std::vector<bool> endedAtReturn_;
};

// A closer for the shell's own error boxes: while it lives, every dialog of
// this process is closed as the user would close it.
class DialogCloser {
public:
    DialogCloser();
    ~DialogCloser();
    LONG closed() const { return closed_; }

private:
    static DWORD WINAPI Run(void* self);
    static BOOL CALLBACK CloseIfDialog(HWND window, LPARAM self);
    HANDLE stop_;
    HANDLE thread_;
    volatile LONG closed_ = 0;
};

std::string CurrentDirectory();

// Each test gets a folder whose name has a blank in it, holding prog.exe (a
// copy of the test child) and, once written, prog.ini; the test program's
// own current directory is elsewhere.
class LaunchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds a section of key=value lines to prog.ini and writes the file.
    void Section(const std::string& name, const std::vector<std::string>& lines);
    // A named manual-reset event, set at tear-down at the latest.
    std::string NewEvent(HANDLE* event);
    std::string UniqueTitle();

    LaunchOnWorker& StartLaunch(const std::string& programPath, const char* windowTitle, bool wait = true);

    // The process id in the child's first "<section> <event>" log line, or
    // 0 when there is none; detail (if asked for) gets the rest of the line.
    DWORD FindLog(const std::string& section, const std::string& event, std::string* detail = nullptr);
    // The same, waiting up to milliseconds for the line.
    DWORD WaitForLog(const std::string& section, const std::string& event, DWORD milliseconds = 20000);
    // Opens a logged process for waiting; closed at tear-down.
    HANDLE OpenLogged(DWORD processId);
    // Starts a copy of the child for a section directly (not through the
    // shell); ended at tear-down.
    HANDLE StartChild(const std::string& section);

    std::string folder_;
    std::string program_;
    std::string log_;
    std::string callerDirectory_;

private:
    std::string ini_;
    std::string startDirectory_;
    std::vector<HANDLE> events_;
    std::vector<HANDLE> processes_;
    std::unique_ptr<LaunchOnWorker> launch_;
};

// Milliseconds from a to b, negative when b came first.
inline long Elapsed(DWORD a, DWORD b) { return static_cast<long>(b - a); }
