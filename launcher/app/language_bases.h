// PURPOSE: the two ids that the chosen language fixes: the dialog base B
// (menu dialog, background bitmap, button record; every other dialog is B
// plus an offset) and the script base S (the first installing button's
// script). Set once during start-up.
#pragma once
#include <stdint.h>

uint32_t DialogBase();   // 100 until a language record says otherwise
uint32_t ScriptBase();   // 1000 until a language record says otherwise
void SetDialogBase(uint32_t base);

// Looks up the LANG record of the user's primary language, else of the
// system's, else "DEFAULT", and takes B and S from the first one found; with
// none, the defaults stay. A record shorter than 4 bytes counts as absent, and
// so does a language record whose language's ANSI code page is not the
// system's (its texts and folder names would not show); "DEFAULT" is taken
// whatever its code page.
void ChooseLanguage();
