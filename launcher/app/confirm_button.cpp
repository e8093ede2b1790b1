// PURPOSE: the menu's confirmation rule.
#include "app/confirm_button.h"
#include <windows.h>
#include "app/message_dialog.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"

namespace {

uint32_t g_dialogBase = DIALOG_BASE_DEFAULT;

}  // namespace

uint32_t DialogBase() {
    return g_dialogBase;
}

void SetDialogBase(uint32_t base) {
    g_dialogBase = base;
}

int32_t ConfirmButton(int32_t buttonNumber) {
    if (buttonNumber <= 1) RaiseError(kQuietStop);
    int id = static_cast<int>(g_dialogBase) + OFFSET_CONFIRM + buttonNumber;
    return ShowMessageDialog(id, MB_ICONQUESTION) == IDOK;
}
