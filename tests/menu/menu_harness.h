// PURPOSE: running the menu on the test's own thread while a second thread
// drives it like a user, with every wait bounded.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <functional>
#include <vector>
#include "app/bitmap_menu.h"
#include "runtime/error_codes.h"

// Runs show() (which shows a menu modally) on this thread while drive(menu)
// runs on a second thread with the first dialog this thread shows, or null
// when none appears within 10 s. Whatever drive leaves open is closed
// afterwards, so a failing test cannot hang. Returns how many dialogs this
// thread created meanwhile, the menu included.
int ShowWhileDriving(const std::function<void()>& show,
                     const std::function<void(HWND menu)>& drive);

// What one RunMenu call ended with.
struct MenuOutcome {
    ErrorCode raised;    // the code RunMenu raised; 0 when it returned
    int32_t button;      // what it returned; 0 when it raised
    int dialogs;         // dialogs created meanwhile, the menu included
};
MenuOutcome RunMenuDriven(int32_t dialogId, ConfirmCallback confirm,
                          const std::function<void(HWND menu)>& drive);

// The dialog result of BitmapMenu::Run itself (-1 for the close command);
// 0 when Run raised.
INT_PTR RunDialogDriven(int32_t dialogId, ConfirmCallback confirm,
                        const std::function<void(HWND menu)>& drive);

// Confirmation callbacks that record every button number they are asked
// about: one declines, one accepts, one raises -5.
int32_t DeclineButton(int32_t number);
int32_t AcceptButton(int32_t number);
int32_t RaiseForButton(int32_t number);
void ForgetAskedButtons();
std::vector<int32_t> AskedButtons();
// Waits until the callbacks were asked `count` times in all.
bool WaitForAsked(size_t count, DWORD timeoutMs = 5000);

// Pressing a menu button: a whole click, or the mouse button held down on it
// and let go outside it (which clicks nothing).
void ClickControl(HWND menu, int controlId);
void HoldMouseOn(HWND menu, int controlId);
void ReleaseMouseOutside(HWND menu, int controlId);

// A control's rectangle in the menu's client area; empty when it is absent.
RECT ControlRect(HWND menu, int controlId);
// Whether the menu is still showing.
bool MenuOpen(HWND menu);
// Sends a message to the menu and returns its answer (-2 when it timed out).
LRESULT AnswerOf(HWND menu, UINT message, WPARAM wParam, LPARAM lParam);
