// PURPOSE: the bitmap menu's dialog procedure: a thin switch over named
// handlers for set-up, painting, palettes and button commands.
#include "app/menu_dialog.h"
#include "app/bitmap_menu.h"
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

// Each control is as wide as its bitmap and half as high: one face.
void PlaceButtons(HWND hwnd, const BitmapMenu& menu) {
    for (uint32_t i = 0; i < menu.buttons.count; ++i) {
        const MenuButton& button = menu.buttons[i];
        HWND control = GetDlgItem(hwnd, button.controlId);
        if (!control) continue;
        DibSize size = button.bitmap.Size();
        SetWindowPos(control, NULL, button.x, button.y, size.width, size.height / 2,
                     kPlaceButtonFlags);
    }
}

void OnInitDialog(HWND hwnd, BitmapMenu& menu) {
    HICON icon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(ICON_LAUNCHER));
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    ApplyTemplateFrame(hwnd, menu);
    SizeAndCentre(hwnd, menu);
    PlaceButtons(hwnd, menu);
}

void OnEraseBackground(HWND hwnd, const BitmapMenu& menu, HDC hdc) {
    BOOL background = GetActiveWindow() != hwnd;
    HPALETTE previous = menu.palette.Select(hdc, background);
    menu.background.Draw(hdc, NULL);
    menu.palette.Deselect(hdc, previous, background);
}

// Only the pressed state changes the picture: focus alone is never drawn and
// no focus rectangle ever appears.
void OnDrawItem(const BitmapMenu& menu, const DRAWITEMSTRUCT& item) {
    if ((item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return;
    int32_t number;
    const MenuButton* button = menu.FindButton(static_cast<int32_t>(item.CtlID), &number);
    if (!button) return;
    DibSize size = button->bitmap.Size();
    int32_t half = size.height / 2;
    RECT source;
    source.left = 0;
    source.top = (item.itemState & ODS_SELECTED) ? half : 0;
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
