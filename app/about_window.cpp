#include "app/about_window.h"

#include "app/controls.h"
#include "resources/layout.h"
#include "runtime/win32_handles.h"

namespace velmora {

namespace {

HFONT CreateLabelFont(const layout::FontSpec& f) {
    LOGFONTW font{};
    font.lfHeight = f.height;
    font.lfWidth = f.width;
    font.lfEscapement = f.escapement;
    font.lfOrientation = f.orientation;
    font.lfWeight = f.weight;
    font.lfItalic = f.italic;
    font.lfUnderline = f.underline;
    font.lfStrikeOut = f.strikeOut;
    font.lfCharSet = static_cast<BYTE>(f.charSet);
    font.lfOutPrecision = static_cast<BYTE>(f.outPrecision);
    font.lfClipPrecision = static_cast<BYTE>(f.clipPrecision);
    font.lfQuality = static_cast<BYTE>(f.quality);
    font.lfPitchAndFamily = static_cast<BYTE>(f.pitchAndFamily);
    ::lstrcpynW(font.lfFaceName, f.faceName, LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

class AboutWindow {
  public:
    static constexpr wchar_t kClassName[] = L"VelmoraAboutWindow";

    void ShowModal(HINSTANCE instance, HWND owner) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return;

        const layout::Rect& r = layout::kAboutWindow;
        instance_ = instance;
        if (!::CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, texts::kAboutCaption,
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, r.left, r.top, r.width, r.height,
                               owner, nullptr, instance, this)) {
            return;
        }
        // Modal: the owner takes no input while this window is open.
        ::EnableWindow(owner, FALSE);
        ::ShowWindow(window_, SW_SHOW);
        MSG message;
        while (window_ && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE &&
                (message.hwnd == window_ || ::IsChild(window_, message.hwnd))) {
                ::SendMessageW(window_, WM_CLOSE, 0, 0);
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (window_ == nullptr && message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));  // the main loop must see it
        }
        // Re-enabled before this window is gone, so the owner becomes active again.
        ::EnableWindow(owner, TRUE);
        if (window_) ::DestroyWindow(window_);
        ::SetActiveWindow(owner);
    }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<AboutWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message == WM_NCCREATE) {
            self =
                static_cast<AboutWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->window_ = window;
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
        switch (message) {
            case WM_CREATE:
                self->OnCreate();
                return 0;
            case WM_CLOSE:
                // The owner is enabled again before this window goes, so it takes the focus back.
                ::EnableWindow(::GetWindow(window, GW_OWNER), TRUE);
                ::DestroyWindow(window);
                return 0;
            case WM_NCDESTROY:
                self->window_ = nullptr;
                break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void OnCreate() {
        frameFont_.reset(CreateMessageFont());
        helpFont_.reset(CreateLabelFont(layout::kHelpFont));
        authorFont_.reset(CreateLabelFont(layout::kAuthorFont));
        CreateControls(window_, instance_, frameFont_.get(), layout::kAboutControls, nullptr);
        HWND frame = ::GetDlgItem(window_, layout::kHelpFrame);
        ::SendMessageW(::GetDlgItem(frame, layout::kHelpLabel), WM_SETFONT,
                       reinterpret_cast<WPARAM>(helpFont_.get()), FALSE);
        ::SendMessageW(::GetDlgItem(frame, layout::kAuthorLabel), WM_SETFONT,
                       reinterpret_cast<WPARAM>(authorFont_.get()), FALSE);
    }

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    UniqueFont frameFont_, helpFont_, authorFont_;
};

}  // namespace

void ShowAboutWindowModal(HINSTANCE instance, HWND owner) {
    AboutWindow window;
    window.ShowModal(instance, owner);
}

}  // namespace velmora
