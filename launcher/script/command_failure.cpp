// PURPOSE: what a failed install command does before the script ends.
#include "command_failure.h"
#include <windows.h>
#include "app/language_bases.h"
#include "app/message_dialog.h"
#include "busy_cursor.h"
#include "runtime/error_frame.h"

void FailCommand(ErrorCode code, int dialogOffset) {
    EndBusyCursor();
    if (code != kQuietStop) ShowMessageDialog(DialogBase() + dialogOffset, MB_ICONHAND);
    RaiseError(kQuietStop);
}
