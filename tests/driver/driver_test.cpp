// The driver's screen read-back sees exactly what a window painted.
#include <gtest/gtest.h>
#include "gui.h"
#include "processes.h"
#include "screen.h"

namespace {

LRESULT CALLBACK PaintTwoColours(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT left = {0, 0, 20, 30}, right = {20, 0, 40, 30};
        HBRUSH red = CreateSolidBrush(RGB(0xCC, 0x33, 0x00));
        HBRUSH blue = CreateSolidBrush(RGB(0x00, 0x66, 0xFF));
        FillRect(dc, &left, red);
        FillRect(dc, &right, blue);
        DeleteObject(red);
        DeleteObject(blue);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(Screen, CaptureReadsExactColours) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = PaintTwoColours;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "DriverTestWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(WS_EX_TOPMOST, "DriverTestWindow", "driver test", WS_POPUP | WS_VISIBLE,
                                  100, 50, 40, 30, NULL, NULL, windowClass.hInstance, NULL);
    ASSERT_NE(nullptr, window);
    UpdateWindow(window);
    WaitUntil([] { return false; }, 300);
    ScreenImage image = CaptureScreen(ClientRectOnScreen(window));
    ASSERT_EQ(40, image.width);
    ASSERT_EQ(30, image.height);
    EXPECT_EQ(0xCC3300u, image.At(0, 0));
    EXPECT_EQ(0xCC3300u, image.At(19, 29));
    EXPECT_EQ(0x0066FFu, image.At(20, 0));
    EXPECT_EQ(0x0066FFu, image.At(39, 29));
    EXPECT_TRUE(SaveBitmap(image, ScreenshotPath("driver-self-test")));
    DestroyWindow(window);
}

TEST(Programs, StartWaitAndReadExitCode) {
    Program program;
    ASSERT_TRUE(program.Start("cmd.exe /c exit 7"));
    EXPECT_EQ(7, program.WaitForExit(20000));
    Program missing;
    EXPECT_FALSE(missing.Start("Z:\\no\\such\\program.exe"));
}

}  // namespace
