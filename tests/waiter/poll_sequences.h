// PURPOSE: runs the poll decision over a sequence of polls, as the waiter's
// timer would, for the logic tests.
#pragma once
#include <vector>
#include "waiter/poll_decision.h"

// The index of the first poll after which the waiter ends, or -1 when it
// waits on after the last one. A fresh memory, as at the dialog's start.
inline int PollThatEnds(bool watchingTitle, const std::vector<PollFacts>& polls) {
    PollMemory memory = {false, false, 0};
    for (size_t i = 0; i < polls.size(); ++i)
        if (PollEndsWaiting(memory, watchingTitle, polls[i])) return static_cast<int>(i);
    return -1;
}
