// The preview: a child window that shows one picture fitted into its area. The picture is
// decoded and scaled once when it is set, so a repaint is a single copy.
#pragma once

#include <windows.h>

#include "runtime/services.h"
#include "runtime/win32_handles.h"

namespace velmora {

class PictureBox {
  public:
    static constexpr wchar_t kClassName[] = L"VelmoraPicture";
    static bool Register(HINSTANCE instance);

    // Empty or undecodable bytes blank the preview.
    void SetPicture(const Bytes& bytes);
    HWND Window() const { return window_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();

    HWND window_ = nullptr;
    UniqueBitmap scaled_;  // the fitted picture, or none for a blank preview
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

}  // namespace velmora
