// PURPOSE: one waiter scenario on the real platform: a fresh folder holding
// Tarrywin.exe, its Tarrywin.INI and the stand-in installer as setup.exe;
// titled windows made by the test itself; a probe that sees each poll.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "processes.h"
#include "waiter/poll_decision.h"

// One poll period of the waiter, and how long after a window has gone the
// waiter may take to end: one poll and slack for a busy machine.
const DWORD kPollMs = 500;
const DWORD kEndWithinMs = 1500;
// How long after a window has gone, while the installer lives on, the waiter
// may take to end: the window counts as gone once it has stayed away for
// the gap grace.
const DWORD kGoneWhileInstallerRunsWithinMs = kTitleGapGraceMs + kEndWithinMs;

// A title that no other test case and no other run uses.
std::string UniqueTitle(const std::string& tag);

class WaiterCase {
public:
    // The waiter's folder is a fresh temporary folder, or subfolder inside one
    // when given (names with blanks or double-byte characters).
    explicit WaiterCase(const std::string& tag, const std::string& subfolder = "");
    // Ends every stand-in the log names and the waiter, and removes the folders.
    ~WaiterCase();

    const std::string& folder() const { return folder_; }
    const std::string& base() const { return base_; }

    // Puts a test build of the waiter (a file in the test programs' folder)
    // in place of Tarrywin.exe.
    void UseWaiterBuild(const std::string& fileName);
    // Tarrywin.INI with [CHECK] STRING=title, or the given text verbatim.
    void WatchTitle(const std::string& title);
    void WriteWaiterIni(const std::string& text);
    // Copies the stand-in in as setup.exe with a standin.ini holding these
    // lines of [standin] settings.
    void UseStandin(const std::vector<std::string>& settings);

    // Starts the waiter by its full path with its folder current.
    bool StartWaiter();
    // Starts it as a user typing its bare name in its folder would.
    bool StartWaiterByBareName();
    // Starts a copy of it named fileName, from the same folder.
    bool StartWaiterNamed(const std::string& fileName);
    Program& waiter() { return waiter_; }

    std::string Log() const;
    // The log lines that begin with event (e.g. "window-closed").
    std::vector<std::string> LogLines(const std::string& event) const;
    // Waits (processing messages) until the log holds count lines of event.
    bool WaitForLog(const std::string& event, size_t count, DWORD timeoutMs) const;

private:
    // Ends every stand-in of this case that still runs, the ones the waiter
    // started and their children.
    void EndStandins();

    bool usesStandin_ = false;
    std::string base_;
    std::string folder_;
    Program waiter_;
};

// The tick=<n> field of a log line (GetTickCount in the stand-in).
DWORD TickOf(const std::string& logLine);

// A top-level window of the test process with the given text, as an
// installer's window would be; destroyed with the object. The test must keep
// processing messages while it lives (WaitUntil does), since the waiter asks
// every window for its text length.
class TitledWindow {
public:
    explicit TitledWindow(const std::string& title, bool visible = true);
    ~TitledWindow() { Destroy(); }
    TitledWindow(const TitledWindow&) = delete;
    TitledWindow& operator=(const TitledWindow&) = delete;
    void Destroy();
    HWND handle() const { return window_; }

private:
    HWND window_;
};

// Counts the waiter's polls as they happen: a hook in the waiter's thread
// (poll_spy.cpp) tells the probe's window each time a poll begins.
class PollProbe {
public:
    PollProbe();
    ~PollProbe();
    PollProbe(const PollProbe&) = delete;
    PollProbe& operator=(const PollProbe&) = delete;

    // Waits for the waiter's dialog and hooks its thread.
    bool Attach(const Program& waiter);
    int polls() const;
    // Waits until count more polls have begun; returns whether they did.
    bool WaitForPolls(int count, DWORD timeoutMs = 5000) const;
    // Waits for the next poll to begin and 100 ms more (a poll takes a few
    // milliseconds), so that the caller acts between two polls.
    bool BetweenPolls() const;

private:
    HWND window_;
    HMODULE spy_;
    HHOOK hook_;
};

// Processes messages for ms milliseconds.
void PumpFor(DWORD ms);

// The top-level window of the process with the dialog class, or null.
HWND WaiterDialogOf(const Program& program);
