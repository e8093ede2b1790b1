// PURPOSE: the decision each poll makes: keep waiting, or end the waiter.
// Free of window handles so that it can be checked on its own.
#pragma once

// How long "setup.exe and what it started have ended and no window with the
// title is there" must hold before it ends the waiter: a process that left
// setup.exe's job (started to break away from it, or put into a job of its
// own), or that the system cannot tell apart as setup.exe's, is not counted,
// and may still be about to open the window.
const unsigned long kEmptyJobGraceMs = 10000;

// What a walk over the top-level windows found.
enum TitleSearch {
    kTitleAbsent,    // every window was read, none has the title
    kTitlePresent,   // at least one window has the title
    kTitleUnread     // no window to walk, or a text could not be read
};

// Whether something the waiter started is still alive.
enum Liveness {
    kLivenessUnknown,  // not known (the system cannot tell)
    kAlive,
    kEnded
};

// What one poll has seen.
struct PollFacts {
    TitleSearch title;   // always kTitleAbsent when no title is watched
    Liveness job;        // setup.exe and every process it started, from its job
    Liveness process;    // setup.exe's own process
    unsigned long now;   // when the poll ran, in milliseconds (GetTickCount)
    // Without a job: the processes setup.exe started and they started, from
    // the system's process list (unknown where there is none: Windows NT 4.0).
    Liveness descendants;
};

// What the waiter keeps from one poll to the next.
struct PollMemory {
    bool titleSeen;      // a poll has found a window with the title
    bool emptyHeld;      // the installer had ended and no window was there at emptySince
    unsigned long emptySince;
};

// Whether setup.exe and what it started still run, from the best the system
// tells: the job; without one, setup.exe's process and its descendants (only
// the process where descendants cannot be known).
Liveness InstallerLiveness(const PollFacts& facts);

// Whether the waiter ends after this poll.
// With a title: the first poll that finds the window marks it seen and the
// first later poll that finds none ends; when the installer (InstallerLiveness)
// has ended and no window has been found for kEmptyJobGraceMs, a poll that
// finds no window ends too (nothing is left that would open it).
// Without a title: ends once the installer has ended.
bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts);
