// The desktop capture through the real GDI: a stand-in desktop window of the shell's class
// and title, painted in four known colours, is found, printed and written as a BMP file.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "runtime/win32_gdi.h"
#include "capture/snapshot.h"
#include "catalogue/bmp.h"
#include "runtime/little_endian.h"

namespace velmora {
namespace {

constexpr int kLeft = 40, kTop = 40, kWidth = 200, kHeight = 120;
constexpr COLORREF kQuadrants[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255),
                                    RGB(255, 255, 0)};  // TL, TR, BL, BR

void PaintQuadrants(HDC dc) {
    for (int i = 0; i < 4; ++i) {
        const RECT r = {(i % 2) * kWidth / 2, (i / 2) * kHeight / 2, (i % 2 + 1) * kWidth / 2,
                        (i / 2 + 1) * kHeight / 2};
        HBRUSH brush = CreateSolidBrush(kQuadrants[i]);
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
}

LRESULT CALLBACK DesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            PaintQuadrants(BeginPaint(window, &ps));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:  // what PrintWindow asks for
            PaintQuadrants(reinterpret_cast<HDC>(wParam));
            return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// Counts the DCs and bitmaps a capture creates and checks afterwards that each one is gone.
class TrackingGdi : public Win32Gdi {
  public:
    std::vector<std::uintptr_t> created;

    DcHandle CreateCompatibleDC(DcHandle dc) override {
        created.push_back(Win32Gdi::CreateCompatibleDC(dc));
        return created.back();
    }
    BitmapHandle CreateCompatibleBitmap(DcHandle dc, int width, int height) override {
        created.push_back(Win32Gdi::CreateCompatibleBitmap(dc, width, height));
        return created.back();
    }
};

class DesktopCaptureTest : public testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DesktopProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Progman";
        ASSERT_NE(RegisterClassW(&wc), 0);
        window_ =
            CreateWindowExW(WS_EX_TOPMOST, L"Progman", L"Program Manager", WS_POPUP | WS_VISIBLE,
                            kLeft, kTop, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        UpdateWindow(window_);
        PumpMessages();
    }
    void TearDown() override {
        if (window_) DestroyWindow(window_);
        UnregisterClassW(L"Progman", GetModuleHandleW(nullptr));
    }

    WindowHandle Window() const { return reinterpret_cast<WindowHandle>(window_); }

    HWND window_ = nullptr;
    Win32Gdi gdi_;
};

TEST_F(DesktopCaptureTest, CapturesTheDesktopWindowAsBmp) {
    ASSERT_EQ(FindDesktopWindow(gdi_), Window());
    const Bytes bmp = CaptureWindowAsBmp(gdi_, FindDesktopWindow(gdi_));

    const std::uint32_t pixelBytes = kWidth * 4 * kHeight;
    ASSERT_EQ(bmp.size(), 58 + pixelBytes);
    EXPECT_EQ(le::GetU16(bmp, 0), 0x4D42);
    EXPECT_EQ(le::GetU32(bmp, 2), 58 + pixelBytes);  // bfSize
    EXPECT_EQ(le::GetU32(bmp, 6), 0u);               // reserved
    EXPECT_EQ(le::GetU32(bmp, 10), 58u);             // bfOffBits
    EXPECT_EQ(le::GetU32(bmp, 14), 44u);             // biSize
    EXPECT_EQ(le::GetI32(bmp, 18), kWidth);          // biWidth
    EXPECT_EQ(le::GetI32(bmp, 22), kHeight);         // biHeight, bottom-up
    EXPECT_EQ(le::GetU16(bmp, 26), 1);               // biPlanes
    EXPECT_EQ(le::GetU16(bmp, 28), 32);              // biBitCount
    EXPECT_EQ(le::GetU32(bmp, 30), 0u);              // BI_RGB
    EXPECT_EQ(le::GetU32(bmp, 34), pixelBytes);      // biSizeImage
    EXPECT_EQ(le::GetU32(bmp, 54), 0u);              // the RGBQUAD

    // Left for the ImageMagick check that runs after this test.
    std::ofstream("desktop-capture.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));

    const auto image = ReadBmp(bmp);
    ASSERT_TRUE(image.has_value());
    const struct {
        int x, y;
        COLORREF colour;
    } points[] = {
        {0, 0, kQuadrants[0]},
        {kWidth / 4, kHeight / 4, kQuadrants[0]},
        {3 * kWidth / 4, kHeight / 4, kQuadrants[1]},
        {kWidth / 4, 3 * kHeight / 4, kQuadrants[2]},
        {3 * kWidth / 4, 3 * kHeight / 4, kQuadrants[3]},
        {kWidth - 1, kHeight - 1, kQuadrants[3]},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(testing::Message() << "at " << p.x << "," << p.y);
        // The program's reader, and the raw bytes: bottom-up rows of blue, green, red, unused.
        EXPECT_EQ(PixelAt(*image, p.x, p.y),
                  (Rgb{GetRValue(p.colour), GetGValue(p.colour), GetBValue(p.colour)}));
        const std::size_t at = 58 + (std::size_t(kHeight - 1 - p.y) * kWidth + p.x) * 4;
        EXPECT_EQ(RGB(bmp[at + 2], bmp[at + 1], bmp[at]), p.colour);
    }
}

TEST_F(DesktopCaptureTest, GoneWindowGivesNothing) {
    const WindowHandle window = Window();
    EXPECT_TRUE(IsLiveWindow(gdi_, window));
    DestroyWindow(window_);
    window_ = nullptr;
    EXPECT_FALSE(IsLiveWindow(gdi_, window));
    EXPECT_TRUE(CaptureWindowAsBmp(gdi_, window).empty());
}

TEST_F(DesktopCaptureTest, CapturesLeaveNoGdiObjects) {
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const bool counted = before != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
    TrackingGdi gdi;
    for (int i = 0; i < 100; ++i) {
        gdi.created.clear();
        ASSERT_FALSE(CaptureWindowAsBmp(gdi, Window()).empty());
        ASSERT_EQ(gdi.created.size(), 2u);
        // Checked before anything else is created, so the handles cannot have been reused.
        for (std::uintptr_t handle : gdi.created)
            EXPECT_EQ(GetObjectType(reinterpret_cast<HGDIOBJ>(handle)), 0u) << "capture " << i;
    }
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), before);
    RecordProperty("gdi_objects_before", static_cast<int>(before));
    if (!counted)
        std::printf("GetGuiResources is not implemented here; handles checked one by one\n");
}

}  // namespace
}  // namespace velmora
