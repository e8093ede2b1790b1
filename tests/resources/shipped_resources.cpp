// PURPOSE: the expected resource set, written out as tables.
#include "shipped_resources.h"

namespace {
const BYTE kCubeLevels[6] = {0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00};
const BYTE kRampLevels[10] = {0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11};
}  // namespace

PaletteColour ExpectedPaletteEntry(int index) {
    if (index < 215)
        return {kCubeLevels[index / 36], kCubeLevels[index / 6 % 6], kCubeLevels[index % 6]};
    if (index == 255) return {0, 0, 0};
    int ramp = (index - 215) / 10;
    BYTE level = kRampLevels[(index - 215) % 10];
    switch (ramp) {
    case 0: return {level, 0, 0};
    case 1: return {0, level, 0};
    case 2: return {0, 0, level};
    default: return {level, level, level};
    }
}

const ExpectedButton kShippedButtons[4] = {
    {382, 200, 1, 100, 95, 64},
    {21, 41, 2, 101, 447, 92},
    {21, 93, 3, 102, 293, 124},
    {21, 160, 4, 103, 293, 124},
};

// {offset, role, confirmation, width, height, okX, okY, hasCancel, cancelX, cancelY,
//  textId, textNoPrefix, textX, textY, textWidth, textHeight, text}
const ExpectedLanguage kShippedLanguages[3] = {
    {"en", 0x0409, 9, true, 100, 1000, "w95e", L"Setup", L"Cancel", 122, L"040904B0", {
        {1, "nt-required", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 155, 39,
         L"This installation requires Windows NT 4.0 or later.\nUpdate your system software."},
        {2, "old-windows95", false, 220, 93, 96, 72, true, 163, 72, 100, true, 15, 15, 191, 52,
         L"This installation requires Windows 95 (4.00.950a) or later.\nContinuing with the installation may cause the application to run incorrectly.\nContinue installation?"},
        {3, "launch-failed", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 161, 39,
         L"Could not start up the Custom installer."},
        {4, "copy-failed", false, 187, 93, 130, 68, false, 0, 0, -1, false, 7, 7, 162, 46,
         L"An error occurred while copying the files. Installation failed."},
        {50, "confirm-all", true, 180, 122, 25, 98, true, 110, 98, -1, false, 18, 13, 155, 71,
         L"Installing all items.\nApplication software\n  \u00b7 TESSERA\n  \u00b7 Quillon\nTWAIN driver\n  \u00b7 KX SERIAL TWAIN Driver"},
        {51, "confirm-apps", true, 180, 92, 25, 66, true, 110, 66, -1, false, 18, 13, 149, 41,
         L"Installing applications.\n  \u00b7 TESSERA\n  \u00b7 Quillon"},
        {52, "confirm-twain", true, 183, 90, 25, 62, true, 110, 62, -1, false, 18, 13, 148, 42,
         L"Installing TWAIN driver.\n  \u00b7 KX SERIAL TWAIN Driver"},
    }},
    {"fr", 0x040C, 12, false, 200, 1010, "w95f", L"Installation", L"Annuler", 120, L"040C04B0", {
        {1, "nt-required", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 165, 50,
         L"Cette installation ne peut s'effectuer que sous Windows NT 4.0 ou une version ult\u00e9rieure.\nIl est n\u00e9cessaire de mettre votre syst\u00e8me d'exploitation \u00e0 jour."},
        {2, "old-windows95", false, 220, 93, 99, 72, true, 163, 72, 100, true, 15, 15, 191, 53,
         L"Cette installation ne peut s'effectuer que sous Windows 95 (4.00.950a) ou une version ult\u00e9rieure.\nLe fait de continuer cette installation peut provoquer une mauvaise ex\u00e9cution de l'application.\nContinuer l'installation ?"},
        {3, "launch-failed", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 165, 39,
         L"Impossible de d\u00e9marrer l'assistant d'installation personnalis"},
        {4, "copy-failed", false, 187, 93, 130, 68, false, 0, 0, -1, false, 7, 7, 162, 46,
         L"Une erreur s'est produite durant la copie des fichers. L'installation a \u00e9chou"},
        {50, "confirm-all", true, 188, 119, 30, 95, true, 105, 95, -1, false, 18, 13, 162, 75,
         L"Installation de toutes les applications et pilote\nLogiciel d'application\n  \u00b7 TESSERA\n  \u00b7 Quillon\nPilote TWAIN\n  \u00b7 Pilote KX SERIAL TWAIN"},
        {51, "confirm-apps", true, 178, 92, 30, 64, true, 105, 64, -1, false, 18, 13, 153, 45,
         L"Installation des applications\n  \u00b7 TESSERA\n  \u00b7 Quillon"},
        {52, "confirm-twain", true, 184, 105, 30, 78, true, 105, 78, -1, false, 18, 13, 154, 55,
         L"Installation du pilote TWAIN\n  \u00b7 Pilote KX SERIAL TWAIN"},
    }},
    {"de", 0x0407, 7, false, 300, 1020, "w95g", L"Setup", L"Abbrechen", 120, L"040704B0", {
        {1, "nt-required", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 159, 48,
         L"Diese Installierung erfordert Windows NT 4.0 oder h\u00f6her.\nNeuere System-Software installieren."},
        {2, "old-windows95", false, 220, 93, 100, 72, true, 163, 72, 100, true, 15, 15, 191, 51,
         L"Diese Installierung erfordert Windows 95 (4.00.950a) oder h\u00f6her.\nFortsetzen des Installierungsvorgangs kann zu falscher Ausf\u00fchrung der Anwendung f\u00fchren.\nInstallierung fortsetzen?"},
        {3, "launch-failed", false, 187, 93, 130, 72, false, 0, 0, 100, true, 15, 15, 167, 39,
         L"Das Installationsprogramm f\u00fcr Benutzerdefinierte Installation konnte nicht gestartet werden."},
        {4, "copy-failed", false, 187, 93, 130, 68, false, 0, 0, -1, false, 7, 7, 162, 46,
         L"Beim Kopieren der Dateien ist ein Fehler aufgetreten. Installation ist fehlgeschlagen."},
        {50, "confirm-all", true, 184, 129, 30, 102, true, 105, 102, -1, false, 18, 13, 153, 78,
         L"Alle Gegenst\u00e4nde werden installiert.\nAnwendung\n  \u00b7 TESSERA\n  \u00b7 Quillon\nTWAIN-Treiber\n  \u00b7 KX SERIAL TWAIN-Treiber"},
        {51, "confirm-apps", true, 182, 102, 30, 73, true, 105, 73, -1, false, 18, 13, 147, 51,
         L"Anwendungen werden installiert.\n  \u00b7 TESSERA\n  \u00b7 Quillon"},
        {52, "confirm-twain", true, 183, 94, 30, 67, true, 105, 67, -1, false, 18, 13, 147, 47,
         L"TWAIN-Treiber werden installiert.\n  \u00b7 KX SERIAL TWAIN-Treiber"},
    }},
};
