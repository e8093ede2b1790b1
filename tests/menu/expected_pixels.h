// PURPOSE: what the screen must show for the menu, predicted from the
// bitmaps in this test program's resources, and compared with what it shows.
#pragma once
#include <windows.h>
#include <stdint.h>
#include <functional>
#include <vector>

// A packed 8-bit bitmap among this program's resources, read directly (not
// through the launcher's code) to predict pixels.
class TestBitmap {
public:
    explicit TestBitmap(int id);
    bool Found() const { return header_ != nullptr; }
    int Width() const;
    int Height() const;
    // The colour (0xRRGGBB) of column x of row y, rows counted from the top.
    uint32_t Pixel(int x, int y) const;

private:
    const BITMAPINFOHEADER* header_ = nullptr;
};

// One button as the menu should show it: its rectangle in the client area,
// its bitmap, and the first bitmap row of the face it shows.
struct ExpectedButton {
    RECT rect;
    int bitmapId;
    int faceTop;
};

// One entry of a button record among this program's resources, read
// straight from the resource bytes; number counts from 1 in record order.
struct RecordEntry {
    int number;
    int x, y, bitmapId, controlId;
};
std::vector<RecordEntry> ReadButtonRecord(int32_t dialogBase);

// Where each button of the record must be: at its record position, as wide
// as its bitmap and half as high, showing its top face.
std::vector<ExpectedButton> RecordedTopFaces(int32_t dialogBase);

// The client area: the background, with each listed button's face on top.
std::function<uint32_t(int, int)> ExpectedMenu(int backgroundId,
                                               const std::vector<ExpectedButton>& buttons);

// Waits up to timeoutMs until the screen rectangle shows expected(x, y)
// (x, y relative to its top-left corner) in every pixel; returns how many
// pixels differed in the last look (0: all matched).
int ScreenMismatches(const RECT& onScreen, const std::function<uint32_t(int, int)>& expected,
                     DWORD timeoutMs = 5000);

// The menu's client area on the screen.
RECT ClientOnScreen(HWND menu);
