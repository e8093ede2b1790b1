// PURPOSE: the disc walk-through in one language: runs SETUP.EXE from a disc
// folder the way a user would and tells step by step what happened, with
// every exit code, saving screenshots as it goes. In English it installs
// everything; in French and German it shows a confirmation, cancels it and
// leaves through the exit button. Wine fixes the user language when a
// program starts, so each language is a run of its own, started with that
// language's Linux locale (scripts/walkthrough does this).
//
//   disc_walkthrough.exe <disc folder> <screenshot folder> <en|fr|de> [first step number]
//
// Exits 0 when everything went as a user would expect, 1 when a check
// failed, 2 on a wrong command line.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "gui.h"
#include "install_watch.h"
#include "launcher/resources/resource_ids.h"
#include "menu_visit.h"
#include "narration.h"
#include "processes.h"

namespace {

// Three installers of a few seconds each, one after another.
const DWORD kInstallMs = 120000;
const DWORD kExitMs = 15000;

const MenuVisit kVisits[] = {
    {"en", "English", LANG_ENGLISH, IDC_MENU_ALL, "install everything", "Installing all items."},
    {"fr", "French", LANG_FRENCH, IDC_MENU_APPS, "install the two applications",
     "Installation des applications"},
    {"de", "German", LANG_GERMAN, IDC_MENU_TWAIN, "install the TWAIN driver",
     "TWAIN-Treiber werden installiert."},
};
// The English install-everything script's components, in its order.
const char* const kEnglishComponents[] = {"tessera\\w95e", "quillon\\w95e", "kxtwain\\w95e"};

std::string FullPath(const char* path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    std::string result = length && length < sizeof full ? full : path;
    while (result.size() > 3 && result.back() == '\\') result.pop_back();
    return result;
}

void CheckInstallOrder(const std::vector<ComponentRun>& runs) {
    const size_t expected = sizeof kEnglishComponents / sizeof kEnglishComponents[0];
    Check(runs.size() == expected,
          "expected " + std::to_string(expected) + " waiters, saw " + std::to_string(runs.size()));
    for (size_t i = 0; i < runs.size() && i < expected; ++i)
        Check(lstrcmpiA(runs[i].folder.c_str(), kEnglishComponents[i]) == 0,
              "waiter " + std::to_string(i + 1) + " ran from " + runs[i].folder + ", not " +
                  kEnglishComponents[i]);
}

void InstallEverything(const WalkthroughPaths& paths, const MenuVisit& visit) {
    Step(std::string(visit.language) + ": SETUP.EXE from the disc shows the " + visit.language + " menu");
    Program setup;
    if (!StartLauncher(setup, paths, visit)) return;
    HWND menu = ShowMenu(setup, paths, visit);
    if (!menu) return;

    Step(std::string(visit.language) + ": button 2 asks for confirmation");
    HWND confirmation = AskConfirmation(setup, menu, paths, visit);
    if (!confirmation) return;

    Step(std::string(visit.language) + ": OK installs everything, one component after another");
    PressButton(confirmation, IDOK);
    Detail("pressed OK");
    Check(WaitForWindowGone(menu, kExitMs), "the menu stayed after OK");
    Detail("the menu closed; the launcher runs its install script, waiting for each waiter");
    std::vector<ComponentRun> runs = WatchInstall(paths, setup.id(), setup.handle(), kInstallMs);
    CheckInstallOrder(runs);

    Step(std::string(visit.language) + ": the launcher ends when its script is done");
    long code = setup.WaitForExit(kExitMs);
    if (Check(code != -1, "SETUP.EXE still running after the install")) {
        std::string last = runs.empty() ? "" : ", after the last waiter (" + runs.back().folder + ")";
        Detail("SETUP.EXE ended, exit code " + std::to_string(code) + last);
    }
    Check(code == 0, "the launcher's exit code is not 0");
    for (const ComponentRun& run : runs) {
        std::string window = run.windowOpenedAt && run.windowClosedAt
            ? "installer window open " + Seconds(run.windowClosedAt - run.windowOpenedAt)
            : "installer window never seen";
        Note(run.folder + ": waiter pid " + std::to_string(run.waiterId) + ", exit code " +
             std::to_string(run.exitCode) + ", " + window);
    }
}

void LookAndLeave(const WalkthroughPaths& paths, const MenuVisit& visit) {
    Step(std::string(visit.language) + ": SETUP.EXE from the disc shows the " + visit.language + " menu");
    Program setup;
    if (!StartLauncher(setup, paths, visit)) return;
    HWND menu = ShowMenu(setup, paths, visit);
    if (!menu) return;

    Step(std::string(visit.language) + ": a confirmation in " + visit.language +
         "; Cancel, then the exit button");
    HWND confirmation = AskConfirmation(setup, menu, paths, visit);
    if (!confirmation) return;
    Decline(menu, confirmation);
    ExitFromMenu(setup, menu);
}

}  // namespace

int main(int argc, char** argv) {
    const MenuVisit* visit = NULL;
    for (const MenuVisit& candidate : kVisits)
        if (argc >= 4 && lstrcmpiA(argv[3], candidate.tag) == 0) visit = &candidate;
    if (!visit || argc > 5) {
        fprintf(stderr, "usage: disc_walkthrough <disc folder> <screenshot folder> <en|fr|de> "
                        "[first step number]\n");
        return 2;
    }
    WalkthroughPaths paths = {FullPath(argv[1]), FullPath(argv[2])};
    CreateDirectoryA(paths.screenshots.c_str(), NULL);
    if (argc == 5) NumberStepsFrom(atoi(argv[4]));
    if (visit->primaryLanguage == LANG_ENGLISH) InstallEverything(paths, *visit);
    else LookAndLeave(paths, *visit);
    return Failures() == 0 ? 0 : 1;
}
