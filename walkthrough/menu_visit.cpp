// PURPOSE: driving SETUP.EXE's menu and confirmations from another process.
#include "menu_visit.h"
#include "gui.h"
#include "narration.h"
#include "screen.h"
#include <stdio.h>
#include <vector>

namespace {

const DWORD kDialogMs = 15000;

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

std::string WithoutCarriageReturns(std::string text) {
    std::string result;
    for (char c : text)
        if (c != '\r') result += c;
    return result;
}

// The confirmation's text as the user reads it: its static controls.
std::string StaticTexts(HWND dialog, std::string& buttons) {
    std::string texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = "";
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, "Button") == 0)
            buttons += (buttons.empty() ? "" : "  ") + std::string("[") + WindowText(child) + "]";
        else
            texts += (texts.empty() ? "" : "\n") + WindowText(child);
    }
    return WithoutCarriageReturns(texts);
}

}  // namespace

bool StartLauncher(Program& setup, const WalkthroughPaths& paths, const Plan& plan) {
    // Wine fixes a process's language from the Linux locale it was started
    // with and passes that on to the processes it starts, so SETUP.EXE gets
    // this program's.
    LANGID user = GetUserDefaultUILanguage();
    if (!Check(PRIMARYLANGID(user) == plan.primaryLanguage,
               "this run's user language is not " + Utf8FromAnsi(plan.language) +
                   " (is its Linux locale generated? scripts/setup makes them)"))
        return false;
    std::string program = paths.disc + "\\SETUP.EXE";
    bool started = setup.Start("\"" + program + "\"", paths.disc);
    char language[8];
    snprintf(language, sizeof language, "0x%04X", user);
    if (Check(started, "SETUP.EXE did not start: " + program))
        Detail("SETUP.EXE started from the disc (pid " + std::to_string(setup.id()) +
               ") for a user whose language is " + Utf8FromAnsi(plan.language) + " (" + language + ")");
    return started;
}

HWND ShowMenu(Program& setup, const WalkthroughPaths& paths, const Plan& plan, bool screenshot) {
    HWND menu = WaitForDialog(setup.id(), kDialogMs);
    if (!Check(menu != NULL, "no menu within " + Seconds(kDialogMs))) return NULL;
    RECT client = ClientRectOnScreen(menu);
    int width = client.right - client.left, height = client.bottom - client.top;
    Detail("menu shown: " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels at " + Position(client) + ", centred on the " +
           std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
           std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " screen");
    Check(width == plan.menuWidth && height == plan.menuHeight,
          "the menu is not " + std::to_string(plan.menuWidth) + " x " +
              std::to_string(plan.menuHeight) + ", its background bitmap's size");
    if (screenshot) SaveScreenshot(paths, WindowRectOf(menu), "menu_" + plan.key);
    return menu;
}

HWND AskConfirmation(Program& setup, HWND menu, const WalkthroughPaths& paths, const Plan& plan,
                     const PlanButton& button) {
    PressButton(menu, button.control);
    Detail("pressed button " + std::to_string(button.number) + " " +
           Quoted(button.label));
    std::string expected = WithoutCarriageReturns(button.confirmation);
    std::string firstLine = expected.substr(0, expected.find('\n'));
    HWND confirmation = WaitForDialog(setup.id(), kDialogMs, firstLine);
    if (!Check(confirmation != NULL,
               "no confirmation beginning " + Quoted(firstLine))) return NULL;
    Detail(Utf8FromAnsi(plan.language) + " confirmation:");
    std::string buttons;
    std::string shown = StaticTexts(confirmation, buttons);
    for (const std::string& line : Lines(shown)) Note("| " + Utf8FromAnsi(line));
    Note("  " + Utf8FromAnsi(buttons));
    Check(shown == expected, "the confirmation's text is not the manifest's " +
                                 Quoted(expected));
    Check(ControlText(confirmation, IDOK) == plan.ok && ControlText(confirmation, IDCANCEL) == plan.cancel,
          "the confirmation's buttons are not [" + Utf8FromAnsi(plan.ok) + "] [" +
              Utf8FromAnsi(plan.cancel) + "]");
    // The confirmation over the menu it belongs to.
    RECT both, menuRect = WindowRectOf(menu), dialogRect = WindowRectOf(confirmation);
    UnionRect(&both, &menuRect, &dialogRect);
    SaveScreenshot(paths, both, "confirm_" + plan.key + "_" + std::to_string(button.number));
    return confirmation;
}

void Decline(HWND menu, HWND confirmation, const Plan& plan) {
    PressButton(confirmation, IDCANCEL);
    Detail("pressed " + Quoted(plan.cancel));
    bool gone = WaitForWindowGone(confirmation, kDialogMs);
    Check(gone, "the confirmation stayed after Cancel");
    if (gone && Check(IsWindow(menu) && IsWindowVisible(menu), "the menu closed after Cancel"))
        Detail("the confirmation closed and the menu stays");
}

void ExitFromMenu(Program& setup, HWND menu, const Plan& plan) {
    const PlanButton* exit = plan.ExitButton();
    PressButton(menu, exit->control);
    Detail("pressed button " + std::to_string(exit->number) + " " + Quoted(exit->label));
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
