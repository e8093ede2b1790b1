// PURPOSE: the program that the launch-and-wait tests start. What it does is
// read from the INI file named like itself (prog.exe reads prog.ini), in the
// section named by its first argument, or [start] when it has none: the
// shell starts it with no arguments, so everything it needs sits beside it.
//
//   log=<path>             appends "<section> <event> <process id> [detail]"
//                          lines; events: started, ready, window,
//                          window_gone, execute (detail: the command), ended
//   cwd_file=<path>        writes its current directory there at start
//   title=<text>           opens a top-level window with this title
//   window_delay_ms=<n>    waits this long before opening the window
//   hand_over=<section>    starts a copy of itself for that section, waits
//                          until that section's window is there, and ends
//   release_event=<name>   stays until this named event is set
//   linger_ms=<n>          after the release, closes its window first and
//                          lives this much longer
//   dde_service=<name>     answers DDE conversations on topic System under
//                          this service name and logs each execute command
// Whatever it is told, it ends after a minute, so no test leaves it behind.
#include <windows.h>
#include <ddeml.h>
#include <string>

namespace {

const DWORD kLifetimeLimit = 60000;

std::string g_ini;
std::string g_section;
std::string g_log;
DWORD g_ddeInstance = 0;

std::string Setting(const std::string& section, const char* key) {
    char value[1024];
    GetPrivateProfileStringA(section.c_str(), key, "", value, sizeof value, g_ini.c_str());
    return value;
}

int NumberSetting(const std::string& section, const char* key) {
    return static_cast<int>(GetPrivateProfileIntA(section.c_str(), key, 0, g_ini.c_str()));
}

// One write per line with append access, so lines of several processes
// never interleave.
void Log(const std::string& event, const std::string& detail = "") {
    if (g_log.empty()) return;
    std::string line = g_section + " " + event + " " + std::to_string(GetCurrentProcessId());
    if (!detail.empty()) line += " " + detail;
    line += "\r\n";
    HANDLE file = CreateFileA(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, NULL);
    CloseHandle(file);
}

void WriteFileText(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
    CloseHandle(file);
}

// Sleeps while keeping its windows responsive; returns early when the event
// (if any) is set.
void PumpFor(DWORD milliseconds, HANDLE event = NULL) {
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds) return;
        DWORD count = event ? 1 : 0;
        DWORD woke = MsgWaitForMultipleObjects(count, &event, FALSE, milliseconds - spent, QS_ALLINPUT);
        if (event && woke == WAIT_OBJECT_0) return;
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

HWND OpenWindow(const std::string& title) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "LaunchChildWindow";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           40, 40, 240, 120, NULL, NULL, windowClass.hInstance, NULL);
}

HDDEDATA CALLBACK AnswerDde(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT: {
        char name[64] = "";
        DdeQueryStringA(g_ddeInstance, topic, name, sizeof name, CP_WINANSI);
        return reinterpret_cast<HDDEDATA>(static_cast<ULONG_PTR>(lstrcmpiA(name, "System") == 0));
    }
    case XTYP_EXECUTE: {
        char command[1024] = "";
        DdeGetData(data, reinterpret_cast<BYTE*>(command), sizeof command - 1, 0);
        Log("execute", command);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    default:
        return NULL;
    }
}

bool StartSection(const std::string& self, const std::string& section) {
    std::string line = "\"" + self + "\" " + section;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(self.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    DWORD started = GetTickCount();
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    g_ini = self;
    g_ini = g_ini.substr(0, g_ini.rfind('.')) + ".ini";
    g_section = *arguments ? arguments : "start";
    g_log = Setting(g_section, "log");
    Log("started");

    std::string cwdFile = Setting(g_section, "cwd_file");
    if (!cwdFile.empty()) {
        char directory[MAX_PATH];
        GetCurrentDirectoryA(sizeof directory, directory);
        WriteFileText(cwdFile, directory);
    }

    std::string service = Setting(g_section, "dde_service");
    HSZ serviceName = NULL;
    if (!service.empty()) {
        DdeInitializeA(&g_ddeInstance, AnswerDde, APPCLASS_STANDARD | CBF_SKIP_ALLNOTIFICATIONS, 0);
        serviceName = DdeCreateStringHandleA(g_ddeInstance, service.c_str(), CP_WINANSI);
        DdeNameService(g_ddeInstance, serviceName, NULL, DNS_REGISTER);
        Log("ready");
    }

    HWND window = NULL;
    std::string title = Setting(g_section, "title");
    if (!title.empty()) {
        PumpFor(static_cast<DWORD>(NumberSetting(g_section, "window_delay_ms")));
        window = OpenWindow(title);
        if (window) Log("window");
    }

    std::string handOver = Setting(g_section, "hand_over");
    if (!handOver.empty()) {
        // Like an installer that unpacks itself and starts the real one:
        // it ends once the other process's window is up.
        std::string theirTitle = Setting(handOver, "title");
        if (StartSection(self, handOver))
            while (!FindWindowA(NULL, theirTitle.c_str()) && GetTickCount() - started < kLifetimeLimit)
                PumpFor(20);
    }

    std::string releaseName = Setting(g_section, "release_event");
    if (!releaseName.empty()) {
        HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, releaseName.c_str());
        DWORD spent = GetTickCount() - started;
        if (release) PumpFor(spent < kLifetimeLimit ? kLifetimeLimit - spent : 0, release);
        if (release) CloseHandle(release);
    }

    int lingerMs = NumberSetting(g_section, "linger_ms");
    if (window && lingerMs > 0) {
        DestroyWindow(window);
        Log("window_gone");
        PumpFor(static_cast<DWORD>(lingerMs));
    }
    if (g_ddeInstance) {
        DdeNameService(g_ddeInstance, serviceName, NULL, DNS_UNREGISTER);
        DdeFreeStringHandle(g_ddeInstance, serviceName);
        DdeUninitialize(g_ddeInstance);
    }
    Log("ended");
    return 0;
}
