// PURPOSE: finding another program's windows and driving them like a user.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// Visible top-level windows of a process, topmost first; className filters
// when not empty (dialogs are "#32770").
std::vector<HWND> TopLevelWindowsOf(DWORD processId, const std::string& className = "");

// Waits up to timeoutMs for a visible dialog of the process whose texts (its
// caption and its controls' texts) contain needle (empty: any dialog).
// Returns null when none came.
HWND WaitForDialog(DWORD processId, DWORD timeoutMs, const std::string& needle = "");

// Waits until the window is gone; returns whether it went.
bool WaitForWindowGone(HWND window, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string ControlText(HWND dialog, int id);
// The texts of every child control, in Z order.
std::vector<std::string> ChildTexts(HWND window);
// The caption and every child's text joined with '\n'.
std::string AllTexts(HWND window);

// Presses the push button with this id the way a click does (BM_CLICK).
void PressButton(HWND dialog, int id);
// Sends a key press to the window that has the keyboard focus in the
// window's thread (or to the window itself).
void PressKey(HWND window, WORD virtualKey);
// Sends WM_SYSCOMMAND with the given command (e.g. SC_CLOSE | 3).
void SendSystemCommand(HWND window, WPARAM command);

RECT WindowRectOf(HWND window);
RECT ClientRectOnScreen(HWND window);
