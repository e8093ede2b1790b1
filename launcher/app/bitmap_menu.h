// PURPOSE: the bitmap menu: a modal dialog whose client area is one bitmap,
// with owner-drawn bitmap buttons placed by the button record.
#pragma once
#include <windows.h>
#include <stdint.h>
#include "app/dib_resource.h"
#include "app/menu_palette.h"
#include "runtime/growable_array.h"

// Asked with the 1-based button number when a button is pressed; non-zero
// closes the menu with that number. May raise.
typedef int32_t (*ConfirmCallback)(int32_t buttonNumber);

// One entry of the button record. The entry's button number is its index in
// the table plus 1.
struct MenuButton {
    int32_t controlId;
    int32_t x;
    int32_t y;
    DibResource bitmap;
};

typedef GrowableArray<MenuButton> ButtonTable;

// Lives on the stack of RunMenu; the dialog keeps a pointer to it.
struct BitmapMenu {
    int32_t dialogId;        // menu template, background bitmap and button record
    ConfirmCallback confirm;
    DibResource background;
    ButtonTable buttons;
    MenuPalette palette;
#if LAUNCHER_MENU_EXTRAS
    uint32_t options;        // the disc's OPTIONS bits (app/menu_options.h)
    int32_t pictureSet;      // id of the background and button record: B, or B + 50 for 2x
    HWND hover;              // the button under the mouse, or none
    const char* names;       // the texts after the button record's entries, or none
    const char* namesEnd;
#endif

    BitmapMenu(int32_t dialogId, ConfirmCallback confirm);

    // Loads the palette and the buttons and shows the dialog; returns what
    // DialogBoxParamA returned. Raises 1 when a bitmap or the button record
    // is missing, -14 when memory runs out.
    INT_PTR Run();

    // Releases what the menu owns: the palette and the table's storage.
    void TearDown();

    // The first entry for the control, scanning from the start, or none;
    // `number` receives its button number.
    const MenuButton* FindButton(int32_t controlId, int32_t* number) const;
};

// Shows menu `dialogId` and returns the number of the button it was closed
// with. Raises 1 in every other case: a missing resource, no memory, the
// close command, or a raise from the callback.
int32_t RunMenu(int32_t dialogId, ConfirmCallback confirm);
