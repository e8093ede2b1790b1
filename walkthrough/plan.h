// PURPOSE: what the walk-through expects of one language of a disc, read
// from a plan file that scripts/check-disc writes from the disc's manifest.
//
// One record a line, fields separated by tabs, in the language's ANSI code
// page (the code page the launcher's windows show their texts in); "\n",
// "\t" and "\\" stand for a line break, a tab and a backslash:
//   language <name> <primary language id> <key>
//   menu <width> <height>
//   captions <OK caption> <Cancel caption>
//   button <number> <control id> <exit|install> <label>
//   confirmation <text>                          (of the last button)
//   component <folder> <window title> <standin|installer>
//   run <program> <window title, may be empty>
//   copy <source> <destination> <directory|file>
// The steps (component, run, copy) belong to the last button, in order.
#pragma once
#include <string>
#include <vector>

struct PlanStep {
    enum Kind { kComponent, kRun, kCopy } kind = kComponent;
    std::string path;         // component folder, program, or copy source
    std::string window;       // component or run: the awaited window title
    std::string destination;  // copy: as in the command string
    bool standin = true;      // component: the demo stand-in installer
    bool directory = false;   // copy: a directory tree
};

struct PlanButton {
    int number = 0;
    int control = 0;
    bool install = false;
    std::string label;
    std::string confirmation;
    std::vector<PlanStep> steps;
};

struct Plan {
    std::string language;
    int primaryLanguage = 0;
    std::string key;
    int menuWidth = 0, menuHeight = 0;
    std::string ok = "OK", cancel = "Cancel";
    std::vector<PlanButton> buttons;
    const PlanButton* Button(int number) const;
    const PlanButton* ExitButton() const;
};

// Reads a plan file; on a malformed line sets error (naming the line) and
// returns false.
bool ReadPlan(const std::string& path, Plan& plan, std::string& error);
