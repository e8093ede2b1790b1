// PURPOSE: starting programs under test and waiting for them, with bounds.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>

// A started program; its handles are closed when the object goes away, and
// a program still running then is terminated so no test leaves one behind.
class Program {
public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    Program(Program&& other) noexcept { *this = std::move(other); }
    Program& operator=(Program&& other) noexcept;
    ~Program();

    // Starts commandLine (the program path first, quoted when needed) in
    // directory (empty: the test's own). Returns false when it cannot start.
    bool Start(const std::string& commandLine, const std::string& directory = "");
    // The same with some environment variables replaced ("NAME=value"; an
    // empty value unsets it for Wine's locale choice).
    bool Start(const std::string& commandLine, const std::string& directory,
               const std::vector<std::string>& environment);

    bool Running() const;
    // The exit code, or -1 when the program is still running after timeoutMs.
    long WaitForExit(DWORD timeoutMs);
    void Terminate();

    DWORD id() const { return info_.dwProcessId; }
    HANDLE handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

// Polls predicate every 20 ms until it holds or timeoutMs pass; processes
// this thread's messages meanwhile. Returns whether it held.
bool WaitUntil(const std::function<bool()>& predicate, DWORD timeoutMs);

// Environment variable of the test run (e.g. SETUP_EXE), or "" when unset.
std::string TestEnvironment(const char* name);

// A fresh empty folder under the temporary directory, named after tag.
std::string MakeTempFolder(const std::string& tag);
bool CopyInto(const std::string& file, const std::string& destination);
bool WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
