// PURPOSE: reading an X window dump (xwd) of the X server's screen, as the
// X server itself shows the pixels: colours resolved through the colormap
// the dump carries, or taken directly from a dump that xwd composed in true
// colour from windows with different colormaps.
#pragma once
#include <stdint.h>
#include <string>
#include "screen.h"

// Reads the dump at path (a Windows path) into image as 0x00RRGGBB, rows
// from the top; false when the file is missing or is no dump of 8, 24 or
// 32 bits per pixel. *visualClass receives the dump's X visual class
// (3 PseudoColor; 4 TrueColor, 5 DirectColor for composed dumps).
bool ReadXwd(const std::string& path, ScreenImage* image, int* visualClass);
