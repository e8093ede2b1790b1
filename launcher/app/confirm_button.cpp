// PURPOSE: the menu's confirmation rule.
#include "app/confirm_button.h"
#include <windows.h>
#include "app/language_bases.h"
#include "app/message_dialog.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"

int32_t ConfirmButton(int32_t buttonNumber) {
    if (buttonNumber <= 1) RaiseError(kQuietStop);
    int id = static_cast<int>(DialogBase()) + OFFSET_CONFIRM + buttonNumber;
    return ShowMessageDialog(id, MB_ICONQUESTION) == IDOK;
}
