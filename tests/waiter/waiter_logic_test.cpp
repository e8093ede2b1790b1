// The waiter's rules free of the platform: the folder cut, text equality and
// the decision of each poll (in a single-byte code page; see
// waiter_logic_dbcs_test.cpp for code page 932).
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "poll_sequences.h"
#include "waiter/process_family.h"
#include "waiter/text_rules.h"

namespace {

struct FolderCase {
    const char* path;
    size_t folderLength;
};

TEST(FolderLength, EndsAfterTheLastBackslash) {
    const FolderCase cases[] = {
        {"C:\\Disc\\orbital\\west\\Tarrywin.exe", 21},
        {"C:\\Tarrywin.exe", 3},
        {"\\\\server\\share\\Tarrywin.exe", 15},
        {"C:\\Disc\\", 8},
        {"C:\\a\\\\b", 6},
        {"Tarrywin.exe", 0},
        {"", 0},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(c.folderLength, FolderLength(c.path)) << c.path;
}

struct TextCase {
    const char* text;
    const char* title;
    bool same;
};

TEST(SameText, WholeTextExactAndWithCase) {
    const TextCase cases[] = {
        {"Component Setup", "Component Setup", true},
        {"", "", true},
        {"component setup", "Component Setup", false},
        {"COMPONENT SETUP", "Component Setup", false},
        {"Component Setup - Step 1", "Component Setup", false},
        {"Component Setu", "Component Setup", false},
        {"Component Setup ", "Component Setup", false},
        {" Component Setup", "Component Setup", false},
        {"", "Component Setup", false},
        {"Component Setup", "", false},
        {"\xc9t\xe9", "\xc9t\xe9", true},     // bytes above 0x7F in a single-byte code page
        {"\xe9t\xe9", "\xc9t\xe9", false},
    };
    for (const TextCase& c : cases)
        EXPECT_EQ(c.same, SameText(c.text, c.title)) << "\"" << c.text << "\" / \"" << c.title << "\"";
}

// The installer lives on (kAlive) or has ended (kEnded) at each of these.
const PollFacts kAbsent = {kTitleAbsent, kLivenessUnknown, kAlive};
const PollFacts kPresent = {kTitlePresent, kLivenessUnknown, kAlive};
const PollFacts kUnread = {kTitleUnread, kLivenessUnknown, kAlive};
const PollFacts kAbsentEnded = {kTitleAbsent, kEnded, kEnded};

struct SequenceCase {
    const char* what;
    bool watchingTitle;
    std::vector<PollFacts> polls;
    int endsAt;
};

TEST(PollDecision, WithATitleEndsAtTheFirstPollAfterTheWindowWasSeenThatFindsTheInstallerEnded) {
    const SequenceCase cases[] = {
        {"never seen", true, {kAbsent, kAbsent, kAbsent}, -1},
        {"still there", true, {kAbsent, kPresent, kPresent, kPresent}, -1},
        {"came and went with its installer", true, {kAbsent, kPresent, kAbsentEnded, kAbsentEnded}, 2},
        {"seen at once", true, {kPresent, kAbsentEnded}, 1},
        {"an unread walk decides nothing", true, {kPresent, kUnread, kPresent, kAbsentEnded}, 3},
        {"an unread walk marks nothing", true, {kUnread, kAbsent, kAbsent}, -1},
        {"gone while the installer lives on, at first", true, {kPresent, kAbsent, kAbsent}, -1},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

// A poll at a given time (milliseconds).
PollFacts At(unsigned long now, TitleSearch title, Liveness job) {
    PollFacts facts = {title, job, job == kAlive ? kAlive : kEnded, now};
    return facts;
}

// A poll on a system without job objects: setup.exe's process and its
// descendants (kLivenessUnknown: the system has no process list).
PollFacts NoJobAt(unsigned long now, TitleSearch title, Liveness process, Liveness descendants) {
    PollFacts facts = {title, kLivenessUnknown, process, now, descendants};
    return facts;
}

const unsigned long kGrace = kEmptyJobGraceMs;
const unsigned long kGap = kTitleGapGraceMs;

// A wizard drops its title between two pages while its process lives on:
// the window counts as gone once the installer has ended, or once it has
// stayed away for the gap grace, whichever comes first.
TEST(PollDecision, AWindowAwayWhileTheInstallerLivesOnIsGoneAfterTheGapGrace) {
    const SequenceCase cases[] = {
        {"a gap between two pages", true,
         {At(0, kTitlePresent, kAlive), At(500, kTitleAbsent, kAlive), At(1000, kTitleAbsent, kAlive),
          At(1500, kTitlePresent, kAlive), At(2000, kTitlePresent, kAlive)},
         -1},
        {"away for the gap grace", true,
         {At(0, kTitlePresent, kAlive), At(500, kTitleAbsent, kAlive), At(500 + kGap - 1, kTitleAbsent, kAlive),
          At(500 + kGap, kTitleAbsent, kAlive)},
         3},
        {"the installer ends during the gap", true,
         {At(0, kTitlePresent, kAlive), At(500, kTitleAbsent, kAlive), At(550, kTitleAbsent, kEnded)}, 2},
        {"each gap has its own clock", true,
         {At(0, kTitlePresent, kAlive), At(500, kTitleAbsent, kAlive), At(500 + kGap - 1, kTitlePresent, kAlive),
          At(500 + kGap, kTitleAbsent, kAlive), At(500 + 2 * kGap - 1, kTitleAbsent, kAlive),
          At(500 + 2 * kGap, kTitleAbsent, kAlive)},
         5},
        {"an unread walk does not break the gap", true,
         {At(0, kTitlePresent, kAlive), At(500, kTitleAbsent, kAlive), At(1000, kTitleUnread, kAlive),
          At(500 + kGap, kTitleAbsent, kAlive)},
         3},
        {"nothing known of the installer", true,
         {NoJobAt(0, kTitlePresent, kLivenessUnknown, kLivenessUnknown),
          NoJobAt(500, kTitleAbsent, kLivenessUnknown, kLivenessUnknown),
          NoJobAt(500 + kGap, kTitleAbsent, kLivenessUnknown, kLivenessUnknown)},
         2},
        // Windows NT 4.0: setup.exe's own process ends with its window.
        {"no process list, setup.exe ends with the window", true,
         {NoJobAt(0, kTitlePresent, kAlive, kLivenessUnknown), NoJobAt(500, kTitleAbsent, kEnded, kLivenessUnknown)},
         1},
        {"the tick count wraps during the gap", true,
         {At(0xFFFFFC00ul, kTitlePresent, kAlive), At(0xFFFFFE00ul, kTitleAbsent, kAlive),
          At(0xFFFFFE00ul + kGap - 1, kTitleAbsent, kAlive), At(0xFFFFFE00ul + kGap, kTitleAbsent, kAlive)},
         3},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

// The poll after one that found the window away while the installer lives
// on comes sooner, so that an installer whose processes end a moment after
// its window is found ended as soon as ever; else every 500 ms.
TEST(PollDecision, PollsSoonerDuringAGap) {
    PollMemory memory = {false, false, 0};
    EXPECT_EQ(kPollIntervalMs, NextPollDelayMs(memory));
    PollEndsWaiting(memory, true, At(0, kTitleAbsent, kEnded));
    EXPECT_EQ(kPollIntervalMs, NextPollDelayMs(memory)) << "an empty job before the window";
    PollEndsWaiting(memory, true, At(500, kTitlePresent, kAlive));
    EXPECT_EQ(kPollIntervalMs, NextPollDelayMs(memory)) << "window there";
    PollEndsWaiting(memory, true, At(1000, kTitleAbsent, kAlive));
    EXPECT_EQ(kGapPollIntervalMs, NextPollDelayMs(memory)) << "window away";
    EXPECT_LT(kGapPollIntervalMs, kPollIntervalMs);
    PollEndsWaiting(memory, true, At(1050, kTitlePresent, kAlive));
    EXPECT_EQ(kPollIntervalMs, NextPollDelayMs(memory)) << "window back";
}

TEST(PollDecision, WithATitleEndsWhenTheJobHasBeenEmptyWithNoWindowForTheGracePeriod) {
    const SequenceCase cases[] = {
        {"setup.exe and its children still run", true,
         {At(0, kTitleAbsent, kAlive), At(kGrace * 3, kTitleAbsent, kAlive)}, -1},
        {"crashed before any window", true,
         {At(0, kTitleAbsent, kAlive), At(500, kTitleAbsent, kEnded), At(1000, kTitleAbsent, kEnded),
          At(500 + kGrace - 1, kTitleAbsent, kEnded), At(500 + kGrace, kTitleAbsent, kEnded)},
         4},
        {"window of another process still there", true,
         {At(0, kTitlePresent, kEnded), At(kGrace * 2, kTitlePresent, kEnded), At(kGrace * 2 + 500, kTitleAbsent, kEnded)},
         2},
        {"an unread walk decides nothing", true,
         {At(0, kTitleUnread, kEnded), At(kGrace * 2, kTitleUnread, kEnded)}, -1},
        {"an unread walk does not break the hold", true,
         {At(0, kTitleAbsent, kEnded), At(500, kTitleUnread, kEnded), At(kGrace, kTitleAbsent, kEnded)}, 2},
        // setup.exe has ended but a child it started lives on in the job.
        {"child still running", true,
         {At(0, kTitleAbsent, kAlive), At(500, kTitlePresent, kAlive), At(1000, kTitleAbsent, kEnded)}, 2},
        // A child that left the job opens the window during the hold: the
        // waiter waits for that window to go.
        {"window of a child out of the job comes in time", true,
         {At(0, kTitleAbsent, kEnded), At(kGrace - 500, kTitlePresent, kEnded),
          At(kGrace * 3, kTitlePresent, kEnded), At(kGrace * 3 + 500, kTitleAbsent, kEnded)},
         3},
        {"the hold starts when the job is found empty", true,
         {At(0, kTitleAbsent, kAlive), At(kGrace, kTitleAbsent, kEnded),
          At(kGrace * 2 - 1, kTitleAbsent, kEnded), At(kGrace * 2, kTitleAbsent, kEnded)},
         3},
        {"the tick count wraps during the hold", true,
         {At(0xFFFFF000ul, kTitleAbsent, kEnded), At(0xFFFFF000ul + kGrace - 1, kTitleAbsent, kEnded),
          At(0xFFFFF000ul + kGrace, kTitleAbsent, kEnded)},
         2},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

TEST(PollDecision, WithATitleAndNoJobEndsWhenSetupAndItsDescendantsHaveEndedForTheGracePeriod) {
    const SequenceCase cases[] = {
        // Windows 95 to ME, and any system where setup.exe could join no job.
        {"setup.exe runs", true,
         {NoJobAt(0, kTitleAbsent, kAlive, kEnded), NoJobAt(kGrace * 3, kTitleAbsent, kAlive, kEnded)}, -1},
        {"setup.exe ended without a window", true,
         {NoJobAt(0, kTitleAbsent, kAlive, kEnded), NoJobAt(500, kTitleAbsent, kEnded, kEnded),
          NoJobAt(500 + kGrace - 1, kTitleAbsent, kEnded, kEnded), NoJobAt(500 + kGrace, kTitleAbsent, kEnded, kEnded)},
         3},
        {"a descendant still runs", true,
         {NoJobAt(0, kTitleAbsent, kEnded, kAlive), NoJobAt(kGrace * 3, kTitleAbsent, kEnded, kAlive)}, -1},
        {"the last descendant ends", true,
         {NoJobAt(0, kTitleAbsent, kEnded, kAlive), NoJobAt(kGrace, kTitleAbsent, kEnded, kEnded),
          NoJobAt(kGrace * 2 - 1, kTitleAbsent, kEnded, kEnded), NoJobAt(kGrace * 2, kTitleAbsent, kEnded, kEnded)},
         3},
        {"a descendant's window comes and goes with it", true,
         {NoJobAt(0, kTitleAbsent, kEnded, kAlive), NoJobAt(500, kTitlePresent, kEnded, kAlive),
          NoJobAt(1000, kTitleAbsent, kEnded, kEnded)},
         2},
        // Windows NT 4.0: only setup.exe's own process is known.
        {"no process list, setup.exe runs", true,
         {NoJobAt(0, kTitleAbsent, kAlive, kLivenessUnknown), NoJobAt(kGrace * 3, kTitleAbsent, kAlive, kLivenessUnknown)},
         -1},
        {"no process list, setup.exe ended", true,
         {NoJobAt(0, kTitleAbsent, kEnded, kLivenessUnknown), NoJobAt(kGrace - 1, kTitleAbsent, kEnded, kLivenessUnknown),
          NoJobAt(kGrace, kTitleAbsent, kEnded, kLivenessUnknown)},
         2},
        {"no process list, a window comes within the grace period", true,
         {NoJobAt(0, kTitleAbsent, kEnded, kLivenessUnknown), NoJobAt(kGrace - 500, kTitlePresent, kEnded, kLivenessUnknown),
          NoJobAt(kGrace * 3, kTitlePresent, kEnded, kLivenessUnknown), NoJobAt(kGrace * 3 + 500, kTitleAbsent, kEnded, kLivenessUnknown)},
         3},
        // A job, where there is one, is what counts.
        {"the job outranks the process list", true,
         {{kTitleAbsent, kAlive, kEnded, 0, kEnded}, {kTitleAbsent, kAlive, kEnded, kGrace * 3, kEnded}}, -1},
        {"nothing known", true,
         {NoJobAt(0, kTitleAbsent, kLivenessUnknown, kLivenessUnknown),
          NoJobAt(kGrace * 3, kTitleAbsent, kLivenessUnknown, kLivenessUnknown)},
         -1},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

// Without a job the waiter ends at the same poll as with an empty one.
TEST(PollDecision, NoJobEndsAsSoonAsAnEmptyJob) {
    std::vector<PollFacts> withJob, withoutJob, withoutList;
    for (unsigned long poll = 0; poll < 1000; ++poll) {
        withJob.push_back({kTitleAbsent, kEnded, kEnded, poll * 500});
        withoutJob.push_back(NoJobAt(poll * 500, kTitleAbsent, kEnded, kEnded));
        withoutList.push_back(NoJobAt(poll * 500, kTitleAbsent, kEnded, kLivenessUnknown));
    }
    int ends = PollThatEnds(true, withJob);
    EXPECT_EQ(20, ends);
    EXPECT_EQ(ends, PollThatEnds(true, withoutJob));
    EXPECT_EQ(ends, PollThatEnds(true, withoutList));
}

TEST(PollDecision, WithoutATitleEndsWithTheInstaller) {
    const SequenceCase cases[] = {
        {"no job, process runs", false,
         {NoJobAt(0, kTitleAbsent, kAlive, kEnded), NoJobAt(500, kTitleAbsent, kAlive, kEnded)}, -1},
        {"no job, process ended", false,
         {NoJobAt(0, kTitleAbsent, kAlive, kEnded), NoJobAt(500, kTitleAbsent, kEnded, kEnded)}, 1},
        {"job outlives the process", false,
         {{kTitleAbsent, kAlive, kEnded}, {kTitleAbsent, kEnded, kEnded}}, 1},
        {"nothing known", false,
         {NoJobAt(0, kTitleAbsent, kLivenessUnknown, kLivenessUnknown),
          NoJobAt(kGrace * 3, kTitleAbsent, kLivenessUnknown, kLivenessUnknown)},
         -1},
        {"no job, a descendant outlives the process", false,
         {NoJobAt(0, kTitleAbsent, kEnded, kAlive), NoJobAt(500, kTitleAbsent, kEnded, kEnded)}, 1},
        {"no job, the process outlives its descendants", false,
         {NoJobAt(0, kTitleAbsent, kAlive, kEnded), NoJobAt(500, kTitleAbsent, kEnded, kEnded)}, 1},
        // Windows do not count without a title.
        {"window present", false, {{kTitlePresent, kEnded, kEnded}}, 0},
        // Windows NT 4.0: only setup.exe's own process is known, and a child
        // it started may work on: it must have been ended for the grace period.
        {"no process list, setup.exe ended", false,
         {NoJobAt(0, kTitleAbsent, kAlive, kLivenessUnknown), NoJobAt(500, kTitleAbsent, kEnded, kLivenessUnknown),
          NoJobAt(500 + kGrace - 1, kTitleAbsent, kEnded, kLivenessUnknown),
          NoJobAt(500 + kGrace, kTitleAbsent, kEnded, kLivenessUnknown)},
         3},
        {"no process list, setup.exe runs", false,
         {NoJobAt(0, kTitleAbsent, kAlive, kLivenessUnknown), NoJobAt(kGrace * 3, kTitleAbsent, kAlive, kLivenessUnknown)},
         -1},
        {"no process list, windows do not count", false,
         {NoJobAt(0, kTitlePresent, kEnded, kLivenessUnknown), NoJobAt(kGrace, kTitlePresent, kEnded, kLivenessUnknown)},
         1},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

// One list of the system's processes: {id, parent id}, in the system's order.
typedef std::vector<std::pair<unsigned long, unsigned long>> ProcessList;

Liveness LookAt(ProcessFamily& family, const ProcessList& list) {
    return FamilyLiveness(family, [&](auto visit) {
        for (const auto& process : list) visit(process.first, process.second);
        return true;
    });
}

struct FamilyCase {
    const char* what;
    std::vector<ProcessList> lists;   // one a poll; setup.exe is process 100
    std::vector<Liveness> expected;
};

TEST(FamilyLiveness, FollowsSetupsDescendantsByParentId) {
    const FamilyCase cases[] = {
        {"setup.exe alone", {{{4, 0}, {100, 4}}, {{4, 0}}}, {kEnded, kEnded}},
        {"a child outlives setup.exe", {{{100, 4}, {200, 100}}, {{200, 100}}, {}}, {kAlive, kAlive, kEnded}},
        {"a child found after setup.exe ended", {{{200, 100}, {7, 4}}, {{7, 4}}}, {kAlive, kEnded}},
        {"a grandchild listed before its parent", {{{300, 200}, {100, 4}, {200, 100}}, {{300, 200}}, {}},
         {kAlive, kAlive, kEnded}},
        {"a grandchild whose parent has ended", {{{200, 100}}, {{300, 200}}, {{300, 200}}, {}},
         {kAlive, kAlive, kAlive, kEnded}},
        {"unrelated processes", {{{100, 4}, {500, 4}, {600, 500}}, {{500, 4}, {600, 500}}}, {kEnded, kEnded}},
        // A descendant's id that an unrelated process takes once the
        // descendant has ended and left the family.
        {"an id reused later", {{{200, 100}}, {}, {{200, 4}}}, {kAlive, kEnded, kEnded}},
        {"a process that names itself as parent", {{{100, 100}, {0, 0}}}, {kEnded}},
    };
    for (const FamilyCase& c : cases) {
        ProcessFamily family;
        StartFamily(family, 100);
        for (size_t i = 0; i < c.lists.size(); ++i)
            EXPECT_EQ(c.expected[i], LookAt(family, c.lists[i])) << c.what << ", list " << i;
    }
}

TEST(FamilyLiveness, UnreadListDecidesNothing) {
    ProcessFamily family;
    StartFamily(family, 100);
    EXPECT_EQ(kAlive, LookAt(family, {{200, 100}}));
    EXPECT_EQ(kLivenessUnknown, FamilyLiveness(family, [](auto) { return false; }));
    EXPECT_EQ(kAlive, LookAt(family, {{200, 100}})) << "the family is kept across an unread list";
    ProcessFamily never = {};
    EXPECT_EQ(kLivenessUnknown, LookAt(never, {{200, 100}})) << "setup.exe never started";
}

TEST(FamilyLiveness, DescendantsBeyondItsRoomCountAsAlive) {
    ProcessFamily family;
    StartFamily(family, 100);
    ProcessList many;
    for (unsigned long id = 1000; id < 1000 + 2 * kFamilyCapacity; ++id) many.push_back({id, 100});
    EXPECT_EQ(kAlive, LookAt(family, many));
    EXPECT_EQ(kFamilyCapacity, family.count);
    ProcessList last = {{1000 + 2 * kFamilyCapacity - 1, 100}};
    EXPECT_EQ(kAlive, LookAt(family, last)) << "one that found no room";
    EXPECT_EQ(kAlive, LookAt(family, last)) << "it finds room once the others have ended";
    EXPECT_EQ(2, family.count);
    EXPECT_EQ(kEnded, LookAt(family, {}));
}

TEST(PollDecision, NoPollBothMarksAndEnds) {
    PollMemory memory = {false, false, 0};
    EXPECT_FALSE(PollEndsWaiting(memory, true, kPresent));
    EXPECT_TRUE(memory.titleSeen);
    EXPECT_TRUE(PollEndsWaiting(memory, true, kAbsentEnded));
    EXPECT_TRUE(memory.titleSeen) << "the mark is never taken back";
}

}  // namespace
