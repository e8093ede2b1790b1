// PURPOSE: the decision each poll makes: keep waiting, or end the waiter.
// Free of window handles so that it can be checked on its own.
#pragma once

// How long "setup.exe and what it started have ended and no window with the
// title is there" must hold before it ends the waiter: a process that left
// setup.exe's job (started to break away from it, or put into a job of its
// own), or that the system cannot tell apart as setup.exe's, is not counted,
// and may still be about to open the window.
const unsigned long kEmptyJobGraceMs = 10000;

// How long the window, once seen, may stay away while setup.exe or what it
// started lives on before it counts as gone: a wizard drops its title for a
// moment between two pages. Where the installer's processes end with the
// window, the first poll that finds them ended ends the wait at once.
const unsigned long kTitleGapGraceMs = 2000;

// The time between polls, and between the polls that look for the end of the
// installer's processes during a gap: an installer whose processes end a
// moment after its window is seen ended at the next of these, not a whole
// poll interval later.
const unsigned int kPollIntervalMs = 500;
const unsigned int kGapPollIntervalMs = 50;

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
    // A state that ends the wait once it has lasted its grace period has held
    // at every poll since holdSince: before the window was seen, the
    // installer ended and no window there; after it, the window away while
    // the installer lives on; without a title, setup.exe ended where nothing
    // tells of the processes it started.
    bool holding;
    unsigned long holdSince;
};

// Whether setup.exe and what it started still run, from the best the system
// tells: the job; without one, setup.exe's process and its descendants (only
// the process where descendants cannot be known).
Liveness InstallerLiveness(const PollFacts& facts);

// Whether the waiter ends after this poll.
// With a title: the first poll that finds the window marks it seen. Once
// seen, a poll that finds no window ends when the installer
// (InstallerLiveness) has ended, or when the window has stayed away for
// kTitleGapGraceMs while the installer lives on (or cannot be told).
// Before it is seen: when the installer has ended and no window has been
// found for kEmptyJobGraceMs, a poll that finds no window ends too (nothing
// is left that would open it).
// Without a title: ends once the installer has ended; where only setup.exe's
// own process can be told (no job, no process list: Windows NT 4.0), once it
// has been ended for kEmptyJobGraceMs, since a process it started may work on.
bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts);

// How long after this poll the next one comes: sooner while the window is
// away and the installer lives on.
unsigned int NextPollDelayMs(const PollMemory& memory);
