// PURPOSE: the bitmap menu's dialog procedure: a thin switch over named
// handlers for set-up, painting, palettes and button commands.
#include "app/menu_dialog.h"
#include "app/bitmap_menu.h"
#include "app/menu_options.h"
#include "app/resource_lookup.h"
#include "resources/resource_ids.h"
#include "runtime/error_frame.h"

namespace {

// The frame bits a window takes from its template.
const LONG kFrameStyleBits = WS_CAPTION | WS_THICKFRAME;
const UINT kPlaceButtonFlags = SWP_NOZORDER | SWP_NOACTIVATE;
const UINT kRecomputeFrameFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_FRAMECHANGED;
const DWORD kExtendedStyleOffset = 12;   // the style of a DLGTEMPLATEEX

uint32_t ReadUInt32(const BYTE* at) {
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
           (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// Windows gives every overlapped window a caption when it creates it; the
// menu wants exactly the caption and sizing border its template declares.
void ApplyTemplateFrame(HWND hwnd, const BitmapMenu& menu) {
    ResourceBytes found = FindResourceBytes(MAKEINTRESOURCEA(menu.dialogId & 0xFFFF), RT_DIALOG);
    if (!found.data || found.size < kExtendedStyleOffset + 4) return;
    const BYTE* dialog = static_cast<const BYTE*>(found.data);
    bool extended = dialog[2] == 0xFF && dialog[3] == 0xFF;   // DLGTEMPLATEEX signature
    LONG templateStyle =
        static_cast<LONG>(ReadUInt32(extended ? dialog + kExtendedStyleOffset : dialog));
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    SetWindowLongA(hwnd, GWL_STYLE,
                   (style & ~kFrameStyleBits) | (templateStyle & kFrameStyleBits));
    SetWindowPos(hwnd, NULL, 0, 0, 0, 0, kRecomputeFrameFlags);
}

// The client area becomes exactly the background bitmap, centred on the
// whole screen.
void SizeAndCentre(HWND hwnd, const BitmapMenu& menu) {
    DibSize size = menu.background.Size();
    RECT client, window;
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    int width = size.width + (window.right - window.left) - (client.right - client.left);
    int height = size.height + (window.bottom - window.top) - (client.bottom - client.top);
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(hwnd, NULL, x, y, width, height, SWP_NOACTIVATE);
}

#if LAUNCHER_MENU_EXTRAS
const UINT_PTR kHoverTimer = 1;
const UINT kHoverCheckMs = 100;
const int32_t kFaceOptions = kMenuHover | kMenuKeyboard | kMenuReturn;

// A disc that chooses any of hover, keyboard or return has five faces
// stacked in each button bitmap, from the top: normal, pressed, hover,
// focus, done; every other disc two.
int32_t FaceCount(uint32_t options) {
    return (options & kFaceOptions) ? 5 : 2;
}

// The menu's title, then each button's label, from the button record's
// texts: what screen readers and the taskbar read; nothing draws them.
void ApplyNames(HWND hwnd, const BitmapMenu& menu) {
    const char* text = menu.names;
    for (uint32_t i = 0; text < menu.namesEnd && i <= menu.buttons.count; ++i) {
        HWND window = i ? GetDlgItem(hwnd, menu.buttons[i - 1].controlId) : hwnd;
        if (window) SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        while (*text++) {
        }
    }
}

// Windows 95 has no notice of the mouse leaving a window, so the button
// under the cursor is looked up on every WM_SETCURSOR (sent for each window
// under the cursor) and by a timer, which sees the cursor leave the menu.
void UpdateHover(HWND hwnd, BitmapMenu& menu) {
    POINT cursor;
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    if (!IsChild(hwnd, under)) under = 0;   // the background, another window, nothing
    if (under == menu.hover) return;
    if (menu.hover) InvalidateRect(menu.hover, NULL, FALSE);
    if (under) InvalidateRect(under, NULL, FALSE);
    menu.hover = under;
}
#endif

// Each control is as wide as its bitmap and half as high: one face.
void PlaceButtons(HWND hwnd, const BitmapMenu& menu) {
    for (uint32_t i = 0; i < menu.buttons.count; ++i) {
        const MenuButton& button = menu.buttons[i];
        HWND control = GetDlgItem(hwnd, button.controlId);
        if (!control) continue;
        DibSize size = button.bitmap.Size();
#if LAUNCHER_MENU_EXTRAS
        SetWindowPos(control, NULL, button.x, button.y, size.width,
                     size.height / FaceCount(menu.options), kPlaceButtonFlags);
#else
        SetWindowPos(control, NULL, button.x, button.y, size.width, size.height / 2,
                     kPlaceButtonFlags);
#endif
    }
}

void OnInitDialog(HWND hwnd, BitmapMenu& menu) {
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(ICON_LAUNCHER));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ApplyTemplateFrame(hwnd, menu);
    SizeAndCentre(hwnd, menu);
    PlaceButtons(hwnd, menu);
#if LAUNCHER_MENU_EXTRAS
    if (menu.options & kMenuNames) ApplyNames(hwnd, menu);
    if (menu.options & kMenuHover) SetTimer(hwnd, kHoverTimer, kHoverCheckMs, NULL);
#endif
}

void OnEraseBackground(HWND hwnd, const BitmapMenu& menu, HDC hdc) {
    BOOL background = GetActiveWindow() != hwnd;
    HPALETTE previous = menu.palette.Select(hdc, background);
    menu.background.Draw(hdc, NULL);
    menu.palette.Deselect(hdc, previous, background);
}

// Only the pressed state changes the picture: focus alone is never drawn and
// no focus rectangle ever appears (unless the disc chooses the extra faces).
void OnDrawItem(const BitmapMenu& menu, const DRAWITEMSTRUCT& item) {
#if LAUNCHER_MENU_EXTRAS
    // With the keyboard chosen a focus change is drawn too (ODA_FOCUS is 4).
    uint32_t options = menu.options;
    if ((item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT | ((options & kMenuKeyboard) << 1))) == 0)
        return;
#else
    if ((item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return;
#endif
    int32_t number;
    const MenuButton* button = menu.FindButton(static_cast<int32_t>(item.CtlID), &number);
    if (!button) return;
    DibSize size = button->bitmap.Size();
#if LAUNCHER_MENU_EXTRAS
    // Pressed first, then hover, focus and done, each only when chosen.
    int32_t face = 0;
    if (item.itemState & ODS_SELECTED)
        face = 1;
    else if ((options & kMenuHover) && item.hwndItem == menu.hover)
        face = 2;
    else if ((options & kMenuKeyboard) && (item.itemState & ODS_FOCUS))
        face = 3;
    else if ((options & kMenuReturn) && IsButtonDone(number))
        face = 4;
    int32_t half = size.height / FaceCount(options);
    RECT source;
    source.left = 0;
    source.top = face * half;
#else
    int32_t half = size.height / 2;
    RECT source;
    source.left = 0;
    source.top = (item.itemState & ODS_SELECTED) ? half : 0;
#endif
    source.right = size.width;
    source.bottom = source.top + half;
    BOOL background = !IsChild(GetActiveWindow(), item.hwndItem);
    HPALETTE previous = menu.palette.Select(item.hDC, background);
    button->bitmap.Draw(item.hDC, &source);
    menu.palette.Deselect(item.hDC, previous, background);
}

// The callback may show its own dialog and may raise; the raise must not
// travel out through the dialog manager, so it ends the menu here instead.
void OnCommand(HWND hwnd, const BitmapMenu& menu, WORD id) {
    if (!menu.confirm) return;
#if LAUNCHER_MENU_EXTRAS
    // Enter presses the focused button, Escape the exit button (button 1).
    if (menu.options & kMenuKeyboard) {
        if (id == IDOK) id = static_cast<WORD>(GetWindowLongA(GetFocus(), GWL_ID));
        if (id == IDCANCEL && menu.buttons.count) id = static_cast<WORD>(menu.buttons[0].controlId);
    }
#endif
    int32_t number;
    if (!menu.FindButton(id, &number)) return;   // also IDOK / IDCANCEL from Enter / Escape
    ConfirmCallback confirm = menu.confirm;
    ErrorCode code = Protect([&] {
        if (confirm(number)) EndDialog(hwnd, number);
    });
    if (code != kNoError) EndDialog(hwnd, -1);
}

INT_PTR AnswerPalette(HWND hwnd, const BitmapMenu& menu) {
    SetWindowLongA(hwnd, DWL_MSGRESULT, menu.palette.Realize(hwnd));
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK MenuDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    BitmapMenu* menu = reinterpret_cast<BitmapMenu*>(GetWindowLongA(hwnd, DWL_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongA(hwnd, DWL_USER, lParam);
        OnInitDialog(hwnd, *reinterpret_cast<BitmapMenu*>(lParam));
        return TRUE;
    }
    if (!menu) return FALSE;
    switch (message) {
    case WM_ERASEBKGND:
        OnEraseBackground(hwnd, *menu, reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_DRAWITEM:
        if (wParam == 0) return FALSE;   // a menu item, not a control
        OnDrawItem(*menu, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(hwnd, *menu, LOWORD(wParam));
        return FALSE;
#if LAUNCHER_MENU_EXTRAS
    case WM_SETCURSOR:
    case WM_TIMER:
        if (menu->options & kMenuHover) UpdateHover(hwnd, *menu);
        return FALSE;
#endif
    case WM_SYSCOMMAND:
        if ((wParam & ~static_cast<WPARAM>(0xF)) != SC_CLOSE) return FALSE;
        EndDialog(hwnd, -1);
        return TRUE;
    case WM_QUERYNEWPALETTE:
        return AnswerPalette(hwnd, *menu);
    case WM_PALETTECHANGED:
        if (reinterpret_cast<HWND>(wParam) == hwnd) return FALSE;   // our own realization
        return AnswerPalette(hwnd, *menu);
    default:
        return FALSE;
    }
}
