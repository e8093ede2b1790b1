// PURPOSE: the menu behaviours a disc chooses (its OPTIONS resource) and
// which buttons' scripts have run to their end in this run of the launcher.
#pragma once
#include <stdint.h>

// Bits of the OPTIONS resource (type "OPTIONS", name 1): a 16-bit value, least
// significant byte first. A disc without the resource chooses none of them.
enum MenuOption : uint32_t {
    kMenuHover = 1,     // a button shows its hover face while the mouse is over it
    kMenuKeyboard = 2,  // Tab moves a visible focus; Enter or Space presses; Escape exits
    kMenuNames = 4,     // each button's window text is its label; the menu has a title
    kMenuReturn = 8,    // the menu comes back after a button's script has ended
    kMenuHidpi = 16,    // at 144 DPI or more the menu shows its double-size set
};

// The disc's OPTIONS bits, read once; 0 when the resource is absent or short.
uint32_t MenuOptions();

// Button n (1-based) ran its script to the end in this run of the launcher.
void MarkButtonDone(int32_t buttonNumber);
bool IsButtonDone(int32_t buttonNumber);
