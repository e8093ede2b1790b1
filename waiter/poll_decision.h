// PURPOSE: the decision each poll makes: keep waiting, or end the waiter.
// Free of window handles so that it can be checked on its own.
#pragma once

// How long "setup.exe's job is empty and no window with the title is there"
// must hold before it ends the waiter: a process that left the job (started
// to break away from it, or put into a job of its own) is no longer counted,
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
    kLivenessUnknown,  // not known (no job object on this system)
    kAlive,
    kEnded
};

// What one poll has seen.
struct PollFacts {
    TitleSearch title;   // always kTitleAbsent when no title is watched
    Liveness job;        // setup.exe and every process it started
    Liveness process;    // setup.exe's own process
    unsigned long now;   // when the poll ran, in milliseconds (GetTickCount)
};

// What the waiter keeps from one poll to the next.
struct PollMemory {
    bool titleSeen;      // a poll has found a window with the title
    bool emptyHeld;      // the job was empty and no window there at emptySince
    unsigned long emptySince;
};

// Whether the waiter ends after this poll.
// With a title: the first poll that finds the window marks it seen and the
// first later poll that finds none ends; when setup.exe's job has no process
// left and no window has been found for kEmptyJobGraceMs, a poll that finds
// no window ends too (nothing is left that would open it).
// Without a title: ends once setup.exe's job (or, with no job, its process)
// has ended.
bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts);
