// Each method is the Win32 call of the same name; handles pass through as numbers and
// records are copied field by field.
#include "runtime/win32_gdi.h"

namespace velmora {
namespace {

HWND Window(WindowHandle h) {
    return reinterpret_cast<HWND>(h);
}
HDC Dc(DcHandle h) {
    return reinterpret_cast<HDC>(h);
}
HBITMAP Bitmap(BitmapHandle h) {
    return reinterpret_cast<HBITMAP>(h);
}
HGDIOBJ Object(ObjectHandle h) {
    return reinterpret_cast<HGDIOBJ>(h);
}
template <typename H>
std::uintptr_t Handle(H h) {
    return reinterpret_cast<std::uintptr_t>(h);
}

// A BITMAPINFO with room for the largest colour table, so a call that writes one anyway
// cannot run past it; only the header and the first entry travel back to the caller.
struct FullBitmapInfo {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[256];
};

void ToWindows(const BitmapInfo& from, FullBitmapInfo& to) {
    const BitmapInfoHeader& f = from.bmiHeader;
    BITMAPINFOHEADER& t = to.bmiHeader;
    t.biSize = f.biSize;
    t.biWidth = f.biWidth;
    t.biHeight = f.biHeight;
    t.biPlanes = f.biPlanes;
    t.biBitCount = f.biBitCount;
    t.biCompression = f.biCompression;
    t.biSizeImage = f.biSizeImage;
    t.biXPelsPerMeter = f.biXPelsPerMeter;
    t.biYPelsPerMeter = f.biYPelsPerMeter;
    t.biClrUsed = f.biClrUsed;
    t.biClrImportant = f.biClrImportant;
    to.bmiColors[0].rgbBlue = from.bmiColors[0];
    to.bmiColors[0].rgbGreen = from.bmiColors[1];
    to.bmiColors[0].rgbRed = from.bmiColors[2];
    to.bmiColors[0].rgbReserved = from.bmiColors[3];
}

void FromWindows(const FullBitmapInfo& from, BitmapInfo& to) {
    const BITMAPINFOHEADER& f = from.bmiHeader;
    BitmapInfoHeader& t = to.bmiHeader;
    t.biSize = f.biSize;
    t.biWidth = f.biWidth;
    t.biHeight = f.biHeight;
    t.biPlanes = f.biPlanes;
    t.biBitCount = f.biBitCount;
    t.biCompression = f.biCompression;
    t.biSizeImage = f.biSizeImage;
    t.biXPelsPerMeter = f.biXPelsPerMeter;
    t.biYPelsPerMeter = f.biYPelsPerMeter;
    t.biClrUsed = f.biClrUsed;
    t.biClrImportant = f.biClrImportant;
    to.bmiColors[0] = from.bmiColors[0].rgbBlue;
    to.bmiColors[1] = from.bmiColors[0].rgbGreen;
    to.bmiColors[2] = from.bmiColors[0].rgbRed;
    to.bmiColors[3] = from.bmiColors[0].rgbReserved;
}

}  // namespace

WindowHandle Win32Gdi::FindWindow(const std::wstring& className, const std::wstring& windowName) {
    return Handle(::FindWindowW(className.c_str(), windowName.c_str()));
}

bool Win32Gdi::IsWindow(WindowHandle window) {
    return ::IsWindow(Window(window)) != FALSE;
}

bool Win32Gdi::GetWindowRect(WindowHandle window, Rect& rect) {
    RECT r{};
    const BOOL ok = ::GetWindowRect(Window(window), &r);
    rect = {r.left, r.top, r.right, r.bottom};
    return ok != FALSE;
}

DcHandle Win32Gdi::GetDC(WindowHandle window) {
    return Handle(::GetDC(Window(window)));
}

DcHandle Win32Gdi::CreateCompatibleDC(DcHandle dc) {
    return Handle(::CreateCompatibleDC(Dc(dc)));
}

BitmapHandle Win32Gdi::CreateCompatibleBitmap(DcHandle dc, int width, int height) {
    return Handle(::CreateCompatibleBitmap(Dc(dc), width, height));
}

ObjectHandle Win32Gdi::SelectObject(DcHandle dc, ObjectHandle object) {
    return Handle(::SelectObject(Dc(dc), Object(object)));
}

bool Win32Gdi::PrintWindow(WindowHandle window, DcHandle dc, unsigned flags) {
    return ::PrintWindow(Window(window), Dc(dc), flags) != FALSE;
}

// The portable size is BITMAP's on 32-bit Windows; a 64-bit BITMAP is larger (the bits
// pointer is aligned), so the call is always given a whole BITMAP, whatever size is named.
int Win32Gdi::GetObject(BitmapHandle bitmap, int size, BitmapRecord& record) {
    static_assert(sizeof(void*) != 4 || sizeof(BITMAP) == 24);
    (void)size;
    BITMAP bm{};
    const int result = ::GetObjectW(Object(bitmap), sizeof bm, &bm);
    record.bmType = bm.bmType;
    record.bmWidth = bm.bmWidth;
    record.bmHeight = bm.bmHeight;
    record.bmWidthBytes = bm.bmWidthBytes;
    record.bmPlanes = bm.bmPlanes;
    record.bmBitsPixel = bm.bmBitsPixel;
    record.bmBits = bm.bmBits;
    return result;
}

int Win32Gdi::GetDIBits(DcHandle dc, BitmapHandle bitmap, unsigned start, unsigned lines,
                        void* bits, BitmapInfo& info, unsigned usage) {
    FullBitmapInfo full{};
    ToWindows(info, full);
    const int result = ::GetDIBits(Dc(dc), Bitmap(bitmap), start, lines, bits,
                                   reinterpret_cast<BITMAPINFO*>(&full), usage);
    FromWindows(full, info);
    return result;
}

bool Win32Gdi::DeleteObject(ObjectHandle object) {
    return ::DeleteObject(Object(object)) != FALSE;
}

bool Win32Gdi::DeleteDC(DcHandle dc) {
    return ::DeleteDC(Dc(dc)) != FALSE;
}

int Win32Gdi::ReleaseDC(WindowHandle window, DcHandle dc) {
    return ::ReleaseDC(Window(window), Dc(dc));
}

}  // namespace velmora
