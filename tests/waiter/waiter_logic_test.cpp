// The waiter's rules free of the platform: the folder cut, text equality and
// the decision of each poll (in a single-byte code page; see
// waiter_logic_dbcs_test.cpp for code page 932).
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "poll_sequences.h"
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

const PollFacts kAbsent = {kTitleAbsent, kLivenessUnknown, kAlive};
const PollFacts kPresent = {kTitlePresent, kLivenessUnknown, kAlive};
const PollFacts kUnread = {kTitleUnread, kLivenessUnknown, kAlive};

struct SequenceCase {
    const char* what;
    bool watchingTitle;
    std::vector<PollFacts> polls;
    int endsAt;
};

TEST(PollDecision, WithATitleEndsAtTheFirstPollAfterTheWindowWasSeen) {
    const SequenceCase cases[] = {
        {"never seen", true, {kAbsent, kAbsent, kAbsent}, -1},
        {"still there", true, {kAbsent, kPresent, kPresent, kPresent}, -1},
        {"came and went", true, {kAbsent, kPresent, kAbsent, kAbsent}, 2},
        {"seen at once", true, {kPresent, kAbsent}, 1},
        {"an unread walk decides nothing", true, {kPresent, kUnread, kPresent, kAbsent}, 3},
        {"an unread walk marks nothing", true, {kUnread, kAbsent, kAbsent}, -1},
        // Without job objects nothing but the window counts, whatever the
        // process does.
        {"process ended, no job", true,
         {{kTitleAbsent, kLivenessUnknown, kEnded}, {kTitleAbsent, kLivenessUnknown, kEnded}}, -1},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

// A poll at a given time (milliseconds).
PollFacts At(unsigned long now, TitleSearch title, Liveness job) {
    PollFacts facts = {title, job, job == kAlive ? kAlive : kEnded, now};
    return facts;
}

const unsigned long kGrace = kEmptyJobGraceMs;

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

TEST(PollDecision, WithoutATitleEndsWithTheInstaller) {
    const SequenceCase cases[] = {
        {"no job, process runs", false,
         {{kTitleAbsent, kLivenessUnknown, kAlive}, {kTitleAbsent, kLivenessUnknown, kAlive}}, -1},
        {"no job, process ended", false,
         {{kTitleAbsent, kLivenessUnknown, kAlive}, {kTitleAbsent, kLivenessUnknown, kEnded}}, 1},
        {"job outlives the process", false,
         {{kTitleAbsent, kAlive, kEnded}, {kTitleAbsent, kEnded, kEnded}}, 1},
        {"nothing known", false, {{kTitleAbsent, kLivenessUnknown, kLivenessUnknown}}, -1},
        // Windows do not count without a title.
        {"window present", false, {{kTitlePresent, kLivenessUnknown, kEnded}}, 0},
    };
    for (const SequenceCase& c : cases)
        EXPECT_EQ(c.endsAt, PollThatEnds(c.watchingTitle, c.polls)) << c.what;
}

TEST(PollDecision, NoPollBothMarksAndEnds) {
    PollMemory memory = {false, false, 0};
    EXPECT_FALSE(PollEndsWaiting(memory, true, kPresent));
    EXPECT_TRUE(memory.titleSeen);
    EXPECT_TRUE(PollEndsWaiting(memory, true, kAbsent));
    EXPECT_TRUE(memory.titleSeen) << "the mark is never taken back";
}

}  // namespace
