// PURPOSE: the poll decision; see poll_decision.h.
#include "poll_decision.h"

namespace {

// Whether a state has lasted holdMs: the first poll that finds it starts the
// clock, a poll that finds it no longer stops it.
bool HeldFor(PollMemory& memory, bool holds, unsigned long now, unsigned long holdMs) {
    if (!holds) {
        memory.holding = false;
        return false;
    }
    if (!memory.holding) {
        memory.holding = true;
        memory.holdSince = now;
        return false;
    }
    return now - memory.holdSince >= holdMs;
}

}  // namespace

Liveness InstallerLiveness(const PollFacts& facts) {
    // The job also covers the processes setup.exe started before ending.
    if (facts.job != kLivenessUnknown) return facts.job;
    if (facts.process == kAlive || facts.descendants == kAlive) return kAlive;
    return facts.process;
}

bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts) {
    bool installerEnded = InstallerLiveness(facts) == kEnded;
    if (!watchingTitle) {
        // Only setup.exe's own process is known: what it started may work on.
        if (facts.job == kLivenessUnknown && facts.descendants == kLivenessUnknown)
            return HeldFor(memory, installerEnded, facts.now, kEmptyJobGraceMs);
        return installerEnded;
    }
    switch (facts.title) {
    case kTitlePresent:
        memory.titleSeen = true;
        memory.holding = false;
        return false;
    case kTitleAbsent:
        if (!memory.titleSeen) return HeldFor(memory, installerEnded, facts.now, kEmptyJobGraceMs);
        // A gap between two pages, unless nothing is left to open the next.
        return installerEnded || HeldFor(memory, true, facts.now, kTitleGapGraceMs);
    case kTitleUnread:
        // Decides nothing; the hold goes on.
        break;
    }
    return false;
}

unsigned int NextPollDelayMs(const PollMemory& memory) {
    return memory.titleSeen && memory.holding ? kGapPollIntervalMs : kPollIntervalMs;
}
