// PURPOSE: the poll decision; see poll_decision.h.
#include "poll_decision.h"

Liveness InstallerLiveness(const PollFacts& facts) {
    // The job also covers the processes setup.exe started before ending.
    if (facts.job != kLivenessUnknown) return facts.job;
    if (facts.process == kAlive || facts.descendants == kAlive) return kAlive;
    return facts.process;
}

bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts) {
    Liveness installer = InstallerLiveness(facts);
    if (!watchingTitle) return installer == kEnded;
    switch (facts.title) {
    case kTitlePresent:
        memory.titleSeen = true;
        memory.emptyHeld = false;
        return false;
    case kTitleAbsent:
        if (memory.titleSeen) return true;
        if (installer != kEnded) {
            memory.emptyHeld = false;
            return false;
        }
        if (!memory.emptyHeld) {
            memory.emptyHeld = true;
            memory.emptySince = facts.now;
            return false;
        }
        return facts.now - memory.emptySince >= kEmptyJobGraceMs;
    case kTitleUnread:
        // Decides nothing; an ended installer stays ended, so the hold goes on.
        break;
    }
    return false;
}
