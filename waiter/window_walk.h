// PURPOSE: looking for a top-level window with the watched title.
#pragma once
#include <windows.h>
#include "poll_decision.h"

// Reads the whole text of every child of the desktop, from the top of the Z
// order down, hidden windows included, and compares it with title (SameText).
// The walk visits every window even after a match, and skips own (the
// waiter's own dialog, whose text "Tarrywin" may be the title: it would never
// go). A walk cut short by a window destroyed while it stood on it reads as
// kTitleUnread unless the title was found before.
TitleSearch SearchTopLevelWindows(const char* title, HWND own);
