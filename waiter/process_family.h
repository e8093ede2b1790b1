// PURPOSE: setup.exe's descendants, told apart by parent process id in lists
// of the system's processes, for systems where no job object gathers them.
// Free of the platform's process list so that it can be checked on its own.
#pragma once
#include "poll_decision.h"

const int kFamilyCapacity = 64;

// setup.exe's id (the root, first member) and the ids of the processes it
// started, and they started, found so far.
struct ProcessFamily {
    unsigned long ids[kFamilyCapacity];
    bool listed[kFamilyCapacity];   // in the list being looked at
    int count;
};

inline void StartFamily(ProcessFamily& family, unsigned long rootId) {
    family.ids[0] = rootId;
    family.count = 1;
}

// Looks at one list of the running processes. walk(visit) calls
// visit(id, parentId) for each process of the list, from its start, and
// returns false when the list could not be read; it may be called several
// times for one list. A process whose parent is a member joins, the list
// being walked again until none joins, so a grandchild listed before its
// parent is found too. A member that is no longer listed has ended and
// leaves (its id may be reused); the root stays, since setup.exe's own
// liveness comes from its process handle, which also keeps its id from
// being reused. A descendant that finds no room counts as alive.
// kAlive when a descendant is listed, kEnded when none is, kLivenessUnknown
// when the list could not be read.
template <typename Walk>
Liveness FamilyLiveness(ProcessFamily& family, Walk walk) {
    if (family.count == 0) return kLivenessUnknown;   // setup.exe never started
    for (int i = 0; i < family.count; ++i) family.listed[i] = false;
    bool overflow = false;
    bool joined;
    do {
        joined = false;
        bool read = walk([&](unsigned long id, unsigned long parentId) {
            bool parentIsMember = false;
            for (int i = 0; i < family.count; ++i) {
                if (family.ids[i] == id) {
                    family.listed[i] = true;
                    return;
                }
                if (family.ids[i] == parentId) parentIsMember = true;
            }
            if (!parentIsMember) return;
            if (family.count == kFamilyCapacity) {
                overflow = true;
                return;
            }
            family.ids[family.count] = id;
            family.listed[family.count] = true;
            ++family.count;
            joined = true;
        });
        if (!read) return kLivenessUnknown;
    } while (joined);
    int kept = 1;
    for (int i = 1; i < family.count; ++i) {
        if (!family.listed[i]) continue;
        family.ids[kept] = family.ids[i];
        family.listed[kept] = true;
        ++kept;
    }
    family.count = kept;
    return overflow || kept > 1 ? kAlive : kEnded;
}
