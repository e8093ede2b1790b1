// PURPOSE: predicting the menu's pixels from the bitmaps and comparing them
// with the screen.
#include "expected_pixels.h"
#include "processes.h"
#include "screen.h"

TestBitmap::TestBitmap(int id) {
    HRSRC info = FindResourceA(NULL, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));   // RT_BITMAP
    if (info) header_ = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(NULL, info)));
    if (header_ && header_->biBitCount != 8) header_ = nullptr;
}

int TestBitmap::Width() const {
    return header_ ? header_->biWidth : 0;
}

int TestBitmap::Height() const {
    return header_ ? header_->biHeight : 0;
}

uint32_t TestBitmap::Pixel(int x, int y) const {
    const BYTE* table = reinterpret_cast<const BYTE*>(header_) + header_->biSize;
    int entries = header_->biClrUsed ? static_cast<int>(header_->biClrUsed) : 256;
    const BYTE* bits = table + 4 * entries;
    int stride = (Width() + 3) / 4 * 4;
    BYTE index = bits[(Height() - 1 - y) * stride + x];   // rows stored bottom-up
    const BYTE* quad = table + 4 * index;
    return (static_cast<uint32_t>(quad[2]) << 16) | (quad[1] << 8) | quad[0];
}

std::function<uint32_t(int, int)> ExpectedMenu(int backgroundId,
                                               const std::vector<ExpectedButton>& buttons) {
    std::vector<TestBitmap> faces;
    for (const ExpectedButton& button : buttons) faces.push_back(TestBitmap(button.bitmapId));
    TestBitmap background(backgroundId);
    return [background, buttons, faces](int x, int y) -> uint32_t {
        POINT at = {x, y};
        for (size_t i = 0; i < buttons.size(); ++i) {
            const ExpectedButton& button = buttons[i];
            if (PtInRect(&button.rect, at))
                return faces[i].Pixel(x - button.rect.left, button.faceTop + y - button.rect.top);
        }
        return background.Pixel(x, y);
    };
}

int ScreenMismatches(const RECT& onScreen, const std::function<uint32_t(int, int)>& expected,
                     DWORD timeoutMs) {
    int width = onScreen.right - onScreen.left, height = onScreen.bottom - onScreen.top;
    if (width <= 0 || height <= 0) return -1;   // nothing to look at is no match
    std::vector<uint32_t> wanted(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) wanted[static_cast<size_t>(y) * width + x] = expected(x, y);
    int mismatches = -1;
    WaitUntil([&] {
        ScreenImage image = CaptureScreen(onScreen);
        mismatches = static_cast<int>(wanted.size());
        if (image.pixels.size() != wanted.size()) return false;
        mismatches = 0;
        for (size_t i = 0; i < wanted.size(); ++i)
            if (image.pixels[i] != wanted[i]) ++mismatches;
        return mismatches == 0;
    }, timeoutMs);
    return mismatches;
}

RECT ClientOnScreen(HWND menu) {
    RECT rect;
    GetClientRect(menu, &rect);
    MapWindowPoints(menu, NULL, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<RecordEntry> ReadButtonRecord(int32_t dialogBase) {
    std::vector<RecordEntry> entries;
    HRSRC info = FindResourceA(NULL, MAKEINTRESOURCEA(dialogBase), "BUTTON");
    if (!info) return entries;
    const int16_t* words = static_cast<const int16_t*>(LockResource(LoadResource(NULL, info)));
    for (int k = 0; k < words[0]; ++k) {
        const int16_t* e = words + 1 + 4 * k;
        entries.push_back({k + 1, e[0], e[1], static_cast<uint16_t>(e[2]), e[3]});
    }
    return entries;
}

std::vector<ExpectedButton> RecordedTopFaces(int32_t dialogBase) {
    std::vector<ExpectedButton> faces;
    for (const RecordEntry& e : ReadButtonRecord(dialogBase)) {
        TestBitmap bitmap(e.bitmapId);
        RECT rect = {e.x, e.y, e.x + bitmap.Width(), e.y + bitmap.Height() / 2};
        faces.push_back({rect, e.bitmapId, 0});
    }
    return faces;
}
