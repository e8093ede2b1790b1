// PURPOSE: one run of SETUP.EXE from the disc in one language, driven
// through its menu like a user: the menu, a button, its confirmation.
#pragma once
#include <windows.h>
#include <string>
#include "processes.h"

struct MenuVisit {
    const char* tag;            // names the screenshots: menu_<tag>, confirm_<tag>
    const char* language;       // "English"
    WORD primaryLanguage;       // LANG_ENGLISH: the user language this run must have
    int control;                // the menu button to press (IDC_MENU_*)
    const char* meaning;        // what that button does
    const char* confirmation;   // how its confirmation text begins in this language
};

// Where the walk-through reads the disc and saves its screenshots.
struct WalkthroughPaths {
    std::string disc;          // the disc's root folder
    std::string screenshots;   // the BMPs go here
};

// Starts SETUP.EXE from the disc's root, once this process's own user
// language (which SETUP.EXE inherits) is the visit's.
bool StartLauncher(Program& setup, const WalkthroughPaths& paths, const MenuVisit& visit);

// Waits for the menu, checks its size, says where it is and saves
// menu_<tag>.bmp. Returns the menu, or null.
HWND ShowMenu(Program& setup, const WalkthroughPaths& paths, const MenuVisit& visit);

// Presses the visit's button, waits for its confirmation, checks and prints
// its text and saves confirm_<tag>.bmp. Returns the confirmation, or null.
HWND AskConfirmation(Program& setup, HWND menu, const WalkthroughPaths& paths, const MenuVisit& visit);

// Cancel on the confirmation: the menu must stay.
void Decline(HWND menu, HWND confirmation);

// The exit button: the launcher must end without asking, with code 0.
void ExitFromMenu(Program& setup, HWND menu);

// Saves the screen rectangle once two captures in a row agree (what is
// drawn has settled), as <screenshots>\<name>.bmp; says so.
void SaveScreenshot(const WalkthroughPaths& paths, const RECT& rect, const std::string& name,
                    bool waitUntilSettled = true);
