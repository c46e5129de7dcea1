#include "runtime/picture_box.h"

#include "catalogue/bmp.h"

namespace velmora {

bool PictureBox::Register(HINSTANCE instance) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = nullptr;  // painted whole in OnPaint, without flicker
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

LRESULT CALLBACK PictureBox::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<PictureBox*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<PictureBox*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self) {
        switch (message) {
            case WM_PAINT:
                self->OnPaint();
                return 0;
            case WM_ERASEBKGND:
                return 1;
            case WM_NCDESTROY:
                self->window_ = nullptr;
                break;
        }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void PictureBox::SetPicture(const Bytes& bytes) {
    scaled_.reset();
    const std::optional<BmpImage> image = ReadBmp(bytes);
    if (image && window_) {
        RECT client{};
        ::GetClientRect(window_, &client);
        const PictureSize size = FitInto(image->width, image->height, client.right, client.bottom);
        width_ = size.width;
        height_ = size.height;
        left_ = (client.right - width_) / 2;
        top_ = (client.bottom - height_) / 2;

        // The validated rows go to GDI as they lie in the file; only the fitted copy is kept.
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = image->width;
        info.bmiHeader.biHeight = image->topDown ? -image->height : image->height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(image->bitsPerPixel);
        info.bmiHeader.biCompression = BI_RGB;

        UniqueWindowDc screen(WindowDc{window_, ::GetDC(window_)});
        UniqueMemoryDc memory(::CreateCompatibleDC(screen.get().dc));
        UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get().dc, width_, height_));
        if (memory && bitmap) {
            bool drawn;
            {
                ScopedSelectObject select(memory.get(), bitmap.get());
                ::SetStretchBltMode(memory.get(), HALFTONE);
                ::SetBrushOrgEx(memory.get(), 0, 0, nullptr);
                drawn = ::StretchDIBits(memory.get(), 0, 0, width_, height_, 0, 0, image->width,
                                        image->height, image->rows.data(), &info, DIB_RGB_COLORS,
                                        SRCCOPY) != 0;
            }
            if (drawn) scaled_ = std::move(bitmap);
        }
    }
    if (window_) ::InvalidateRect(window_, nullptr, FALSE);
}

void PictureBox::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(window_, &ps);
    RECT client{};
    ::GetClientRect(window_, &client);
    HBRUSH background = ::GetSysColorBrush(COLOR_BTNFACE);
    if (!scaled_) {
        ::FillRect(dc, &client, background);
    } else {
        // Only the margins around the picture are filled, so nothing flickers.
        const RECT margins[] = {{0, 0, client.right, top_},
                                {0, top_ + height_, client.right, client.bottom},
                                {0, top_, left_, top_ + height_},
                                {left_ + width_, top_, client.right, top_ + height_}};
        for (const RECT& r : margins) {
            if (r.right > r.left && r.bottom > r.top) ::FillRect(dc, &r, background);
        }
        UniqueMemoryDc memory(::CreateCompatibleDC(dc));
        ScopedSelectObject select(memory.get(), scaled_.get());
        ::BitBlt(dc, left_, top_, width_, height_, memory.get(), 0, 0, SRCCOPY);
    }
    ::EndPaint(window_, &ps);
}

}  // namespace velmora
