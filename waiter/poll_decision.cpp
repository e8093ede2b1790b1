// PURPOSE: the poll decision; see poll_decision.h.
#include "poll_decision.h"

bool PollEndsWaiting(PollMemory& memory, bool watchingTitle, const PollFacts& facts) {
    if (!watchingTitle) {
        // The job also covers the processes setup.exe started before ending.
        Liveness installer = facts.job != kLivenessUnknown ? facts.job : facts.process;
        return installer == kEnded;
    }
    switch (facts.title) {
    case kTitlePresent:
        memory.titleSeen = true;
        memory.emptyHeld = false;
        return false;
    case kTitleAbsent:
        if (memory.titleSeen) return true;
        if (facts.job != kEnded) {
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
        // Decides nothing; an empty job stays empty, so the hold goes on.
        break;
    }
    return false;
}
