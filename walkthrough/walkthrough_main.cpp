// PURPOSE: the disc walk-through in one language: runs SETUP.EXE from a disc
// folder the way a user would, checks what happens against the language's
// plan (see plan.h) and tells it step by step, with every exit code, saving
// screenshots as it goes. Wine fixes the user language when a program
// starts, so each language is a run of its own, started with that
// language's Linux locale (scripts/check-disc does this).
//
//   disc_walkthrough.exe <disc folder> <screenshot folder> <plan> menu|<button> [first step]
//   disc_walkthrough.exe <disc folder> <screenshot folder> <plan> titles <component folder>
//                        <time limit in s> <number> [first step]
//
// "menu" shows the menu, each install button's confirmation (then Cancel)
// and leaves through the exit button; a button number presses that button,
// answers OK and follows its steps to the launcher's end, pressing each
// installer page's default button. "titles" starts the component folder's
// setup.exe by itself, presses its pages' default buttons until its
// processes end (or the time limit passes, when they are ended), and
// reports every window title they showed ("@title" lines) and whether it
// finished ("@finished").
// Exits 0 when everything went as planned, 1 when a check failed, 2 on a
// wrong command line or plan.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>
#include "copy_check.h"
#include "gui.h"
#include "install_watch.h"
#include "installer_drive.h"
#include "menu_visit.h"
#include "narration.h"
#include "plan.h"
#include "processes.h"

namespace {

// A few installers of a few seconds each, one after another.
const DWORD kInstallMs = 240000;
const DWORD kExitMs = 15000;

std::string FullPath(const char* path) {
    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(path, sizeof full, full, NULL);
    std::string result = length && length < sizeof full ? full : path;
    while (result.size() > 3 && result.back() == '\\') result.pop_back();
    return result;
}

std::string Heading(const Plan& plan, const std::string& text) {
    return Utf8FromAnsi(plan.language) + ": " + text;
}

void LookAndLeave(const WalkthroughPaths& paths, const Plan& plan) {
    Step(Heading(plan, "SETUP.EXE from the disc shows the menu"));
    Program setup;
    if (!StartLauncher(setup, paths, plan)) return;
    HWND menu = ShowMenu(setup, paths, plan, true);
    if (!menu) return;
    for (const PlanButton& button : plan.buttons) {
        if (!button.install) continue;
        Step(Heading(plan, "button " + std::to_string(button.number) + " asks for confirmation; Cancel"));
        HWND confirmation = AskConfirmation(setup, menu, paths, plan, button);
        if (!confirmation) return;
        Decline(menu, confirmation, plan);
    }
    Step(Heading(plan, "the exit button ends the launcher"));
    ExitFromMenu(setup, menu, plan);
}

// The programs the button's steps start, in order, against what ran.
void CheckOrder(const PlanButton& button, const std::vector<ComponentRun>& runs) {
    std::vector<const PlanStep*> expected;
    for (const PlanStep& step : button.steps)
        if (step.kind != PlanStep::kCopy) expected.push_back(&step);
    Check(runs.size() == expected.size(), "expected " + std::to_string(expected.size()) +
                                              " programs to start, saw " + std::to_string(runs.size()));
    for (size_t i = 0; i < runs.size() && i < expected.size(); ++i) {
        const PlanStep& step = *expected[i];
        bool same = step.kind == PlanStep::kComponent
            ? runs[i].isWaiter && lstrcmpiA(runs[i].folder.c_str(), step.path.c_str()) == 0
            : lstrcmpiA(runs[i].program.c_str(), step.path.c_str()) == 0;
        Check(same, "program " + std::to_string(i + 1) + " was " + Utf8FromAnsi(runs[i].program) + ", not " +
                        Utf8FromAnsi(step.kind == PlanStep::kComponent ? step.path + "\\Tarrywin.exe" : step.path));
    }
}

void CheckCopies(const WalkthroughPaths& paths, const PlanButton& button) {
    for (const PlanStep& step : button.steps) {
        if (step.kind != PlanStep::kCopy) continue;
        std::string destination = CopyDestination(step.destination);
        std::string difference = CompareCopy(paths.disc + "\\" + step.path, destination);
        if (Check(difference.empty(), Utf8FromAnsi(difference)))
            Detail(Utf8FromAnsi(destination) + " holds the disc's " + Utf8FromAnsi(step.path));
    }
}

void Install(const WalkthroughPaths& paths, const Plan& plan, const PlanButton& button) {
    Step(Heading(plan, "SETUP.EXE from the disc shows the menu"));
    for (const PlanStep& step : button.steps)
        if (step.kind == PlanStep::kCopy)
            Check(RemoveTree(CopyDestination(step.destination)),
                  "could not clear " + Utf8FromAnsi(CopyDestination(step.destination)));
    Program setup;
    if (!StartLauncher(setup, paths, plan)) return;
    HWND menu = ShowMenu(setup, paths, plan, false);
    if (!menu) return;

    Step(Heading(plan, "button " + std::to_string(button.number) + " asks for confirmation"));
    HWND confirmation = AskConfirmation(setup, menu, paths, plan, button);
    if (!confirmation) return;

    Step(Heading(plan, "OK runs the button's " + std::to_string(button.steps.size()) +
                           " steps, one after another"));
    PressButton(confirmation, IDOK);
    Detail("pressed " + Quoted(plan.ok));
    Check(WaitForWindowGone(menu, kExitMs), "the menu stayed after OK");
    Detail("the menu closed; the launcher runs its install script");
    std::vector<ComponentRun> runs =
        WatchInstall(paths, setup.id(), setup.handle(), kInstallMs, button.steps);
    CheckOrder(button, runs);

    Step(Heading(plan, "the launcher ends when its script is done"));
    long code = setup.WaitForExit(kExitMs);
    if (Check(code != -1, "SETUP.EXE still running after the install"))
        Detail("SETUP.EXE ended, exit code " + std::to_string(code));
    Check(code == 0, "the launcher's exit code is not 0");
    CheckCopies(paths, button);
    for (const ComponentRun& run : runs) {
        std::string window = run.title.empty() ? "no window awaited"
            : run.windowOpenedAt && run.windowClosedAt
            ? "window open " + Seconds(run.windowClosedAt - run.windowOpenedAt)
            : "window never seen";
        Note(Utf8FromAnsi(run.program) + ": pid " + std::to_string(run.waiterId) + ", exit code " +
             std::to_string(run.exitCode) + ", " + window);
    }
}

void ShowTitles(const WalkthroughPaths& paths, const Plan& plan, const std::string& folder,
                DWORD limitMs) {
    Step(Heading(plan, "the installer in " + Utf8FromAnsi(folder) +
                           " by itself: its windows, each page's default button pressed"));
    std::string where = paths.disc + "\\" + folder;
    Program installer;
    if (!Check(installer.Start("\"" + where + "\\setup.exe\"", where),
               "setup.exe in " + Utf8FromAnsi(where) + " did not start")) {
        Record("@finished\t0\tsetup.exe did not start");
        return;
    }
    DWORD start = GetTickCount();
    Detail("setup.exe started (pid " + std::to_string(installer.id()) + ")");
    InstallerDriver driver(paths, "installer_" + paths.run);
    driver.Follow(installer.id());
    std::string unfinished;
    for (;;) {
        driver.Poll();
        if (!driver.Running()) break;
        if (!driver.stuck().empty()) {
            unfinished = driver.stuck();
            break;
        }
        if (GetTickCount() - start >= limitMs) {
            unfinished = "still running after " + Seconds(limitMs);
            break;
        }
        Sleep(50);
    }
    if (unfinished.empty()) {
        Detail("every process of the installer ended after " + Seconds(GetTickCount() - start) + ", " +
               std::to_string(driver.presses()) + " button(s) pressed; setup.exe's exit code " +
               std::to_string(installer.WaitForExit(0)));
    } else {
        Detail("cannot drive it to its end: " + unfinished);
        Detail("ended " + std::to_string(driver.EndAll()) + " process(es) of the installer");
    }
    ReportTitles(driver.titles(), start);
    Record(std::string("@finished\t") + (unfinished.empty() ? "1" : "0") + "\t" + unfinished);
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 4 ? argv[4] : "";
    int firstStepArg = mode == "titles" ? 8 : 5;
    if (argc < 5 || (mode == "titles" && argc < 8) || argc > firstStepArg + 1) {
        fprintf(stderr, "usage: disc_walkthrough <disc folder> <screenshot folder> <plan> "
                        "menu|<button number> [first step number]\n"
                        "       disc_walkthrough <disc folder> <screenshot folder> <plan> "
                        "titles <component folder> <time limit s> <number> [first step number]\n");
        return 2;
    }
    Plan plan;
    std::string error;
    if (!ReadPlan(argv[3], plan, error)) {
        fprintf(stderr, "disc_walkthrough: %s\n", error.c_str());
        return 2;
    }
    const PlanButton* button = mode == "menu" || mode == "titles" ? nullptr : plan.Button(atoi(argv[4]));
    if (mode != "menu" && mode != "titles" && (!button || !button->install)) {
        fprintf(stderr, "disc_walkthrough: the plan has no install button %s\n", argv[4]);
        return 2;
    }
    std::string run = plan.key;
    if (button) run += "_" + std::to_string(button->number);
    if (mode == "titles") run += "_" + std::string(argv[7]);
    WalkthroughPaths paths = {FullPath(argv[1]), FullPath(argv[2]), run};
    CreateDirectoryA(paths.screenshots.c_str(), NULL);
    if (argc == firstStepArg + 1) NumberStepsFrom(atoi(argv[firstStepArg]));
    if (mode == "titles") ShowTitles(paths, plan, argv[5], static_cast<DWORD>(atoi(argv[6])) * 1000);
    else if (button) Install(paths, plan, *button);
    else LookAndLeave(paths, plan);
    return Failures() == 0 ? 0 : 1;
}
