// PURPOSE: creating, realizing and deleting the menu's palette.
#include "app/menu_palette.h"
#include "app/resource_lookup.h"

void MenuPalette::Load(LPCSTR name) {
    palette_ = LoadResourcePalette(name);
}

HPALETTE MenuPalette::Select(HDC hdc, BOOL background) const {
    if (!palette_) return 0;
    HPALETTE previous = SelectPalette(hdc, palette_, background);
    RealizePalette(hdc);
    return previous;
}

void MenuPalette::Deselect(HDC hdc, HPALETTE previous, BOOL background) const {
    if (palette_) SelectPalette(hdc, previous, background);
}

int MenuPalette::Realize(HWND hwnd) const {
    if (!palette_) return 0;
    HDC hdc = GetDC(hwnd);
    BOOL background = GetActiveWindow() != hwnd;
    HPALETTE previous = SelectPalette(hdc, palette_, background);
    int changed = 0;
    if (RealizePalette(hdc) != 0) {
        InvalidateRect(hwnd, NULL, TRUE);
        changed = 1;
    }
    SelectPalette(hdc, previous, background);
    ReleaseDC(hwnd, hdc);
    return changed;
}

void MenuPalette::Delete() {
    if (palette_) DeleteObject(palette_);
    palette_ = 0;
}
