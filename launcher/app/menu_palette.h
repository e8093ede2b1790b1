// PURPOSE: the menu's palette: created once from the resources, selected and
// realized for every paint so the bitmaps keep their colours on 256-colour
// displays.
#pragma once
#include <windows.h>

class MenuPalette {
public:
    MenuPalette() : palette_(0) {}

    // Creates the palette from the PALETTE resource `name`; an absent
    // resource leaves the menu without a palette, which is no error.
    void Load(LPCSTR name);
    bool IsLoaded() const { return palette_ != 0; }

    // Selects the palette into hdc and realizes it; returns the palette that
    // was selected before, for Deselect. Returns 0 and does nothing without a
    // palette.
    HPALETTE Select(HDC hdc, BOOL background) const;
    // Puts back what Select replaced. Does nothing without a palette.
    void Deselect(HDC hdc, HPALETTE previous, BOOL background) const;

    // Realizes the palette in the window's own device context and repaints
    // the whole window when that changed the system palette. Returns 1 when
    // it did, 0 otherwise (always 0 without a palette).
    int Realize(HWND hwnd) const;

    // The menu owns the palette and deletes it at teardown.
    void Delete();

private:
    HPALETTE palette_;
};
