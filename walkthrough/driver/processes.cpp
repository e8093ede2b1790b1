// PURPOSE: starting programs under test and waiting for them, with bounds.
#include "processes.h"
#include <fstream>
#include <sstream>
#include <string.h>

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        this->~Program();
        info_ = other.info_;
        other.info_ = {};
    }
    return *this;
}

Program::~Program() {
    if (info_.hProcess) {
        if (Running()) Terminate();
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
    info_ = {};
}

bool Program::Start(const std::string& commandLine, const std::string& directory) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    return CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL,
                          directory.empty() ? NULL : directory.c_str(), &startup, &info_) != 0;
}

bool Program::Start(const std::string& commandLine, const std::string& directory,
                    const std::vector<std::string>& environment) {
    // This process's environment with the given variables replaced, as the
    // double-zero-terminated block CreateProcessA takes.
    std::vector<std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* at = block; *at; at += strlen(at) + 1) variables.push_back(at);
    FreeEnvironmentStringsA(block);
    for (const std::string& replacement : environment) {
        std::string name = replacement.substr(0, replacement.find('=') + 1);
        for (auto it = variables.begin(); it != variables.end();)
            it = _strnicmp(it->c_str(), name.c_str(), name.size()) == 0 ? variables.erase(it) : it + 1;
        variables.push_back(replacement);
    }
    std::string joined;
    for (const std::string& variable : variables) joined += variable + '\0';
    joined += '\0';
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = commandLine;
    return CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, &joined[0],
                          directory.empty() ? NULL : directory.c_str(), &startup, &info_) != 0;
}

bool Program::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

long Program::WaitForExit(DWORD timeoutMs) {
    if (!info_.hProcess) return -1;
    bool ended = WaitUntil([&] { return !Running(); }, timeoutMs);
    if (!ended) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void Program::Terminate() {
    if (info_.hProcess) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount() - start >= timeoutMs) return predicate();
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(20);
    }
}

std::string TestEnvironment(const char* name) {
    char buffer[4096];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return length && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

std::string MakeTempFolder(const std::string& tag) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned serial = 0;
    for (;;) {
        std::string folder = std::string(temp) + tag + "-" + std::to_string(GetCurrentProcessId()) +
                             "-" + std::to_string(++serial);
        if (CreateDirectoryA(folder.c_str(), NULL)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return "";
    }
}

bool CopyInto(const std::string& file, const std::string& destination) {
    return CopyFileA(file.c_str(), destination.c_str(), FALSE) != 0;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}
