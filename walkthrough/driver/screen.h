// PURPOSE: reading back what is on the screen, exactly, and saving it.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <string>
#include <vector>

// Pixels of a screen rectangle as 0x00RRGGBB, rows from the top.
struct ScreenImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// GetDC(NULL) + BitBlt into a 32-bpp DIB section: exact colours of what was
// drawn (PrintWindow would not see StretchDIBits output).
ScreenImage CaptureScreen(const RECT& rect);
ScreenImage CaptureWholeScreen();

// Saves as a 24-bit BMP; the test runner converts build/screenshots/*.bmp
// to PNG for people to look at.
bool SaveBitmap(const ScreenImage& image, const std::string& path);

// build/screenshots/<name>.bmp in Windows form, the folder created.
std::string ScreenshotPath(const std::string& name);
