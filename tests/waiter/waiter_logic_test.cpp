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

TEST(PollDecision, WithATitleEndsWhenTheJobIsEmptyAndNoWindowIsThere) {
    const PollFacts absentJobAlive = {kTitleAbsent, kAlive, kAlive};
    const PollFacts absentJobEnded = {kTitleAbsent, kEnded, kEnded};
    const PollFacts presentJobEnded = {kTitlePresent, kEnded, kEnded};
    const PollFacts unreadJobEnded = {kTitleUnread, kEnded, kEnded};
    const SequenceCase cases[] = {
        {"setup.exe and its children still run", true, {absentJobAlive, absentJobAlive}, -1},
        {"crashed before any window", true, {absentJobAlive, absentJobEnded}, 1},
        {"window of another process still there", true,
         {presentJobEnded, presentJobEnded, absentJobEnded}, 2},
        {"an unread walk decides nothing", true, {unreadJobEnded, unreadJobEnded}, -1},
        // setup.exe has ended but a child it started lives on in the job.
        {"child still running", true,
         {{kTitleAbsent, kAlive, kEnded}, {kTitlePresent, kAlive, kEnded},
          {kTitleAbsent, kEnded, kEnded}},
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
    PollMemory memory = {false};
    EXPECT_FALSE(PollEndsWaiting(memory, true, kPresent));
    EXPECT_TRUE(memory.titleSeen);
    EXPECT_TRUE(PollEndsWaiting(memory, true, kAbsent));
    EXPECT_TRUE(memory.titleSeen) << "the mark is never taken back";
}

}  // namespace
