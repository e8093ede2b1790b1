// PURPOSE: following an installer's processes and pressing its wizard's
// default buttons.
#include "installer_drive.h"
#include <tlhelp32.h>
#include "gui.h"
#include "narration.h"

namespace {

// A page is pressed once nothing on it changed for this long.
const DWORD kSettledMs = 800;
// A press that changed nothing is tried again after this long, at most
// kMaxPresses times in all.
const DWORD kRetryMs = 4000;
const int kMaxPresses = 3;

std::string ClassOf(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

bool IsPushButton(HWND control) {
    if (lstrcmpiA(ClassOf(control).c_str(), "Button") != 0) return false;
    LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool Usable(HWND control) {
    return control && IsWindowVisible(control) && IsWindowEnabled(control);
}

struct DefaultSearch {
    HWND found = NULL;
};

BOOL CALLBACK FindDefPushButton(HWND child, LPARAM data) {
    DefaultSearch* search = reinterpret_cast<DefaultSearch*>(data);
    if (IsPushButton(child) && Usable(child) &&
        (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

// The button Enter would press: a dialog's DM_GETDEFID (sent only to
// dialogs, where the message means that), else the one BS_DEFPUSHBUTTON.
HWND DefaultButton(HWND window) {
    if (ClassOf(window) == "#32770") {
        DWORD_PTR answer = 0;
        if (SendMessageTimeoutA(window, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 500, &answer) &&
            HIWORD(answer) == DC_HASDEFID) {
            HWND button = GetDlgItem(window, LOWORD(answer));
            if (Usable(button)) return button;
            if (button) return NULL;   // the default exists but cannot be pressed yet
        }
    }
    DefaultSearch search;
    EnumChildWindows(window, FindDefPushButton, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK AddState(HWND child, LPARAM data) {
    std::string& signature = *reinterpret_cast<std::string*>(data);
    if (!IsWindowVisible(child)) return TRUE;
    signature += "\n" + WindowText(child) + (IsWindowEnabled(child) ? "" : " (off)");
    return TRUE;
}

std::string Signature(HWND window) {
    std::string signature = WindowText(window);
    EnumChildWindows(window, AddState, reinterpret_cast<LPARAM>(&signature));
    return signature;
}

std::string ImageOf(HANDLE process) {
    char path[MAX_PATH * 2];
    DWORD size = sizeof path;
    return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : "";
}

struct WindowSearch {
    const std::set<DWORD>* processes;
    std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
    WindowSearch* search = reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processes->count(owner) && IsWindowVisible(window))
        search->found.push_back({window, owner});
    return TRUE;
}

}  // namespace

// Wine starts its desktop (explorer.exe) and its services (services.exe, and
// below it winedevice, plugplay, svchost, rpcss) from whichever program
// first needs them in a session: Wine's own, whoever their parent is.
bool IsWineBackground(const std::string& image) {
    static const char* const kNames[] = {"explorer.exe", "services.exe", "winedevice.exe",
                                         "plugplay.exe", "svchost.exe", "rpcss.exe"};
    char system[MAX_PATH];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) return false;
    for (const char* name : kNames)
        if (lstrcmpiA(image.c_str(), (std::string(system, length) + "\\" + name).c_str()) == 0)
            return true;
    return false;
}

InstallerDriver::InstallerDriver(const WalkthroughPaths& paths, const std::string& shotPrefix)
    : paths_(paths), shotPrefix_(shotPrefix) {}

InstallerDriver::~InstallerDriver() {
    for (HANDLE handle : handles_) CloseHandle(handle);
}

void InstallerDriver::Follow(DWORD processId, bool itsWindowsToo) {
    if (itsWindowsToo) windowsFollowed_.insert(processId);
    if (!followed_.insert(processId).second) return;
    HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                                FALSE, processId);
    if (handle) handles_.push_back(handle);
}

// Children of followed processes, found by their parent's id; a process
// started by one that has already ended is still found while the snapshot
// names its parent.
void InstallerDriver::FindProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<PROCESSENTRY32> all;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        all.push_back(entry);
    CloseHandle(snapshot);
    for (bool added = true; added;) {
        added = false;
        for (const PROCESSENTRY32& process : all) {
            if (followed_.count(process.th32ProcessID) || wineDesktop_.count(process.th32ProcessID) ||
                !followed_.count(process.th32ParentProcessID))
                continue;
            HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.th32ProcessID);
            std::string image = handle ? ImageOf(handle) : "";
            if (handle) CloseHandle(handle);
            if (image.empty()) continue;   // gone, or not started yet: next poll
            if (IsWineBackground(image)) {
                wineDesktop_.insert(process.th32ProcessID);
                continue;
            }
            Detail("the installer started " + Utf8FromAnsi(image) + " (pid " +
                   std::to_string(process.th32ProcessID) + ")");
            Follow(process.th32ProcessID);
            added = true;
        }
    }
}

InstallerDriver::Page& InstallerDriver::PageOf(HWND window) {
    for (Page& page : pages_)
        if (page.window == window) return page;
    pages_.push_back(Page());
    pages_.back().window = window;
    return pages_.back();
}

void InstallerDriver::LookAt(HWND window, DWORD processId) {
    DWORD now = GetTickCount();
    std::string title = WindowText(window);
    if (!title.empty()) {
        bool known = false;
        for (SeenTitle& seen : titles_) {
            if (seen.title == title && seen.processId == processId) {
                seen.lastAt = now;
                known = true;
            }
        }
        if (!known) {
            titles_.push_back({title, processId, now, now});
            Detail("window " + Quoted(title) + " appeared (pid " + std::to_string(processId) + ")");
        }
    }
    // A window disabled by a modal one of its own waits for that one.
    if (!IsWindowEnabled(window)) return;
    Page& page = PageOf(window);
    std::string signature = Signature(window);
    if (signature != page.signature) {
        page.signature = signature;
        page.since = now;
        page.pressed = 0;
        page.photographed = false;
        return;
    }
    if (now - page.since < kSettledMs) return;
    // Every page and window that stays long enough to be seen is kept.
    if (!page.photographed) {
        page.photographed = true;
        SaveScreenshot(paths_, WindowRectOf(window), shotPrefix_ + "_page" + std::to_string(++shots_),
                       false);
    }
    if (page.pressed && now - page.pressedAt < kRetryMs) return;
    HWND button = DefaultButton(window);
    if (!button) return;   // nothing to press: an installer at work, or a page wanting input
    if (page.pressed >= kMaxPresses) {
        if (stuck_.empty())
            stuck_ = "pressing " + Quoted(WindowText(button)) + " on " + Quoted(title) + " " +
                     std::to_string(kMaxPresses) + " times changed nothing";
        return;
    }
    std::string label = WindowText(button);
    // Posted, as a click is: the installer may work for long on it.
    HWND parent = GetParent(button);
    PostMessageA(parent ? parent : window, WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
    ++presses_;
    ++page.pressed;
    page.pressedAt = now;
    Detail("pressed " + Quoted(label) + " on " + Quoted(title) +
           (page.pressed > 1 ? " again" : ""));
    Record("@page\t" + Utf8FromAnsi(title) + "\t" + Utf8FromAnsi(label) + "\t" +
           shotPrefix_ + "_page" + std::to_string(shots_));
}

void InstallerDriver::Poll() {
    FindProcesses();
    WindowSearch search = {&windowsFollowed_, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    for (const auto& found : search.found) LookAt(found.first, found.second);
}

bool InstallerDriver::Running() {
    FindProcesses();
    for (HANDLE handle : handles_)
        if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) return true;
    return false;
}

int InstallerDriver::EndAll() {
    int ended = 0;
    for (HANDLE handle : handles_) {
        if (WaitForSingleObject(handle, 0) != WAIT_TIMEOUT) continue;
        if (TerminateProcess(handle, 1)) ++ended;
        WaitForSingleObject(handle, 5000);
    }
    return ended;
}

void ReportTitles(const std::vector<SeenTitle>& titles, DWORD startedAt) {
    for (const SeenTitle& seen : titles)
        Record("@title\t" + std::to_string(seen.firstAt - startedAt) + "\t" +
               std::to_string(seen.lastAt - startedAt) + "\t" + std::to_string(seen.processId) +
               "\t" + Utf8FromAnsi(seen.title));
}
