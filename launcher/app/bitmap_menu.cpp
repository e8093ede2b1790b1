// PURPOSE: loading the menu's resources and running it as a modal dialog.
#include "app/bitmap_menu.h"
#include "app/dialog_template.h"
#include "app/menu_dialog.h"
#include "app/menu_options.h"
#include "app/resource_lookup.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"

namespace {

// Resource records are little-endian and only 2-byte aligned.
int32_t ReadInt16(const BYTE* at) {
    return static_cast<int16_t>(at[0] | (at[1] << 8));
}

const uint32_t kButtonEntrySize = 8;

// Fills the table from the button record, in record order. Every entry needs
// its bitmap, also one whose control turns out not to exist: a menu with a
// missing picture is never shown. A missing record, or one shorter than its
// count says, stops the menu the same way.
void LoadButtons(BitmapMenu& menu) {
#if LAUNCHER_MENU_EXTRAS
    ResourceBytes found = FindResourceBytes(MAKEINTRESOURCEA(menu.pictureSet & 0xFFFF), "BUTTON");
#else
    ResourceBytes found = FindResourceBytes(MAKEINTRESOURCEA(menu.dialogId & 0xFFFF), "BUTTON");
#endif
    if (!found.data || found.size < 2) RaiseError(kQuietStop);
    const BYTE* record = static_cast<const BYTE*>(found.data);
    int32_t count = ReadInt16(record);
    if (count > 0 && 2 + static_cast<uint32_t>(count) * kButtonEntrySize > found.size)
        RaiseError(kQuietStop);
    for (int32_t k = 0; k < count; ++k) {
        const BYTE* entry = record + 2 + kButtonEntrySize * k;
        MenuButton button;
        button.x = ReadInt16(entry);
        button.y = ReadInt16(entry + 2);
        button.bitmap.Load(static_cast<uint16_t>(ReadInt16(entry + 4)));
        button.controlId = ReadInt16(entry + 6);
        if (!button.bitmap.IsLoaded()) RaiseError(kQuietStop);
        Append(menu.buttons, button);
    }
#if LAUNCHER_MENU_EXTRAS
    // The names (the menu's title, then each button's label) follow the
    // entries; a record whose last byte ends no text holds none.
    const char* end = reinterpret_cast<const char*>(record) + found.size;
    menu.names = end[-1] == 0 ? reinterpret_cast<const char*>(record + 2 + kButtonEntrySize * (count > 0 ? count : 0))
                              : end;
    menu.namesEnd = end;
#endif
}

#if LAUNCHER_MENU_EXTRAS
// The 2x set (background, button record and its bitmaps at B + 50) on a
// screen of 144 DPI or more, when the disc has one. The process first tells
// Windows it draws for the real DPI, or Windows would stretch the menu.
int32_t ChoosePictureSet(int32_t dialogId, uint32_t options) {
    if (!(options & kMenuHidpi)) return dialogId;
    FARPROC aware = GetProcAddress(GetModuleHandleA("user32"), "SetProcessDPIAware");   // Vista
    if (aware) aware();
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(NULL, screen);
    return dpi >= 144 ? dialogId + 50 : dialogId;
}
#endif

}  // namespace

BitmapMenu::BitmapMenu(int32_t dialogId, ConfirmCallback confirm)
    : dialogId(dialogId), confirm(confirm) {
#if LAUNCHER_MENU_EXTRAS
    options = MenuOptions();
    pictureSet = ChoosePictureSet(dialogId, options);
    hover = 0;
    background.Load(static_cast<uint32_t>(pictureSet));
#else
    background.Load(static_cast<uint32_t>(dialogId));
#endif
    InitArray(buttons);
}

INT_PTR BitmapMenu::Run() {
    palette.Load(PALETTE_NAME);
    if (!background.IsLoaded()) RaiseError(kQuietStop);
    LoadButtons(*this);
    return ShowDialogTemplate(dialogId, NULL, MenuDialogProc, reinterpret_cast<LPARAM>(this));
}

void BitmapMenu::TearDown() {
    palette.Delete();
    Destroy(buttons);
}

const MenuButton* BitmapMenu::FindButton(int32_t controlId, int32_t* number) const {
    for (uint32_t i = 0; i < buttons.count; ++i) {
        if (buttons[i].controlId == controlId) {
            *number = static_cast<int32_t>(i) + 1;
            return &buttons[i];
        }
    }
    return 0;
}

int32_t RunMenu(int32_t dialogId, ConfirmCallback confirm) {
    INT_PTR result = -1;
    BitmapMenu menu(dialogId, confirm);
    // Whatever stopped the menu (a missing bitmap, memory) is swallowed here:
    // the caller only learns that no button was chosen.
    Protect([&] { result = menu.Run(); });
    menu.TearDown();
    if (result > 0) return static_cast<int32_t>(result);
    RaiseError(kQuietStop);
    return -1;   // reached only with no error frame open
}
