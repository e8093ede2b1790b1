// PURPOSE: following the waiters and installers of a running install script.
#include "install_watch.h"
#include <tlhelp32.h>
#include <sstream>
#include "gui.h"
#include "installer_drive.h"
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

// The window the plan's next run step awaits, for a program that is not a
// waiter: run steps in order, matched by the program's name.
std::string PlannedWindow(const std::vector<PlanStep>& steps, const std::string& program,
                          size_t started) {
    size_t seen = 0;
    for (const PlanStep& step : steps) {
        if (step.kind == PlanStep::kCopy) continue;
        if (seen++ == started && step.kind == PlanStep::kRun && SameText(step.path, program))
            return step.window;
    }
    return "";
}

// New programs that the launcher started: waiters and others.
void FindNewPrograms(std::vector<ComponentRun>& runs, std::vector<DWORD>& ignored,
                     const WalkthroughPaths& paths, DWORD launcherId,
                     const std::vector<PlanStep>& steps) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ParentProcessID != launcherId) continue;
        bool known = false;
        for (const ComponentRun& run : runs) known = known || run.waiterId == entry.th32ProcessID;
        for (DWORD id : ignored) known = known || id == entry.th32ProcessID;
        if (known) continue;
        HANDLE waiter = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                    entry.th32ProcessID);
        if (!waiter) continue;   // already gone
        // A process just created has no image yet; it is looked at again
        // at the next poll.
        std::string image = ImagePath(waiter);
        if (image.empty()) {
            CloseHandle(waiter);
            continue;
        }
        // Started by the launcher as the session's first program to need
        // it; the install script's programs are all on the disc.
        if (IsWineBackground(image)) {
            CloseHandle(waiter);
            ignored.push_back(entry.th32ProcessID);
            Detail("Wine started its own " + Utf8FromAnsi(image) + " (pid " +
                   std::to_string(entry.th32ProcessID) + "); not the install script's, left alone");
            continue;
        }
        ComponentRun run;
        run.index = runs.size() + 1;
        run.waiterId = entry.th32ProcessID;
        run.waiter = waiter;
        run.startedAt = GetTickCount();
        std::string folder = FolderOf(image);
        run.folder = OnDisc(folder, paths.disc);
        run.program = OnDisc(image, paths.disc);
        run.isWaiter = SameText(image.substr(image.find_last_of('\\') + 1), "Tarrywin.exe");
        run.title = run.isWaiter ? WatchedTitle(folder) : PlannedWindow(steps, run.program, runs.size());
        for (const ComponentRun& other : runs)
            Check(other.endedAt != 0, "a program started while " + Utf8FromAnsi(other.program) + " still ran");
        Detail(std::string(run.isWaiter ? "waiter" : "program") + " started: " + Utf8FromAnsi(run.program) + " (pid " +
               std::to_string(run.waiterId) + ")" +
               (run.title.empty() ? "" : ", waiting for the window " + Quoted(run.title)));
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
        SaveScreenshot(paths, WindowRectOf(window), "install_" + paths.run + "_" + std::to_string(run.index),
                       false);
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
    if (run.isWaiter) TellStandinLog(run, paths.disc);
    std::string after = run.windowClosedAt
        ? ", " + Seconds(run.endedAt - run.windowClosedAt) + " after the window went" : "";
    Detail(Utf8FromAnsi(run.program) + " ended, exit code " + std::to_string(run.exitCode) + after);
    Check(!run.isWaiter || run.exitCode == 0, "the waiter's exit code is not 0");
    if (run.title.empty()) return;
    if (Check(run.windowOpenedAt != 0, "it ended but its window was never seen"))
        Check(run.windowClosedAt != 0, "it ended while its window was still open");
}

// A dialog of the launcher during its install script is its launch or copy
// error: the run ends at once with its text and a picture, and OK lets the
// launcher end.
bool LauncherFailed(const WalkthroughPaths& paths, DWORD launcherId) {
    std::vector<HWND> dialogs = TopLevelWindowsOf(launcherId, "#32770");
    if (dialogs.empty()) return false;
    HWND dialog = dialogs.front();
    std::string name = "failure_" + paths.run;
    SaveScreenshot(paths, WindowRectOf(dialog), name);
    std::string text = AllTexts(dialog);
    Check(false, "the launcher reported a failure: " + Quoted(text));
    std::string flat;
    for (char c : Utf8FromAnsi(text)) flat += c == '\n' ? " / " : c == '\t' || c == '\r' ? std::string(" ") : std::string(1, c);
    Record("@failure\t" + flat + "\t" + name);
    PressButton(dialog, IDOK);
    return true;
}

}  // namespace

std::vector<ComponentRun> WatchInstall(const WalkthroughPaths& paths, DWORD launcherId,
                                       HANDLE launcher, DWORD timeoutMs,
                                       const std::vector<PlanStep>& steps) {
    std::vector<ComponentRun> runs;
    std::vector<DWORD> ignored;
    DWORD start = GetTickCount();
    // Everything the script starts is driven like a user accepting each
    // default: the stand-in needs nothing, an author's wizard its presses.
    InstallerDriver driver(paths, "install_" + paths.run);
    for (;;) {
        bool launcherEnded = WaitForSingleObject(launcher, 0) == WAIT_OBJECT_0;
        // The running waiters first: a waiter that ended since the last
        // look ended before the launcher could start the next one.
        for (ComponentRun& run : runs) {
            if (run.endedAt) continue;
            if (run.isWaiter) TellStandinLog(run, paths.disc);
            FollowWindow(run, paths);
            FollowWaiter(run, paths);
        }
        FindNewPrograms(runs, ignored, paths, launcherId, steps);
        for (const ComponentRun& run : runs) driver.Follow(run.waiterId, !run.isWaiter);
        driver.Poll();
        if (LauncherFailed(paths, launcherId)) {
            int ended = driver.EndAll();
            if (ended) Detail("ended " + std::to_string(ended) + " process(es) the install had started");
            break;
        }
        if (!driver.stuck().empty()) {
            Check(false, "an installer cannot be driven to its end: " + driver.stuck());
            Detail("ended " + std::to_string(driver.EndAll()) + " process(es) of the install");
            break;
        }
        if (launcherEnded) break;
        if (!Check(GetTickCount() - start < timeoutMs,
                   "the install did not end within " + Seconds(timeoutMs)))
            break;
        Sleep(kPollMs);
    }
    ReportTitles(driver.titles(), start);
    for (ComponentRun& run : runs) {
        if (!run.endedAt && WaitForSingleObject(run.waiter, 0) == WAIT_OBJECT_0) FollowWaiter(run, paths);
        Check(run.endedAt != 0, Utf8FromAnsi(run.program) + " still running after the launcher ended");
        CloseHandle(run.waiter);
        run.waiter = NULL;
    }
    return runs;
}
