// PURPOSE: what the install script tests share: a folder of programs and
// files beside the test program (copies of record_run.exe, texts, a tree),
// an output folder under the Windows directory, running a script with its
// after-checks, reading which programs ran, and answering dialogs.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include "runtime/error_codes.h"

std::string OwnFolder();
std::string WindowsFolder();

// Presses OK on every dialog this process shows and remembers its texts.
class DialogAnswerer {
public:
    DialogAnswerer() : thread_([this] { Run(); }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    std::vector<std::string> Seen();

private:
    void Run();
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::string> seen_;
    std::thread thread_;
};

// script_fixture beside the test program holds a.exe, b.exe and c.exe
// (copies of record_run.exe, which log to runs.log there), src.txt,
// document.unknownext, a folder "opened folder" and a tree; the output
// folder script_test_out under the Windows directory holds a folder
// "occupied".
class InstallScript : public testing::Test {
protected:
    void SetUp() override;

    // Runs the script; returns the code it raised (0 when it returned). The
    // current directory must be back and the busy count 0 afterwards.
    ErrorCode Run(uint32_t script);

    // The programs that ran, in order, by file name.
    std::vector<std::string> Runs();
    // The current directory of the index-th program that ran.
    std::string RunDirectoryOf(size_t index);

    static void RemoveTree(const std::string& path);
    bool Exists(const std::string& relativeToOutput);

    std::string fixture_, output_, log_;
    char before_[MAX_PATH];
};

typedef std::vector<std::string> Names;
