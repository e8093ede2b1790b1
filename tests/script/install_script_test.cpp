// The install script interpreter run for real: scripts and strings come from
// this program's own resources (script_test.rc), `e` commands start copies of
// record_run.exe beside this program, `c` commands write under the Windows
// directory. Failure dialogs are answered by a watcher thread.
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "gui.h"
#include "processes.h"
#include "runtime/error_frame.h"
#include "script/busy_cursor.h"
#include "script/install_script.h"

namespace {

std::string OwnFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string text = path;
    return text.substr(0, text.rfind('\\'));
}

std::string WindowsFolder() {
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, sizeof path);
    return path;
}

// Presses OK on every dialog this process shows and remembers its texts.
class DialogAnswerer {
public:
    DialogAnswerer() : thread_([this] { Run(); }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Seen() {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }

private:
    void Run() {
        std::vector<HWND> answered;
        while (!stop_) {
            for (HWND dialog : TopLevelWindowsOf(GetCurrentProcessId(), "#32770")) {
                bool known = false;
                for (HWND a : answered) known |= a == dialog;
                if (known) continue;
                answered.push_back(dialog);
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    seen_.push_back(AllTexts(dialog));
                }
                PressButton(dialog, IDOK);
            }
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> seen_;
    std::thread thread_;
};

class InstallScript : public testing::Test {
protected:
    void SetUp() override {
        fixture_ = OwnFolder() + "\\script_fixture";
        output_ = WindowsFolder() + "\\script_test_out";
        RemoveTree(fixture_);
        RemoveTree(output_);
        CreateDirectoryA(fixture_.c_str(), NULL);
        CreateDirectoryA(output_.c_str(), NULL);
        std::string recorder = OwnFolder() + "\\record_run.exe";
        for (const char* name : {"a.exe", "b.exe", "c.exe"})
            ASSERT_TRUE(CopyInto(recorder, fixture_ + "\\" + name));
        WriteTextFile(fixture_ + "\\src.txt", "source text");
        WriteTextFile(fixture_ + "\\document.unknownext", "not a program");
        CreateDirectoryA((fixture_ + "\\tree").c_str(), NULL);
        CreateDirectoryA((fixture_ + "\\tree\\sub").c_str(), NULL);
        WriteTextFile(fixture_ + "\\tree\\top.txt", "top");
        WriteTextFile(fixture_ + "\\tree\\sub\\deep.txt", "deep");
        CreateDirectoryA((output_ + "\\occupied").c_str(), NULL);
        log_ = fixture_ + "\\runs.log";
        SetEnvironmentVariableA("RECORD_LOG", log_.c_str());
        GetCurrentDirectoryA(sizeof before_, before_);
    }

    // Runs the script; returns the code it raised (0 when it returned).
    ErrorCode Run(uint32_t script) {
        ErrorCode code = Protect([&] { RunInstallScript(script); });
        char after[MAX_PATH];
        GetCurrentDirectoryA(sizeof after, after);
        EXPECT_STREQ(before_, after) << "the current directory moved";
        EXPECT_EQ(0, BusyCount());
        return code;
    }

    // The programs that ran, in order, by file name.
    std::vector<std::string> Runs() {
        std::vector<std::string> names;
        std::string log = ReadTextFile(log_);
        size_t start = 0;
        while (start < log.size()) {
            size_t end = log.find('\n', start);
            std::string line = log.substr(start, end - start);
            names.push_back(line.substr(0, line.find('|')));
            start = end == std::string::npos ? log.size() : end + 1;
        }
        return names;
    }

    std::string RunDirectoryOf(size_t index) {
        std::string log = ReadTextFile(log_);
        size_t start = 0;
        for (size_t i = 0; i < index; ++i) start = log.find('\n', start) + 1;
        std::string line = log.substr(start, log.find('\n', start) - start);
        return line.substr(line.find('|') + 1);
    }

    static void RemoveTree(const std::string& path) {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                std::string name = entry.cFileName;
                if (name == "." || name == "..") continue;
                std::string full = path + "\\" + name;
                if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
                else { SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL); DeleteFileA(full.c_str()); }
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(path.c_str());
    }

    bool Exists(const std::string& relativeToOutput) {
        return GetFileAttributesA((output_ + "\\" + relativeToOutput).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string fixture_, output_, log_;
    char before_[MAX_PATH];
};

typedef std::vector<std::string> Names;

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

}  // namespace
