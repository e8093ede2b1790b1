// PURPOSE: following the waiters and installers of a running install script.
#include "install_watch.h"
#include <tlhelp32.h>
#include <sstream>
#include "gui.h"
#include "narration.h"
#include "processes.h"

namespace {

const DWORD kPollMs = 20;
// Photographed once the progress display has had time to move.
const DWORD kPhotographAfterMs = 1500;

bool SameText(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string ImagePath(HANDLE process) {
    char path[MAX_PATH * 2];
    DWORD size = sizeof path;
    return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : "";
}

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The folder relative to the disc's root when it lies on the disc.
std::string OnDisc(const std::string& folder, const std::string& disc) {
    if (folder.size() > disc.size() && SameText(folder.substr(0, disc.size()), disc) &&
        folder[disc.size()] == '\\')
        return folder.substr(disc.size() + 1);
    return folder;
}

std::string WatchedTitle(const std::string& folder) {
    char title[4096] = "";
    GetPrivateProfileStringA("CHECK", "STRING", "", title, sizeof title,
                             (folder + "\\Tarrywin.INI").c_str());
    return title;
}

std::string Field(const std::string& line, const std::string& key) {
    size_t at = line.find(" " + key + "=");
    if (at == std::string::npos) return "";
    at += key.size() + 2;
    return line.substr(at, line.find(' ', at) - at);
}

// Tells the stand-in's process events (start, hand-over, exit) from its log;
// the window itself is watched directly.
void TellStandinLog(ComponentRun& run, const std::string& disc) {
    std::string log = ReadTextFile(disc + "\\" + run.folder + "\\standin.log");
    while (run.logTold < log.size()) {
        size_t end = log.find('\n', run.logTold);
        if (end == std::string::npos) return;   // a line still being written
        std::string line = log.substr(run.logTold, end - run.logTold);
        run.logTold = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::string event;
        fields >> event;
        std::string pid = Field(line, "pid");
        DWORD tick = static_cast<DWORD>(strtoul(Field(line, "tick").c_str(), NULL, 10));
        if (event == "start" && Field(line, "mode") == "window")
            Detail("pid " + pid + " starts up to show the installer's window", tick);
        else if (event == "start")
            Detail("setup.exe started (pid " + pid + ")", tick);
        else if (event == "child-started")
            Detail("setup.exe (pid " + pid + ") hands its window over to pid " + Field(line, "child"),
                   tick);
        else if (event == "exit") {
            std::string code = Field(line, "code");
            Detail("setup.exe pid " + pid + " exited with code " + code, tick);
            Check(code == "0", "the installer pid " + pid + " failed");
        } else if (event == "crash") {
            Check(false, "the installer pid " + pid + " crashed");
        }
    }
}

// New waiters: Tarrywin.exe processes that the launcher started.
void FindNewWaiters(std::vector<ComponentRun>& runs, const WalkthroughPaths& paths, DWORD launcherId) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != launcherId || !SameText(entry.szExeFile, "Tarrywin.exe"))
            continue;
        bool known = false;
        for (const ComponentRun& run : runs) known = known || run.waiterId == entry.th32ProcessID;
        if (known) continue;
        HANDLE waiter = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                    entry.th32ProcessID);
        if (!waiter) continue;   // already gone
        ComponentRun run;
        run.waiterId = entry.th32ProcessID;
        run.waiter = waiter;
        run.startedAt = GetTickCount();
        std::string folder = FolderOf(ImagePath(waiter));
        run.folder = OnDisc(folder, paths.disc);
        run.title = WatchedTitle(folder);
        for (const ComponentRun& other : runs)
            Check(other.endedAt != 0, "a waiter started while " + other.folder + "'s still ran");
        Detail("waiter started: " + run.folder + "\\Tarrywin.exe (pid " + std::to_string(run.waiterId) +
               "), waiting for the window " + Quoted(run.title));
        runs.push_back(run);
    }
    CloseHandle(snapshot);
}

void FollowWindow(ComponentRun& run, const WalkthroughPaths& paths) {
    HWND window = run.title.empty() ? NULL : FindWindowA(NULL, run.title.c_str());
    DWORD now = GetTickCount();
    if (window && !run.windowOpenedAt) {
        run.windowOpenedAt = now;
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        Detail("window " + Quoted(run.title) + " appeared (pid " + std::to_string(owner) + ")");
    }
    if (window && !run.photographed && now - run.windowOpenedAt >= kPhotographAfterMs) {
        run.photographed = true;
        std::string component = run.folder.substr(0, run.folder.find('\\'));
        SaveScreenshot(paths, WindowRectOf(window), "install_" + component, false);
    }
    if (!window && run.windowOpenedAt && !run.windowClosedAt) {
        run.windowClosedAt = now;
        Detail("window " + Quoted(run.title) + " went away after " +
               Seconds(now - run.windowOpenedAt));
    }
}

void FollowWaiter(ComponentRun& run, const WalkthroughPaths& paths) {
    if (run.endedAt || WaitForSingleObject(run.waiter, 0) != WAIT_OBJECT_0) return;
    run.endedAt = GetTickCount();
    GetExitCodeProcess(run.waiter, &run.exitCode);
    TellStandinLog(run, paths.disc);
    std::string after = run.windowClosedAt
        ? ", " + Seconds(run.endedAt - run.windowClosedAt) + " after the window went" : "";
    Detail("waiter " + run.folder + " ended, exit code " + std::to_string(run.exitCode) + after);
    Check(run.exitCode == 0, "the waiter's exit code is not 0");
    if (Check(run.windowOpenedAt != 0, "the waiter ended but its window was never seen"))
        Check(run.windowClosedAt != 0, "the waiter ended while its window was still open");
}

}  // namespace

std::vector<ComponentRun> WatchInstall(const WalkthroughPaths& paths, DWORD launcherId,
                                       HANDLE launcher, DWORD timeoutMs) {
    std::vector<ComponentRun> runs;
    DWORD start = GetTickCount();
    for (;;) {
        bool launcherEnded = WaitForSingleObject(launcher, 0) == WAIT_OBJECT_0;
        // The running waiters first: a waiter that ended since the last
        // look ended before the launcher could start the next one.
        for (ComponentRun& run : runs) {
            if (run.endedAt) continue;
            TellStandinLog(run, paths.disc);
            FollowWindow(run, paths);
            FollowWaiter(run, paths);
        }
        FindNewWaiters(runs, paths, launcherId);
        if (launcherEnded) break;
        if (!Check(GetTickCount() - start < timeoutMs,
                   "the install did not end within " + Seconds(timeoutMs)))
            break;
        Sleep(kPollMs);
    }
    for (ComponentRun& run : runs) {
        Check(run.endedAt != 0, "waiter " + run.folder + " still running after the launcher ended");
        CloseHandle(run.waiter);
        run.waiter = NULL;
    }
    return runs;
}
