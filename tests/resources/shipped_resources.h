// PURPOSE: what the shipped launcher's resources must hold, language by
// language: the expectations that the read-back and dialog tests check.
#pragma once
#include <windows.h>

// One message or confirmation dialog; geometry in dialog units.
struct ExpectedMessageDialog {
    int offset;                // dialog id minus the language's dialog base
    const char* role;          // names the case and its screenshot
    bool confirmation;         // confirmations have no caption
    int width, height;
    int okX, okY;
    bool hasCancel;
    int cancelX, cancelY;
    int textId;                // 100, or -1 (0xFFFF in the template)
    bool textNoPrefix;
    int textX, textY, textWidth, textHeight;
    const wchar_t* text;
};

const int kMessageDialogsPerLanguage = 7;

struct ExpectedLanguage {
    const char* tag;           // names cases and screenshots
    LANGID language;           // the resource language of everything below
    WORD recordName;           // the primary language id naming its LANG record
    bool isDefault;            // also the "DEFAULT" record
    WORD dialogBase;           // B
    WORD scriptBase;           // S
    const char* folder;        // the installers' folder on the disc
    const wchar_t* caption;    // of the message dialogs
    const wchar_t* cancel;     // the Cancel button's label
    int menuHeight;            // the menu template's height in dialog units
    const wchar_t* versionKey; // the version block's string table
    ExpectedMessageDialog dialogs[kMessageDialogsPerLanguage];
};

extern const ExpectedLanguage kShippedLanguages[3];

// The palette rule: a colour cube, four ramps, black.
struct PaletteColour {
    BYTE red, green, blue;
};
PaletteColour ExpectedPaletteEntry(int index);

// Button record entries, the same in every language but for the bitmap ids.
struct ExpectedButton {
    short x, y;
    short bitmapOffset;        // bitmap id minus B
    short controlId;
    int bitmapWidth, bitmapHeight;
};
extern const ExpectedButton kShippedButtons[4];

const int kBackgroundWidth = 488;
const int kBackgroundHeight = 242;
