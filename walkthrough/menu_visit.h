// PURPOSE: one run of SETUP.EXE from the disc in one language, driven
// through its menu like a user: the menu, a button, its confirmation; each
// checked against the language's plan.
#pragma once
#include <windows.h>
#include <string>
#include "plan.h"
#include "processes.h"

// Where the walk-through reads the disc and saves its screenshots.
struct WalkthroughPaths {
    std::string disc;          // the disc's root folder
    std::string screenshots;   // the BMPs go here
    std::string run;           // names this run's screenshots, e.g. "en_2"
};

// Starts SETUP.EXE from the disc's root, once this process's own user
// language (which SETUP.EXE inherits) is the plan's.
bool StartLauncher(Program& setup, const WalkthroughPaths& paths, const Plan& plan);

// Waits for the menu, checks its size, says where it is and saves
// menu_<key>.bmp when screenshot is set. Returns the menu, or null.
HWND ShowMenu(Program& setup, const WalkthroughPaths& paths, const Plan& plan, bool screenshot);

// Presses the button, waits for its confirmation, checks its text and
// captions against the plan, prints them and saves confirm_<key>_<n>.bmp.
// Returns the confirmation, or null.
HWND AskConfirmation(Program& setup, HWND menu, const WalkthroughPaths& paths, const Plan& plan,
                     const PlanButton& button);

// Cancel on the confirmation: the menu must stay.
void Decline(HWND menu, HWND confirmation, const Plan& plan);

// The exit button: the launcher must end without asking, with code 0.
void ExitFromMenu(Program& setup, HWND menu, const Plan& plan);

// Saves the screen rectangle once two captures in a row agree (what is
// drawn has settled), as <screenshots>\<name>.bmp; says so.
void SaveScreenshot(const WalkthroughPaths& paths, const RECT& rect, const std::string& name,
                    bool waitUntilSettled = true);
