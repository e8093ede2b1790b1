// PURPOSE: what a failed install command does before the script ends.
#pragma once
#include "runtime/error_codes.h"

// Ends the busy cursor so the dialog shows the normal one, shows the
// dialog at dialogOffset from the dialog base (OFFSET_LAUNCH_FAILED or
// OFFSET_COPY_FAILED) with the stop beep (none for a
// quiet stop, which was reported already or is a cancel), and raises 1.
void FailCommand(ErrorCode code, int dialogOffset);
