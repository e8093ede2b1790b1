// PURPOSE: looking for a top-level window with the watched title.
#pragma once
#include "poll_decision.h"

// Reads the whole text of every child of the desktop, from the top of the Z
// order down, hidden windows included, and compares it with title (SameText).
// The walk visits every window even after a match.
TitleSearch SearchTopLevelWindows(const char* title);
