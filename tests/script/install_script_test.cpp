// The install script interpreter run for real: scripts and strings come from
// this program's own resources (script_test.rc), `e` commands start copies of
// record_run.exe beside this program, `c` commands write under the Windows
// directory. Failure dialogs are answered by a watcher thread. The same
// cases run in the plain launcher's code and in the menu variant's.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "processes.h"
#include "runtime/error_frame.h"
#include "script_fixture.h"
#include "shell_targets.h"

namespace {

TEST_F(InstallScript, EmptyScriptRunsNothing) {
    DialogAnswerer answerer;
    EXPECT_EQ(0, Run(5000));
    EXPECT_EQ(Names{}, Runs());
    EXPECT_TRUE(answerer.Seen().empty());
}

// Each script's strings, and what ran when it returned.
struct RunCase {
    uint32_t script;
    Names runs;
};

class ScriptRuns : public InstallScript, public testing::WithParamInterface<RunCase> {};

TEST_P(ScriptRuns, RunInOrderAndWaitForEach) {
    DialogAnswerer answerer;
    EXPECT_EQ(0, Run(GetParam().script));
    EXPECT_EQ(GetParam().runs, Runs());   // each was waited for: its line is there
    EXPECT_TRUE(answerer.Seen().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptRuns, testing::Values(
    RunCase{5001, {"a.exe"}},                 // a final ';' adds no command
    RunCase{5002, {"a.exe"}},                 // leading empty commands are skipped
    RunCase{5003, {}},                        // capital E and C, unknown letters
    RunCase{5004, {}},                        // bare letter, letter + separator, c with one field
    RunCase{5006, {"a.exe"}},                 // an empty title waits for the started program
    RunCase{5008, {"a.exe"}},                 // a missing program is skipped
    RunCase{5011, {"a.exe"}},                 // the string is cut after 1023 bytes
    RunCase{5012, {"a.exe", "b.exe"}}));      // list order; a missing string is empty

TEST_F(InstallScript, ProgramRunsInItsOwnFolder) {
    EXPECT_EQ(0, Run(5001));
    EXPECT_EQ(fixture_, RunDirectoryOf(0));
}

TEST_F(InstallScript, CopyTakesTwoFieldsAndIgnoresMore) {
    EXPECT_EQ(0, Run(5005));
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\three.txt"));
    EXPECT_FALSE(Exists("ignored"));
}

TEST_F(InstallScript, AnySeparatorByteWorks) {
    EXPECT_EQ(0, Run(5007));
    EXPECT_EQ(Names{"a.exe"}, Runs());   // "/" is an ordinary character there
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\bar.txt"));
}

TEST_F(InstallScript, CopiesTreesAndCreatesMissingFolders) {
    EXPECT_EQ(0, Run(5014));
    EXPECT_EQ("top", ReadTextFile(output_ + "\\tree\\top.txt"));
    EXPECT_EQ("deep", ReadTextFile(output_ + "\\tree\\sub\\deep.txt"));
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\new1\\new2\\file.txt"));
}

// A destination that ends in a backslash names a folder: each file lands in
// it under its own name, without a failure dialog.
TEST_F(InstallScript, FileCopiedToAFolderKeepsItsName) {
    DialogAnswerer answerer;
    EXPECT_EQ(0, Run(5016));
    EXPECT_TRUE(answerer.Seen().empty()) << answerer.Seen()[0];
    const struct {
        const char* path;
        const char* text;
    } kLanded[] = {
        {"Probe Docs\\src.txt", "source text"},    // a new folder
        {"occupied\\top.txt", "top"},              // a folder that was there
        {"new3\\new4\\deep.txt", "deep"},          // below new folders
    };
    for (const auto& landed : kLanded)
        EXPECT_EQ(landed.text, ReadTextFile(output_ + "\\" + landed.path)) << landed.path;
}

TEST_F(InstallScript, FirstFailureShowsOneDialogAndStopsTheScript) {
    DialogAnswerer answerer;
    EXPECT_EQ(kQuietStop, Run(5009));
    EXPECT_EQ(Names{"a.exe"}, Runs());   // b.exe and the second string never ran
    std::vector<std::string> seen = answerer.Seen();
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::string::npos, seen[0].find("copying failed"));
}

TEST_F(InstallScript, ProgramTheShellCannotStartShowsTheStartDialog) {
    DialogAnswerer answerer;
    EXPECT_EQ(kQuietStop, Run(5010));
    EXPECT_EQ(Names{}, Runs());   // the script ended there
    // The shell may show its own message about the missing association
    // first; the launcher's start dialog comes exactly once.
    int startDialogs = 0;
    for (const std::string& texts : answerer.Seen())
        startDialogs += texts.find("program failed to start") != std::string::npos;
    EXPECT_EQ(1, startDialogs);
}

TEST_F(InstallScript, MissingOrShortScriptStopsQuietly) {
    DialogAnswerer answerer;
    EXPECT_EQ(kQuietStop, Run(4999));    // no such INST
    EXPECT_EQ(kQuietStop, Run(5013));    // count 3, one id
    EXPECT_EQ(kQuietStop, Run(5015));    // one byte, not even a whole count
    EXPECT_EQ(Names{}, Runs());
    EXPECT_TRUE(answerer.Seen().empty());
}

// A folder named by `e` opens in the file manager and the script goes on at
// once: the next program runs while the folder's window is still open, with
// a title too (here the folder window's own). A launcher that waited would
// be held until the closer shuts the window after 8 s.
class FolderRuns : public InstallScript, public testing::WithParamInterface<uint32_t> {};

TEST_P(FolderRuns, ExecuteOnAFolderOpensItWithoutWaiting) {
    const std::string title = "opened folder";
    CloseFolderWindows(title);
    DWORD took;
    {
        LateFolderCloser closer(title, 8000);
        DWORD start = GetTickCount();
        EXPECT_EQ(0, Run(GetParam()));
        took = GetTickCount() - start;
        EXPECT_EQ(Names{"a.exe"}, Runs());
        EXPECT_NE(nullptr, WaitForFolderWindow(title, 10000)) << "the shell opened no window for the folder";
        EXPECT_FALSE(closer.closedAny()) << "the window had to be closed for the script to go on";
    }
    EXPECT_LT(took, 5000u) << "the script waited for the folder window";
    CloseFolderWindows(title);
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderRuns, testing::Values(
    5020u,     // no title
    5021u));   // the folder window's title

#if !LAUNCHER_MENU_EXTRAS
// The plain launcher has no steps that open without waiting: their letters
// are unknown to it, skipped like any other, and nothing reaches the shell.
TEST_F(InstallScript, PlainLauncherSkipsTheStepsThatDoNotWait) {
    const std::string title = "opened folder";
    CloseFolderWindows(title);
    RegisteredHandler handler;
    ASSERT_TRUE(WriteTextFile(fixture_ + "\\manual" + RegisteredHandler::kDocumentExtension, "a manual"));
    DialogAnswerer answerer;
    EXPECT_EQ(0, Run(5022));
    EXPECT_EQ(Names{"a.exe"}, Runs());
    Sleep(3000);   // what the shell would start has had time to show itself
    EXPECT_TRUE(handler.Starts().empty());
    EXPECT_TRUE(FolderWindows(title).empty());
    EXPECT_TRUE(answerer.Seen().empty());
    CloseFolderWindows(title);
}
#endif

}  // namespace
