// The few GDI and window calls the desktop capture makes, behind an interface so the
// capture itself stays portable: runtime/win32_gdi.cpp binds it to Windows and the
// native tests to a recording fake. Each method mirrors one Windows call, arguments
// and results in the same order; handles are opaque numbers and records are plain
// structs with the Windows field names.
#pragma once

#include <cstdint>
#include <string>

namespace velmora {

using WindowHandle = std::uintptr_t;
using DcHandle = std::uintptr_t;
using BitmapHandle = std::uintptr_t;
using ObjectHandle = std::uintptr_t;  // anything SelectObject takes or gives back

inline constexpr WindowHandle kNoWindow = 0;

struct Rect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// BITMAP.
struct BitmapRecord {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    void* bmBits = nullptr;
};

// BITMAPINFOHEADER.
struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

// BITMAPINFO with its single RGBQUAD: room for no colour table and no bit-field masks.
struct BitmapInfo {
    BitmapInfoHeader bmiHeader;
    std::uint8_t bmiColors[4] = {};
};

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::uint32_t kBiBitfields = 3;
inline constexpr unsigned kDibRgbColors = 0;

class Gdi {
  public:
    virtual ~Gdi() = default;

    virtual WindowHandle FindWindow(const std::wstring& className,
                                    const std::wstring& windowName) = 0;
    virtual bool IsWindow(WindowHandle window) = 0;
    virtual bool GetWindowRect(WindowHandle window, Rect& rect) = 0;
    // kNoWindow gives the screen's DC.
    virtual DcHandle GetDC(WindowHandle window) = 0;
    virtual DcHandle CreateCompatibleDC(DcHandle dc) = 0;
    virtual BitmapHandle CreateCompatibleBitmap(DcHandle dc, int width, int height) = 0;
    // Returns the object previously selected.
    virtual ObjectHandle SelectObject(DcHandle dc, ObjectHandle object) = 0;
    virtual bool PrintWindow(WindowHandle window, DcHandle dc, unsigned flags) = 0;
    virtual int GetObject(BitmapHandle bitmap, int size, BitmapRecord& record) = 0;
    virtual int GetDIBits(DcHandle dc, BitmapHandle bitmap, unsigned start, unsigned lines,
                          void* bits, BitmapInfo& info, unsigned usage) = 0;
    virtual bool DeleteObject(ObjectHandle object) = 0;
    virtual bool DeleteDC(DcHandle dc) = 0;
    virtual int ReleaseDC(WindowHandle window, DcHandle dc) = 0;
};

}  // namespace velmora
