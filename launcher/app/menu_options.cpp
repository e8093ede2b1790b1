// PURPOSE: the disc's OPTIONS resource and the set of buttons done in this run.
#include "menu_options.h"
#include <windows.h>
#include "app/resource_lookup.h"

namespace {

uint32_t g_doneButtons;  // bit n - 1 for button n; buttons past 32 are never marked

}  // namespace

uint32_t MenuOptions() {
    ResourceBytes options = FindResourceBytes(MAKEINTRESOURCEA(1), "OPTIONS");
    if (!options.data || options.size < 2) return 0;
    return *static_cast<const uint16_t*>(options.data);
}

void MarkButtonDone(int32_t buttonNumber) {
    if (buttonNumber >= 1 && buttonNumber <= 32) g_doneButtons |= 1u << (buttonNumber - 1);
}

bool IsButtonDone(int32_t buttonNumber) {
    return buttonNumber >= 1 && buttonNumber <= 32 && (g_doneButtons >> (buttonNumber - 1)) & 1;
}
