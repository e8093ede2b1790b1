// Bitmap resources with colour masks (BI_BITFIELDS) drawn by DibResource
// into a 32-bit DIB section through the real GDI: the pixels come from
// after the three masks, whole pictures and single rows alike.
#include <gtest/gtest.h>
#include <windows.h>
#include <stdint.h>
#include <cstdlib>
#include "app/dib_resource.h"

namespace {

const int kWidth = 8, kHeight = 3;

// The colour make_bitfields_bitmaps.py gives the pixel (x, y), as 0xRRGGBB.
uint32_t Written(int x, int y) {
    uint32_t r = 40 + 20 * x, g = 30 + 60 * y, b = 200 - 10 * x;
    return (r << 16) | (g << 8) | b;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift < 24; shift += 8) {
        int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(d) > tolerance) return false;
    }
    return true;
}

// A white 32-bit top-down canvas of the picture's size.
class Canvas {
public:
    Canvas() {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(NULL);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), NULL, 0);
        previous_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < kWidth * kHeight; ++i) bits_[i] = 0xFFFFFF;
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    uint32_t At(int x, int y) const {
        GdiFlush();
        return bits_[y * kWidth + x] & 0xFFFFFF;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    uint32_t* bits_ = nullptr;
};

struct MaskedCase {
    const char* name;
    uint32_t id;
    int tolerance;   // 16-bit pixels keep 5 or 6 bits of each channel
};
const MaskedCase kCases[] = {{"32_bits", 1, 0}, {"16_bits_565", 2, 8}};

void PrintTo(const MaskedCase& c, std::ostream* out) { *out << c.name; }

class MaskedBitmap : public testing::TestWithParam<MaskedCase> {};

TEST_P(MaskedBitmap, WholePictureIsDrawnFromAfterItsMasks) {
    DibResource bitmap;
    bitmap.Load(GetParam().id);
    ASSERT_TRUE(bitmap.IsLoaded());
    EXPECT_EQ(kWidth, bitmap.Size().width);
    EXPECT_EQ(kHeight, bitmap.Size().height);
    Canvas canvas;
    bitmap.Draw(canvas.dc(), NULL);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            EXPECT_TRUE(Near(Written(x, y), canvas.At(x, y), GetParam().tolerance))
                << "pixel " << x << "," << y << ": 0x" << std::hex << canvas.At(x, y);
}

// The menu draws one face of a button as a band of rows.
TEST_P(MaskedBitmap, OneRowIsDrawnFromAfterItsMasks) {
    DibResource bitmap;
    bitmap.Load(GetParam().id);
    ASSERT_TRUE(bitmap.IsLoaded());
    Canvas canvas;
    RECT row = {0, 1, kWidth, 2};
    bitmap.Draw(canvas.dc(), &row);
    for (int x = 0; x < kWidth; ++x) {
        EXPECT_TRUE(Near(Written(x, 1), canvas.At(x, 0), GetParam().tolerance))
            << "pixel " << x << ": 0x" << std::hex << canvas.At(x, 0);
        EXPECT_EQ(0xFFFFFFu, canvas.At(x, 1));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MaskedBitmap, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MaskedCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
