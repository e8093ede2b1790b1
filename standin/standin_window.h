// PURPOSE: the stand-in's installer windows: top-level, titled, with a short
// progress display; each closes when its time is up or when it is closed.
#pragma once
#include "standin_options.h"

// Opens options.windows windows and runs the message loop until every one of
// them is gone. Logs "window-open" and "window-closed" for each. Returns
// false when no window could be opened.
bool RunInstallerWindows(const StandinOptions& options, HINSTANCE instance);
