// Stands in for what the shell starts for a document or a web address in the
// script step tests (they register it for a document type and for https):
// appends "started|<process id>|<current directory>|<command line>" to the
// file named by STEP_HANDLER_LOG, stays until the event named by
// STEP_HANDLER_RELEASE is set (at most a minute, so no test leaves it
// behind), then appends "ended|<process id>".
#include <windows.h>
#include <string>

namespace {

std::string Variable(const char* name) {
    char value[1024] = "";
    DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

// One write per line with append access, so lines of several processes
// never interleave.
void Append(const std::string& log, const std::string& line) {
    HANDLE file = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string text = line + "\r\n";
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string log = Variable("STEP_HANDLER_LOG");
    if (log.empty()) return 1;
    std::string id = std::to_string(GetCurrentProcessId());
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);
    Append(log, "started|" + id + "|" + directory + "|" + GetCommandLineA());
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, Variable("STEP_HANDLER_RELEASE").c_str());
    if (release) {
        WaitForSingleObject(release, 60000);
        CloseHandle(release);
    }
    Append(log, "ended|" + id);
    return 0;
}
