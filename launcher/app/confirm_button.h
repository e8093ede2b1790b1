// PURPOSE: the menu's confirmation rule and the dialog base it reads.
#pragma once
#include <stdint.h>

// The dialog base B of the chosen language: the menu's id, and the base of
// every message dialog's id. 100 until start-up chooses a language.
uint32_t DialogBase();
void SetDialogBase(uint32_t base);

// Button 1 (or less) is the exit button: raises 1, asks nothing. Any other
// button n shows confirmation dialog B + 48 + n with the question beep and
// confirms exactly when it ended with OK.
int32_t ConfirmButton(int32_t buttonNumber);
