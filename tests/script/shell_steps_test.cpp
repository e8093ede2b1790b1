// The menu variant's steps that open without waiting, run for real: `o`
// hands a document to the shell, which starts the stand-in registered for
// its type; `u` hands a web address, whose https entry the stand-in holds
// for the test; `b` opens a folder in Wine's file manager. The stand-in
// stays until released, so a script that goes on while it runs did not wait.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "processes.h"
#include "script_fixture.h"
#include "shell_targets.h"

namespace {

const DWORD kPrompt = 5000;
const char kFolder[] = "opened folder";

class ShellSteps : public InstallScript {
protected:
    void SetUp() override {
        InstallScript::SetUp();
        CloseFolderWindows(kFolder);
        document_ = fixture_ + "\\manual" + RegisteredHandler::kDocumentExtension;
        ASSERT_TRUE(WriteTextFile(document_, "a manual"));
    }
    void TearDown() override { CloseFolderWindows(kFolder); }

    // Runs the script and returns how long it took.
    DWORD TimedRun(uint32_t script, ErrorCode expected = 0) {
        DWORD start = GetTickCount();
        EXPECT_EQ(expected, Run(script));
        return GetTickCount() - start;
    }

    // The handler started once with target in its command line, from
    // directory, and is still running.
    static void ExpectHandlerStillRunning(const RegisteredHandler& handler, const std::string& target,
                                          const std::string& directory = "") {
        ASSERT_TRUE(handler.WaitForStarts(1, 10000)) << "the shell started nothing for " << target;
        std::vector<HandlerStart> starts = handler.Starts();
        ASSERT_EQ(1u, starts.size());
        EXPECT_NE(std::string::npos, starts[0].commandLine.find(target)) << starts[0].commandLine;
        if (!directory.empty()) EXPECT_EQ(directory, starts[0].directory);
        EXPECT_FALSE(handler.Ended(starts[0].processId)) << "the handler ended before it was released";
    }

    std::string document_;
};

TEST_F(ShellSteps, OpenHandsTheDocumentToTheShellAndGoesOn) {
    RegisteredHandler handler;
    DialogAnswerer answerer;
    EXPECT_LT(TimedRun(5100), kPrompt);
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\after open.txt")) << "the copy after it did not run";
    ExpectHandlerStillRunning(handler, "manual.stepdoc", fixture_);
    EXPECT_TRUE(answerer.Seen().empty());
}

TEST_F(ShellSteps, UrlHandsTheAddressToTheShellAsWrittenAndGoesOn) {
    RegisteredHandler handler;
    DialogAnswerer answerer;
    EXPECT_LT(TimedRun(5101), kPrompt);
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\after url.txt"));
    ExpectHandlerStillRunning(handler, "https://example.com/support");
    EXPECT_TRUE(answerer.Seen().empty());
}

TEST_F(ShellSteps, BrowseOpensTheFolderInTheFileManagerAndGoesOn) {
    LateFolderCloser closer(kFolder, 8000);
    EXPECT_LT(TimedRun(5102), kPrompt);
    EXPECT_EQ("source text", ReadTextFile(output_ + "\\after browse.txt"));
    EXPECT_NE(nullptr, WaitForFolderWindow(kFolder, 10000)) << "no folder window";
    EXPECT_FALSE(closer.closedAny());
}

// A Readme, Website and Browse button in one: each target reaches the
// shell and the program after them runs while all three are still open.
TEST_F(ShellSteps, AllThreeThenAProgramRunAtOnce) {
    RegisteredHandler handler;
    LateFolderCloser closer(kFolder, 8000);
    EXPECT_LT(TimedRun(5103), kPrompt);
    EXPECT_EQ(Names{"a.exe"}, Runs());
    ASSERT_TRUE(handler.WaitForStarts(2, 10000));
    std::vector<HandlerStart> starts = handler.Starts();
    ASSERT_EQ(2u, starts.size());
    // The two handlers run at once, so either may be the first to note its start.
    const std::string both = starts[0].commandLine + "\n" + starts[1].commandLine;
    EXPECT_NE(std::string::npos, both.find("manual.stepdoc")) << both;
    EXPECT_NE(std::string::npos, both.find("https://example.com/support")) << both;
    EXPECT_TRUE((starts[0].commandLine.find("manual.stepdoc") == std::string::npos) !=
                (starts[1].commandLine.find("manual.stepdoc") == std::string::npos))
        << "the document reached the shell once: " << both;
    for (const HandlerStart& start : starts) EXPECT_FALSE(handler.Ended(start.processId));
    EXPECT_NE(nullptr, WaitForFolderWindow(kFolder, 10000));
    EXPECT_FALSE(closer.closedAny());
}

// No program is registered for the document: the shell may show its own
// box first; the launcher's start dialog comes once and the script ends.
TEST_F(ShellSteps, ADocumentTheShellCannotOpenShowsTheStartDialog) {
    DialogAnswerer answerer;
    EXPECT_EQ(kQuietStop, Run(5104));
    EXPECT_EQ(Names{}, Runs());
    int startDialogs = 0;
    for (const std::string& texts : answerer.Seen())
        startDialogs += texts.find("program failed to start") != std::string::npos;
    EXPECT_EQ(1, startDialogs);
}

TEST_F(ShellSteps, AMissingDocumentIsSkippedLikeAMissingProgram) {
    RegisteredHandler handler;
    DialogAnswerer answerer;
    EXPECT_EQ(0, Run(5105));
    EXPECT_EQ(Names{"a.exe"}, Runs());
    EXPECT_TRUE(handler.Starts().empty());
    EXPECT_TRUE(answerer.Seen().empty());
}

}  // namespace
