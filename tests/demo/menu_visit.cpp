// PURPOSE: driving SETUP.EXE's menu and confirmations from another process.
#include "menu_visit.h"
#include "gui.h"
#include "launcher/resources/resource_ids.h"
#include "narration.h"
#include "screen.h"
#include <stdio.h>
#include <vector>

namespace {

const DWORD kDialogMs = 15000;
const int kMenuWidth = 488;    // the background bitmap's size
const int kMenuHeight = 242;

std::string Position(const RECT& rect) {
    return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ")";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool StartLauncher(Program& setup, const WalkthroughPaths& paths, const MenuVisit& visit) {
    // Wine fixes a process's language from the Linux locale it was started
    // with and passes that on to the processes it starts, so SETUP.EXE gets
    // this program's.
    LANGID user = GetUserDefaultUILanguage();
    if (!Check(PRIMARYLANGID(user) == visit.primaryLanguage,
               std::string("this run's user language is not ") + visit.language +
                   " (is its Linux locale generated? scripts/setup makes them)"))
        return false;
    std::string program = paths.disc + "\\SETUP.EXE";
    bool started = setup.Start("\"" + program + "\"", paths.disc);
    char language[8];
    snprintf(language, sizeof language, "0x%04X", user);
    if (Check(started, "SETUP.EXE did not start: " + program))
        Detail("SETUP.EXE started from the disc (pid " + std::to_string(setup.id()) +
               ") for a user whose language is " + visit.language + " (" + language + ")");
    return started;
}

HWND ShowMenu(Program& setup, const WalkthroughPaths& paths, const MenuVisit& visit) {
    HWND menu = WaitForDialog(setup.id(), kDialogMs);
    if (!Check(menu != NULL, "no menu within " + Seconds(kDialogMs))) return NULL;
    RECT client = ClientRectOnScreen(menu);
    int width = client.right - client.left, height = client.bottom - client.top;
    Detail("menu shown: " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels at " + Position(client) + ", centred on the " +
           std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
           std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " screen");
    Check(width == kMenuWidth && height == kMenuHeight, "the menu is not 488 x 242");
    SaveScreenshot(paths, WindowRectOf(menu), std::string("menu_") + visit.tag);
    return menu;
}

HWND AskConfirmation(Program& setup, HWND menu, const WalkthroughPaths& paths, const MenuVisit& visit) {
    PressButton(menu, visit.control);
    Detail("pressed button " + std::to_string(visit.control - IDC_MENU_EXIT + 1) + " (" +
           visit.meaning + ")");
    HWND confirmation = WaitForDialog(setup.id(), kDialogMs, visit.confirmation);
    if (!Check(confirmation != NULL,
               std::string("no confirmation beginning ") + Quoted(visit.confirmation))) return NULL;
    Detail(std::string(visit.language) + " confirmation:");
    std::string buttons;
    for (HWND child = GetWindow(confirmation, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Button") == 0) {
            buttons += (buttons.empty() ? "" : "  ") + std::string("[") + WindowText(child) + "]";
            continue;
        }
        for (const std::string& line : Lines(WindowText(child))) Note("| " + Utf8FromAnsi(line));
    }
    Note("  " + Utf8FromAnsi(buttons));
    // The confirmation over the menu it belongs to.
    RECT both, menuRect = WindowRectOf(menu), dialogRect = WindowRectOf(confirmation);
    UnionRect(&both, &menuRect, &dialogRect);
    SaveScreenshot(paths, both, std::string("confirm_") + visit.tag);
    return confirmation;
}

void Decline(HWND menu, HWND confirmation) {
    PressButton(confirmation, IDCANCEL);
    bool gone = WaitForWindowGone(confirmation, kDialogMs);
    Check(gone, "the confirmation stayed after Cancel");
    if (gone && Check(IsWindow(menu) && IsWindowVisible(menu), "the menu closed after Cancel"))
        Detail("Cancel: the confirmation closed and the menu stays");
}

void ExitFromMenu(Program& setup, HWND menu) {
    PressButton(menu, IDC_MENU_EXIT);
    Detail("pressed button 1 (exit)");
    bool asked = false;
    WaitUntil([&] {
        for (HWND dialog : TopLevelWindowsOf(setup.id(), "#32770"))
            if (dialog != menu) asked = true;
        return !setup.Running();
    }, kDialogMs);
    Check(!asked, "the exit button asked for confirmation");
    long code = setup.WaitForExit(kDialogMs);
    if (Check(code != -1, "SETUP.EXE still running " + Seconds(kDialogMs) + " after the exit button"))
        Detail("SETUP.EXE ended without asking, exit code " + std::to_string(code));
    Check(code == 0, "the launcher's exit code is not 0");
}

void SaveScreenshot(const WalkthroughPaths& paths, const RECT& rect, const std::string& name,
                    bool waitUntilSettled) {
    ScreenImage image = CaptureScreen(rect);
    for (int i = 0; waitUntilSettled && i < 30; ++i) {
        Sleep(100);
        ScreenImage again = CaptureScreen(rect);
        bool settled = again.pixels == image.pixels;
        image = std::move(again);
        if (settled) break;
    }
    std::string path = paths.screenshots + "\\" + name + ".bmp";
    if (Check(SaveBitmap(image, path), "could not save " + path))
        Detail("screenshot " + name);
}
