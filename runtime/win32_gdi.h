// The capture's GDI calls bound to Windows.
#pragma once

#include <windows.h>
// The A/W macros would rename the interface's methods of the same names.
#undef FindWindow
#undef GetObject

#include "capture/gdi.h"

namespace velmora {

class Win32Gdi : public Gdi {
  public:
    WindowHandle FindWindow(const std::wstring& className, const std::wstring& windowName) override;
    bool IsWindow(WindowHandle window) override;
    bool GetWindowRect(WindowHandle window, Rect& rect) override;
    DcHandle GetDC(WindowHandle window) override;
    DcHandle CreateCompatibleDC(DcHandle dc) override;
    BitmapHandle CreateCompatibleBitmap(DcHandle dc, int width, int height) override;
    ObjectHandle SelectObject(DcHandle dc, ObjectHandle object) override;
    bool PrintWindow(WindowHandle window, DcHandle dc, unsigned flags) override;
    int GetObject(BitmapHandle bitmap, int size, BitmapRecord& record) override;
    int GetDIBits(DcHandle dc, BitmapHandle bitmap, unsigned start, unsigned lines, void* bits,
                  BitmapInfo& info, unsigned usage) override;
    bool DeleteObject(ObjectHandle object) override;
    bool DeleteDC(DcHandle dc) override;
    int ReleaseDC(WindowHandle window, DcHandle dc) override;
};

}  // namespace velmora
