// PURPOSE: the launch tests' worker thread, dialog closer and fixture.
#include "launch_fixture.h"
#include <stdio.h>
#include <sstream>
#include "processes.h"
#include "runtime/error_frame.h"
#include "script/launch_and_wait.h"

namespace {

// Under Wine a program that crashes after one of its threads has ended can
// exit with code 0, which would read as a pass; every launch test ends a
// thread. So a crash ends the program with the exception's code.
LONG WINAPI EndOnCrash(EXCEPTION_POINTERS* info) {
    fprintf(stderr, "\n*** unhandled exception 0x%08lx at %p: ending the test program\n",
            static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode), info->ExceptionRecord->ExceptionAddress);
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

const LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = SetUnhandledExceptionFilter(EndOnCrash);

}  // namespace

void GiveUp(const std::string& why) {
    fprintf(stderr, "\n*** %s: ending the test program\n", why.c_str());
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(1000);
}

LaunchOnWorker::LaunchOnWorker(const std::string& programPath, const char* windowTitle, bool wait)
    : programPath_(programPath), windowTitle_(windowTitle ? windowTitle : ""), hasTitle_(windowTitle != nullptr),
      wait_(wait) {
    thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
    if (!thread_) GiveUp("cannot start the launch thread");
}

LaunchOnWorker::~LaunchOnWorker() {
    MustReturnWithin(20000);
    CloseHandle(thread_);
}

DWORD WINAPI LaunchOnWorker::Run(void* self) {
    LaunchOnWorker& launch = *static_cast<LaunchOnWorker*>(self);
    ErrorCode code = Protect([&] {
        LaunchAndWait(launch.programPath_.c_str(), launch.hasTitle_ ? launch.windowTitle_.c_str() : nullptr,
                      launch.wait_);
    });
    launch.returnedAt_ = GetTickCount();
    std::vector<bool> ended;
    for (HANDLE process : launch.watched_) ended.push_back(WaitForSingleObject(process, 0) == WAIT_OBJECT_0);
    launch.endedAtReturn_ = ended;
    launch.code_ = code;
    return 0;
}

bool LaunchOnWorker::ReturnedWithin(DWORD milliseconds) {
    return WaitForSingleObject(thread_, milliseconds) == WAIT_OBJECT_0;
}

void LaunchOnWorker::MustReturnWithin(DWORD milliseconds) {
    if (!ReturnedWithin(milliseconds))
        GiveUp("LaunchAndWait(\"" + programPath_ + "\") has not returned after " +
               std::to_string(milliseconds) + " ms");
}

void LaunchOnWorker::LookAtReturn(const std::vector<HANDLE>& processes) {
    // Written before the test releases what the launch waits for, and read
    // by the worker only after that wait has ended.
    watched_ = processes;
    MemoryBarrier();
}

DialogCloser::DialogCloser() {
    stop_ = CreateEventA(NULL, TRUE, FALSE, NULL);
    thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
}

DialogCloser::~DialogCloser() {
    SetEvent(stop_);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(stop_);
}

DWORD WINAPI DialogCloser::Run(void* self) {
    DialogCloser* closer = static_cast<DialogCloser*>(self);
    while (WaitForSingleObject(closer->stop_, 100) == WAIT_TIMEOUT) EnumWindows(CloseIfDialog, reinterpret_cast<LPARAM>(closer));
    return 0;
}

BOOL CALLBACK DialogCloser::CloseIfDialog(HWND window, LPARAM self) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (owner == GetCurrentProcessId() && IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        InterlockedIncrement(&reinterpret_cast<DialogCloser*>(self)->closed_);
    }
    return TRUE;
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 2];
    GetCurrentDirectoryA(sizeof buffer, buffer);
    return buffer;
}

void LaunchTest::SetUp() {
    startDirectory_ = CurrentDirectory();
    folder_ = MakeTempFolder("launch test");
    ASSERT_FALSE(folder_.empty());
    program_ = folder_ + "\\prog.exe";
    log_ = folder_ + "\\child.log";
    ASSERT_TRUE(CopyInto(TestEnvironment("TEST_BIN") + "\\launch_child.exe", program_));
    // The caller sits in a folder of its own, so that the started program
    // could not find its folder current by accident.
    callerDirectory_ = MakeTempFolder("launch caller");
    ASSERT_TRUE(SetCurrentDirectoryA(callerDirectory_.c_str()));
    callerDirectory_ = CurrentDirectory();
}

void LaunchTest::TearDown() {
    for (HANDLE event : events_) SetEvent(event);
    launch_.reset();   // gives up the test program when the launch never returns
    for (HANDLE process : processes_) {
        if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 99);
        CloseHandle(process);
    }
    for (HANDLE event : events_) CloseHandle(event);
    SetCurrentDirectoryA(startDirectory_.c_str());
}

void LaunchTest::Section(const std::string& name, const std::vector<std::string>& lines) {
    ini_ += "[" + name + "]\r\n";
    for (const std::string& line : lines) ini_ += line + "\r\n";
    ASSERT_TRUE(WriteTextFile(folder_ + "\\prog.ini", ini_));
}

std::string LaunchTest::NewEvent(HANDLE* event) {
    static unsigned serial = 0;
    std::string name = "launch-test-release-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    *event = CreateEventA(NULL, TRUE, FALSE, name.c_str());
    events_.push_back(*event);
    return name;
}

std::string LaunchTest::UniqueTitle() {
    static unsigned serial = 0;
    return "Launch test window " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
}

LaunchOnWorker& LaunchTest::StartLaunch(const std::string& programPath, const char* windowTitle, bool wait) {
    launch_.reset();
    launch_.reset(new LaunchOnWorker(programPath, windowTitle, wait));
    return *launch_;
}

DWORD LaunchTest::FindLog(const std::string& section, const std::string& event, std::string* detail) {
    std::istringstream lines(ReadTextFile(log_));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string who, what, rest;
        DWORD id = 0;
        if (fields >> who >> what >> id && who == section && what == event) {
            std::getline(fields >> std::ws, rest);
            if (!rest.empty() && rest.back() == '\r') rest.pop_back();
            if (detail) *detail = rest;
            return id;
        }
    }
    return 0;
}

DWORD LaunchTest::WaitForLog(const std::string& section, const std::string& event, DWORD milliseconds) {
    DWORD found = 0;
    WaitUntil([&] { return (found = FindLog(section, event)) != 0; }, milliseconds);
    return found;
}

HANDLE LaunchTest::OpenLogged(DWORD processId) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    if (process) processes_.push_back(process);
    return process;
}

HANDLE LaunchTest::StartChild(const std::string& section) {
    std::string line = "\"" + program_ + "\" " + section;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program_.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, folder_.c_str(), &startup, &process))
        return NULL;
    CloseHandle(process.hThread);
    processes_.push_back(process.hProcess);
    return process.hProcess;
}
