// PURPOSE: reading back what is on the screen, exactly, and saving it.
#include "screen.h"
#include <fstream>
#include "processes.h"

ScreenImage CaptureScreen(const RECT& rect) {
    ScreenImage image;
    image.width = rect.right - rect.left;
    image.height = rect.bottom - rect.top;
    if (image.width <= 0 || image.height <= 0) return image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;   // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = NULL;
    HBITMAP section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    image.pixels.assign(source, source + static_cast<size_t>(image.width) * image.height);
    for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteObject(section);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    return image;
}

ScreenImage CaptureWholeScreen() {
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return CaptureScreen(rect);
}

bool SaveBitmap(const ScreenImage& image, const std::string& path) {
    int rowSize = (image.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = image.width;
    header.biHeight = image.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(rowSize) * image.height;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    std::vector<unsigned char> row(rowSize, 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            uint32_t pixel = image.At(x, y);
            row[x * 3] = pixel & 0xFF;
            row[x * 3 + 1] = (pixel >> 8) & 0xFF;
            row[x * 3 + 2] = (pixel >> 16) & 0xFF;
        }
        out.write(reinterpret_cast<const char*>(row.data()), rowSize);
    }
    return static_cast<bool>(out);
}

std::string ScreenshotPath(const std::string& name) {
    std::string folder = TestEnvironment("SCREENSHOT_DIR");
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\" + name + ".bmp";
}
