// PURPOSE: the menu's confirmation rule.
#pragma once
#include <stdint.h>

// Button 1 (or less) is the exit button: raises 1, asks nothing. Any other
// button n shows confirmation dialog B + 48 + n with the question beep and
// confirms exactly when it ended with OK.
int32_t ConfirmButton(int32_t buttonNumber);
