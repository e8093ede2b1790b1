// PURPOSE: the waiter scenario fixture; see waiter_case.h.
#include "waiter_case.h"
#include <algorithm>
#include <gtest/gtest.h>
#include "gui.h"

namespace {

const char kTestWindowClass[] = "WaiterTestWindow";
const char kProbeClass[] = "WaiterPollProbe";

struct ProbeCount {
    int polls;
};

LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ProbeCount* count = reinterpret_cast<ProbeCount*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (count) ++count->polls;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterTestClasses() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kTestWindowClass;
    RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = ProbeProc;
    windowClass.lpszClassName = kProbeClass;
    RegisterClassA(&windowClass);
    registered = true;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(full);
            else DeleteFileA(full.c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

// The numeric value after "key=" in a log line, or 0.
DWORD FieldOf(const std::string& line, const std::string& key) {
    size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return 0;
    return strtoul(line.c_str() + at + key.size() + 2, NULL, 10);
}

}  // namespace

std::string UniqueTitle(const std::string& tag) {
    static int serial = 0;
    return "Waiter Test " + tag + " " + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
}

WaiterCase::WaiterCase(const std::string& tag, const std::string& subfolder) {
    base_ = MakeTempFolder("waiter-" + tag);
    folder_ = base_;
    if (!subfolder.empty()) {
        folder_ = base_ + "\\" + subfolder;
        CreateDirectoryA(folder_.c_str(), NULL);
    }
    EXPECT_TRUE(CopyInto(TestEnvironment("TARRYWIN_EXE"), folder_ + "\\Tarrywin.exe"));
}

WaiterCase::~WaiterCase() {
    waiter_.Terminate();
    EndStandins();
    RemoveTree(base_);
}

void WaiterCase::UseWaiterBuild(const std::string& fileName) {
    EXPECT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\" + fileName, folder_ + "\\Tarrywin.exe"));
}

void WaiterCase::WatchTitle(const std::string& title) {
    WriteWaiterIni("[CHECK]\r\nSTRING=" + title + "\r\n");
}

void WaiterCase::WriteWaiterIni(const std::string& text) {
    EXPECT_TRUE(WriteTextFile(folder_ + "\\Tarrywin.INI", text));
}

void WaiterCase::UseStandin(const std::vector<std::string>& settings) {
    usesStandin_ = true;
    EXPECT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\standin_setup.exe", folder_ + "\\setup.exe"));
    std::string ini = "[standin]\r\n";
    for (const std::string& line : settings) ini += line + "\r\n";
    EXPECT_TRUE(WriteTextFile(folder_ + "\\standin.ini", ini));
}

bool WaiterCase::StartWaiter() {
    return waiter_.Start("\"" + folder_ + "\\Tarrywin.exe\"", folder_);
}

bool WaiterCase::StartWaiterByBareName() {
    // A bare name is looked for in the starting program's current directory.
    char saved[MAX_PATH];
    GetCurrentDirectoryA(sizeof saved, saved);
    SetCurrentDirectoryA(folder_.c_str());
    bool started = waiter_.Start("tarrywin.exe", folder_);
    SetCurrentDirectoryA(saved);
    return started;
}

bool WaiterCase::StartWaiterNamed(const std::string& fileName) {
    std::string program = folder_ + "\\" + fileName;
    EXPECT_TRUE(CopyInto(folder_ + "\\Tarrywin.exe", program));
    return waiter_.Start("\"" + program + "\"", folder_);
}

std::string WaiterCase::Log() const {
    return ReadTextFile(folder_ + "\\standin.log");
}

std::vector<std::string> WaiterCase::LogLines(const std::string& event) const {
    std::vector<std::string> lines;
    std::string log = Log();
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find("\r\n", start);
        if (end == std::string::npos) end = log.size();
        std::string line = log.substr(start, end - start);
        if (line.compare(0, event.size() + 1, event + " ") == 0) lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

bool WaiterCase::WaitForLog(const std::string& event, size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return LogLines(event).size() >= count; }, timeoutMs);
}

void WaiterCase::EndStandins() {
    if (!usesStandin_ || !waiter_.handle()) return;
    // A stand-in that has not logged its start yet would escape and, left
    // running, keep the test run's output open. Every started stand-in logs
    // "start", and a parent logs "child-started" before its child can.
    WaitUntil([&] { return LogLines("start").size() >= 1 + LogLines("child-started").size(); }, 5000);
    for (const std::string& line : LogLines("start")) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE,
                                     FALSE, FieldOf(line, "pid"));
        if (!process) continue;
        // Process ids are reused: end only a program of this case's folders.
        char image[MAX_PATH * 2];
        DWORD size = sizeof image;
        if (QueryFullProcessImageNameA(process, 0, image, &size) &&
            lstrcmpiA(std::string(image, std::min<size_t>(size, base_.size())).c_str(), base_.c_str()) == 0) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

DWORD TickOf(const std::string& logLine) {
    return FieldOf(logLine, "tick");
}

TitledWindow::TitledWindow(const std::string& title, bool visible) {
    RegisterTestClasses();
    window_ = CreateWindowExA(0, kTestWindowClass, title.c_str(),
                              WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 200, 200, 240, 80,
                              NULL, NULL, GetModuleHandleA(NULL), NULL);
    EXPECT_NE(nullptr, window_) << "cannot make the window \"" << title << "\"";
}

void TitledWindow::Destroy() {
    if (window_) DestroyWindow(window_);
    window_ = NULL;
}

PollProbe::PollProbe() : spy_(NULL), hook_(NULL) {
    RegisterTestClasses();
    window_ = CreateWindowExA(0, kProbeClass, "Waiter poll probe", WS_POPUP, 0, 0, 10, 10, NULL,
                              NULL, GetModuleHandleA(NULL), NULL);
    EXPECT_NE(nullptr, window_);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new ProbeCount{0}));
}

PollProbe::~PollProbe() {
    if (hook_) UnhookWindowsHookEx(hook_);
    if (spy_) FreeLibrary(spy_);
    delete reinterpret_cast<ProbeCount*>(GetWindowLongPtrA(window_, GWLP_USERDATA));
    DestroyWindow(window_);
}

bool PollProbe::Attach(const Program& waiter) {
    HWND dialog = NULL;
    if (!WaitUntil([&] { return (dialog = WaiterDialogOf(waiter)) != NULL; }, 5000)) return false;
    SetWindowTextA(window_, ("Waiter poll probe " + std::to_string(waiter.id())).c_str());
    spy_ = LoadLibraryA((TestEnvironment("TEST_BIN") + "\\waiter_poll_spy.dll").c_str());
    if (!spy_) return false;
    HOOKPROC hook = reinterpret_cast<HOOKPROC>(GetProcAddress(spy_, "PollSpyHook@12"));
    if (!hook) hook = reinterpret_cast<HOOKPROC>(GetProcAddress(spy_, "PollSpyHook"));
    if (!hook) return false;
    hook_ = SetWindowsHookExA(WH_GETMESSAGE, hook, spy_, GetWindowThreadProcessId(dialog, NULL));
    return hook_ != NULL;
}

int PollProbe::polls() const {
    // Reports already posted are counted first.
    MSG message;
    while (PeekMessageA(&message, window_, WM_APP, WM_APP, PM_REMOVE)) DispatchMessageA(&message);
    return reinterpret_cast<ProbeCount*>(GetWindowLongPtrA(window_, GWLP_USERDATA))->polls;
}

bool PollProbe::WaitForPolls(int count, DWORD timeoutMs) const {
    int target = polls() + count;
    return WaitUntil([&] { return polls() >= target; }, timeoutMs);
}

bool PollProbe::BetweenPolls() const {
    if (!WaitForPolls(1)) return false;
    PumpFor(100);
    return true;
}

void PumpFor(DWORD ms) {
    WaitUntil([] { return false; }, ms);
}

HWND WaiterDialogOf(const Program& program) {
    std::vector<HWND> dialogs = TopLevelWindowsOf(program.id(), "#32770");
    return dialogs.empty() ? NULL : dialogs.front();
}
