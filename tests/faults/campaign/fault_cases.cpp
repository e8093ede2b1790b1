// PURPOSE: the fault campaign's runner: many mutated copies of SETUP.EXE, one
// after another in one Wine session, each driven like a user who presses a
// menu button and OK in every dialog, and each bounded by a time limit.
//
// The case list has one line per case: "<case> <program> <locale> <control>",
// locale being "-" for the session's own or a Unix locale name, and control
// the id of the menu button to press. For each case one line goes to
// standard output: "case <case> exit <code> <dialogs> <ms>" or
// "case <case> hang <dialogs> <ms>", dialogs counting those answered;
// a line "case <case> begins" goes to standard error first, so that Wine's
// crash reports there can be told apart by case.
#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <stdlib.h>
#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>
#include "fault_cases.h"
#include "gui.h"
#include "processes.h"

namespace {

const DWORD kPollMs = 15;
// A menu still open this long after its button was pressed did not take the
// press (no such button, no confirmation dialog): it is closed like a user
// closes it, with Alt+F4's system command.
const DWORD kMenuPatienceMs = 1500;
// A message dialog still open this long after OK was pressed gets OK again.
const DWORD kDialogPatienceMs = 1000;
// While the launcher shows nothing for this long, the user closes the other
// windows its programs opened (a folder window that an `e` command opened).
const DWORD kOtherWindowsPatienceMs = 2000;

struct Case {
    std::string name;
    std::string program;
    std::string locale;
    int control;
};

// Every process started by root or by one of its descendants, root included.
std::vector<DWORD> ProcessTree(DWORD root) {
    std::vector<DWORD> tree(1, root);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return tree;
    std::multimap<DWORD, DWORD> children;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID != entry.th32ParentProcessID)
            children.insert({entry.th32ParentProcessID, entry.th32ProcessID});
    CloseHandle(snapshot);
    for (size_t i = 0; i < tree.size(); ++i) {
        auto range = children.equal_range(tree[i]);
        for (auto it = range.first; it != range.second; ++it)
            if (std::find(tree.begin(), tree.end(), it->second) == tree.end())
                tree.push_back(it->second);
    }
    return tree;
}

void EndProcesses(const std::vector<DWORD>& ids) {
    for (DWORD id : ids) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (!process) continue;
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 2000);
        CloseHandle(process);
    }
}

bool IsMenu(HWND dialog) {
    // The menu is the launcher's only dialog without an OK button.
    return GetDlgItem(dialog, IDOK) == NULL;
}

BOOL CALLBACK CloseWindowOf(HWND window, LPARAM parameter) {
    const std::vector<DWORD>& ids = *reinterpret_cast<const std::vector<DWORD>*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (IsWindowVisible(window) && std::find(ids.begin() + 1, ids.end(), owner) != ids.end())
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// One step of the user: answers every dialog of the launcher that is open.
void Drive(DWORD processId, int control, std::map<HWND, DWORD>& pressedAt, DWORD& quietSince) {
    DWORD now = GetTickCount();
    std::vector<HWND> dialogs = TopLevelWindowsOf(processId, "#32770");
    if (!dialogs.empty()) {
        quietSince = now;
    } else if (now - quietSince > kOtherWindowsPatienceMs) {
        std::vector<DWORD> tree = ProcessTree(processId);
        EnumWindows(CloseWindowOf, reinterpret_cast<LPARAM>(&tree));
        quietSince = now;
    }
    for (HWND dialog : dialogs) {
        auto seen = pressedAt.find(dialog);
        if (IsMenu(dialog)) {
            if (seen == pressedAt.end()) {
                HWND button = GetDlgItem(dialog, control);
                if (button) PostMessageA(button, BM_CLICK, 0, 0);
                pressedAt[dialog] = now;
            } else if (now - seen->second > kMenuPatienceMs) {
                // A menu left open after an answered confirmation is
                // pressed once more before it is closed.
                SendSystemCommand(dialog, SC_CLOSE);
                seen->second = now;
            }
        } else if (seen == pressedAt.end() || now - seen->second > kDialogPatienceMs) {
            if (seen == pressedAt.end() && getenv("FAULT_TEXTS"))
                fprintf(stderr, "dialog: %s\n", AllTexts(dialog).c_str());
            PressButton(dialog, IDOK);
            pressedAt[dialog] = now;
        }
    }
}

void RunCase(const Case& c, DWORD limitMs) {
    fprintf(stderr, "case %s begins\n", c.name.c_str());
    fflush(stderr);
    Program setup;
    std::vector<std::string> environment;
    if (c.locale != "-") environment = {"LANG=" + c.locale, "LC_ALL=" + c.locale};
    DWORD started = GetTickCount();
    bool ok = environment.empty() ? setup.Start("\"" + c.program + "\"")
                                  : setup.Start("\"" + c.program + "\"", "", environment);
    if (!ok) {
        printf("case %s nostart %lu\n", c.name.c_str(), GetLastError());
        return;
    }
    std::map<HWND, DWORD> pressedAt;
    bool ended = false;
    DWORD quietSince = started;
    while (GetTickCount() - started < limitMs) {
        if (WaitForSingleObject(setup.handle(), kPollMs) == WAIT_OBJECT_0) {
            ended = true;
            break;
        }
        Drive(setup.id(), c.control, pressedAt, quietSince);
    }
    DWORD elapsed = GetTickCount() - started;
    // Whatever the case started is ended before the next case begins, so
    // that no window of one case can answer another case's wait.
    std::vector<DWORD> tree = ProcessTree(setup.id());
    if (!ended) {
        EndProcesses(tree);
        printf("case %s hang %u %lu\n", c.name.c_str(), unsigned(pressedAt.size()), elapsed);
        return;
    }
    DWORD code = 0;
    GetExitCodeProcess(setup.handle(), &code);
    tree.erase(tree.begin());
    EndProcesses(tree);
    printf("case %s exit %lu %u %lu\n", c.name.c_str(), code, unsigned(pressedAt.size()), elapsed);
}

}  // namespace

int RunFaultCases(const std::string& listFile, int limitMs) {
    std::ifstream list(listFile.c_str());
    std::string line;
    int count = 0;
    while (std::getline(list, line)) {
        std::istringstream fields(line);
        Case c;
        if (!(fields >> c.name >> c.program >> c.locale >> c.control)) continue;
        RunCase(c, static_cast<DWORD>(limitMs));
        ++count;
    }
    printf("done %d\n", count);
    return count > 0 ? 0 : 1;
}
