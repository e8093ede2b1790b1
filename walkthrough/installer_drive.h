// PURPOSE: driving an installer like a user who accepts every default: the
// processes it starts are followed, every top-level window title they show
// is recorded with when, each page or window that settles is photographed,
// and on each settled page of a wizard the default button (Next, I Agree,
// Install, Finish) is pressed.
#pragma once
#include <windows.h>
#include <set>
#include <string>
#include <vector>
#include "menu_visit.h"

struct SeenTitle {
    std::string title;   // as the window shows it, in the ANSI code page
    DWORD processId = 0;
    DWORD firstAt = 0;   // GetTickCount() values
    DWORD lastAt = 0;
};

class InstallerDriver {
public:
    // shotPrefix names the page screenshots: <prefix>_page<n>.bmp.
    InstallerDriver(const WalkthroughPaths& paths, const std::string& shotPrefix);
    ~InstallerDriver();
    // The process and everything it starts from now on are followed; the
    // windows of a process followed only for its children (a waiter) are
    // left alone.
    void Follow(DWORD processId, bool itsWindowsToo = true);
    // One look: new processes and titles, and a press where a page has
    // settled. Cheap enough for every poll.
    void Poll();
    // Whether any followed process still runs.
    bool Running();
    // Ends every followed process that still runs; returns how many.
    int EndAll();
    const std::vector<SeenTitle>& titles() const { return titles_; }
    int presses() const { return presses_; }
    // A page pressed three times that did not change: the installer wants
    // more than its defaults. Empty while none.
    const std::string& stuck() const { return stuck_; }

private:
    struct Page {
        HWND window = NULL;
        std::string signature;   // title and every control's text and state
        DWORD since = 0;         // when the signature last changed
        int pressed = 0;         // presses of this signature
        bool photographed = false;
        DWORD pressedAt = 0;
    };
    void FindProcesses();
    void LookAt(HWND window, DWORD processId);
    Page& PageOf(HWND window);

    WalkthroughPaths paths_;
    std::string shotPrefix_;
    std::set<DWORD> followed_;
    std::set<DWORD> windowsFollowed_;
    std::vector<HANDLE> handles_;
    std::set<DWORD> wineDesktop_;
    std::vector<SeenTitle> titles_;
    std::vector<Page> pages_;
    int presses_ = 0;
    int shots_ = 0;
    std::string stuck_;
};

// A program of Wine's own session (desktop, services), started by whichever
// program first needed it.
bool IsWineBackground(const std::string& image);

// "@title" lines that scripts/check-disc reads from the walk-through's output.
void ReportTitles(const std::vector<SeenTitle>& titles, DWORD startedAt);
