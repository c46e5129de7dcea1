#include "app/controls.h"

#include "runtime/picture_box.h"

namespace velmora {

namespace {

struct ControlClass {
    const wchar_t* className;
    DWORD style;
};

ControlClass ClassOf(layout::Kind kind) {
    switch (kind) {
        case layout::Kind::Button:
            return {L"BUTTON", BS_PUSHBUTTON};
        case layout::Kind::GroupBox:
            return {L"BUTTON", BS_GROUPBOX};
        case layout::Kind::ListBox:
            // Entries stay in the order they were added; LBS_NOTIFY reports the user's picks.
            return {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER};
        case layout::Kind::Picture:
            return {PictureBox::kClassName, 0};
        case layout::Kind::Label:
            return {L"STATIC", SS_LEFT};
    }
    return {L"STATIC", 0};
}

}  // namespace

HFONT CreateMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    }
    return ::CreateFontIndirectW(&metrics.lfMessageFont);
}

void CreateControls(HWND window, HINSTANCE instance, HFONT font,
                    std::span<const layout::Control> controls, void* pictureParams) {
    // Controls of the window first, in stacking order (each new child goes below the ones
    // before it), then the controls inside group boxes, whose parents exist by then.
    for (bool nested : {false, true}) {
        for (const layout::Control& c : controls) {
            if ((c.parent != layout::kNoParent) != nested) continue;
            const ControlClass cls = ClassOf(c.kind);
            HWND parent = nested ? ::GetDlgItem(window, c.parent) : window;
            DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | cls.style;
            if (c.tabStop) style |= WS_TABSTOP;
            // Tab moves into a group box's own controls too.
            const DWORD exStyle = c.kind == layout::Kind::GroupBox ? WS_EX_CONTROLPARENT : 0;
            HWND control = ::CreateWindowExW(
                exStyle, cls.className, c.caption, style, c.left, c.top, c.width, c.height, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance,
                c.kind == layout::Kind::Picture ? pictureParams : nullptr);
            ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
}

}  // namespace velmora
