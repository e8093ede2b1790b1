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
        return false;
    case kTitleAbsent:
        return memory.titleSeen || facts.job == kEnded;
    case kTitleUnread:
        break;
    }
    return false;
}
