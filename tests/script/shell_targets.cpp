// PURPOSE: the folder windows and the registered stand-in of shell_targets.h.
#include "shell_targets.h"
#include <shlwapi.h>
#include "processes.h"

namespace {

const char kFolderWindowClass[] = "ExplorerWClass";
const char kDocumentKind[] = "ScriptStepTestDocument";
const char kHttpsCommandKey[] = "https\\shell\\open\\command";

struct FolderSearch {
    std::string title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectFolderWindow(HWND window, LPARAM parameter) {
    FolderSearch* search = reinterpret_cast<FolderSearch*>(parameter);
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    char title[MAX_PATH] = "";
    GetWindowTextA(window, title, sizeof title);
    if (IsWindowVisible(window) && search->title == title && lstrcmpA(name, kFolderWindowClass) == 0)
        search->found.push_back(window);
    return TRUE;
}

bool SetDefaultValue(const std::string& key, const std::string& value) {
    HKEY handle;
    if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL) !=
        ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExA(handle, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    return result == ERROR_SUCCESS;
}

bool ReadDefaultValue(const std::string& key, std::string* value) {
    char buffer[1024];
    LONG size = sizeof buffer;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) != ERROR_SUCCESS) return false;
    *value = buffer;
    return true;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t bar = line.find('|', start);
        // The command line comes last and may hold bars of its own.
        if (bar == std::string::npos || fields.size() == 3) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, bar - start));
        start = bar + 1;
    }
}

std::vector<std::vector<std::string>> LogLines(const std::string& log) {
    std::vector<std::vector<std::string>> lines;
    std::string text = ReadTextFile(log);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(Fields(text.substr(start, end - start)));
        start = end + 2;
    }
    return lines;
}

}  // namespace

std::vector<HWND> FolderWindows(const std::string& title) {
    FolderSearch search = {title, {}};
    EnumWindows(CollectFolderWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForFolderWindow(const std::string& title, DWORD timeoutMs) {
    HWND found = NULL;
    WaitUntil([&] {
        std::vector<HWND> windows = FolderWindows(title);
        if (!windows.empty()) found = windows[0];
        return found != NULL;
    }, timeoutMs);
    return found;
}

void CloseFolderWindows(const std::string& title) {
    for (HWND window : FolderWindows(title)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, owner);
        PostMessageA(window, WM_CLOSE, 0, 0);
        if (!process) continue;
        if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 99);
        CloseHandle(process);
    }
}

LateFolderCloser::LateFolderCloser(const std::string& title, DWORD delayMs)
    : title_(title), delayMs_(delayMs) {
    stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
}

LateFolderCloser::~LateFolderCloser() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, 30000);
    CloseHandle(thread_);
    CloseHandle(stop_);
}

DWORD WINAPI LateFolderCloser::Run(void* self) {
    LateFolderCloser* closer = static_cast<LateFolderCloser*>(self);
    if (WaitForSingleObject(closer->stop_, closer->delayMs_) != WAIT_TIMEOUT) return 0;
    if (!FolderWindows(closer->title_).empty()) InterlockedExchange(&closer->closedAny_, 1);
    CloseFolderWindows(closer->title_);
    return 0;
}

const char* const RegisteredHandler::kDocumentExtension = ".stepdoc";

RegisteredHandler::RegisteredHandler() {
    std::string folder = MakeTempFolder("step handler");
    log_ = folder + "\\handler.log";
    std::string releaseName = "script-step-handler-" + std::to_string(GetCurrentProcessId());
    release_ = CreateEventA(NULL, TRUE, FALSE, releaseName.c_str());
    SetEnvironmentVariableA("STEP_HANDLER_LOG", log_.c_str());
    SetEnvironmentVariableA("STEP_HANDLER_RELEASE", releaseName.c_str());
    std::string command = "\"" + TestEnvironment("TEST_BIN") + "\\shell_handler.exe\" \"%1\"";
    SetDefaultValue(kDocumentExtension, kDocumentKind);
    SetDefaultValue(std::string(kDocumentKind) + "\\shell\\open\\command", command);
    hadHttps_ = ReadDefaultValue(kHttpsCommandKey, &savedHttps_);
    SetDefaultValue(kHttpsCommandKey, command);
}

RegisteredHandler::~RegisteredHandler() {
    Release();
    if (hadHttps_) SetDefaultValue(kHttpsCommandKey, savedHttps_);
    else SHDeleteKeyA(HKEY_CLASSES_ROOT, kHttpsCommandKey);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kDocumentExtension);
    SHDeleteKeyA(HKEY_CLASSES_ROOT, kDocumentKind);
    SetEnvironmentVariableA("STEP_HANDLER_LOG", NULL);
    SetEnvironmentVariableA("STEP_HANDLER_RELEASE", NULL);
    CloseHandle(release_);
}

std::vector<HandlerStart> RegisteredHandler::Starts() const {
    std::vector<HandlerStart> starts;
    for (const std::vector<std::string>& fields : LogLines(log_))
        if (fields.size() == 4 && fields[0] == "started")
            starts.push_back({static_cast<DWORD>(std::stoul(fields[1])), fields[2], fields[3]});
    return starts;
}

bool RegisteredHandler::WaitForStarts(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return Starts().size() >= count; }, timeoutMs);
}

bool RegisteredHandler::Ended(DWORD processId) const {
    for (const std::vector<std::string>& fields : LogLines(log_))
        if (fields.size() == 2 && fields[0] == "ended" && std::stoul(fields[1]) == processId) return true;
    return false;
}

void RegisteredHandler::Release() {
    SetEvent(release_);
    WaitUntil([&] {
        for (const HandlerStart& start : Starts())
            if (!Ended(start.processId)) return false;
        return true;
    }, 20000);
}
