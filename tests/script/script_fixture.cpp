// PURPOSE: the install script tests' shared fixture (script_fixture.h).
#include "script_fixture.h"
#include "gui.h"
#include "processes.h"
#include "runtime/error_frame.h"
#include "script/busy_cursor.h"
#include "script/install_script.h"

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

std::vector<std::string> DialogAnswerer::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void DialogAnswerer::Run() {
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

void InstallScript::SetUp() {
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
    CreateDirectoryA((fixture_ + "\\opened folder").c_str(), NULL);
    CreateDirectoryA((fixture_ + "\\tree").c_str(), NULL);
    CreateDirectoryA((fixture_ + "\\tree\\sub").c_str(), NULL);
    WriteTextFile(fixture_ + "\\tree\\top.txt", "top");
    WriteTextFile(fixture_ + "\\tree\\sub\\deep.txt", "deep");
    CreateDirectoryA((output_ + "\\occupied").c_str(), NULL);
    log_ = fixture_ + "\\runs.log";
    SetEnvironmentVariableA("RECORD_LOG", log_.c_str());
    GetCurrentDirectoryA(sizeof before_, before_);
}

ErrorCode InstallScript::Run(uint32_t script) {
    ErrorCode code = Protect([&] { RunInstallScript(script); });
    char after[MAX_PATH];
    GetCurrentDirectoryA(sizeof after, after);
    EXPECT_STREQ(before_, after) << "the current directory moved";
    EXPECT_EQ(0, BusyCount());
    return code;
}

std::vector<std::string> InstallScript::Runs() {
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

std::string InstallScript::RunDirectoryOf(size_t index) {
    std::string log = ReadTextFile(log_);
    size_t start = 0;
    for (size_t i = 0; i < index; ++i) start = log.find('\n', start) + 1;
    std::string line = log.substr(start, log.find('\n', start) - start);
    return line.substr(line.find('|') + 1);
}

void InstallScript::RemoveTree(const std::string& path) {
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

bool InstallScript::Exists(const std::string& relativeToOutput) {
    return GetFileAttributesA((output_ + "\\" + relativeToOutput).c_str()) != INVALID_FILE_ATTRIBUTES;
}
