// e2e_desktop.dll: loaded into velmora.exe by the tests, it shows a stand-in desktop window
// from a thread of its own. The capture prints the desktop window into a bitmap, which works
// only for a window of the capturing process, hence a DLL rather than a program.
#include <windows.h>

#include "tests/e2e/desktop_colours.h"

namespace {

using namespace e2e::desktop;

void Paint(HDC dc) {
    const RECT halves[2] = {{0, 0, kWidth / 2, kHeight}, {kWidth / 2, 0, kWidth, kHeight}};
    const COLORREF colours[2] = {kLeftColour, kRightColour};
    for (int i = 0; i < 2; ++i) {
        HBRUSH brush = ::CreateSolidBrush(colours[i]);
        ::FillRect(dc, &halves[i], brush);
        ::DeleteObject(brush);
    }
}

LRESULT CALLBACK DesktopProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            Paint(::BeginPaint(window, &ps));
            ::EndPaint(window, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:  // what PrintWindow asks for
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI DesktopThread(void* module) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = DesktopProc;
    wc.hInstance = static_cast<HINSTANCE>(module);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window =
        ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, kTitle, WS_POPUP, kLeft,
                          kTop, kWidth, kHeight, nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 1;
    ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::UpdateWindow(window);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

// Run in the program's process by the tests (as a remote thread): 1 when the window's font is
// set, 0 when the control would draw with the bold system font. Another process cannot ask:
// Wine does not pass WM_GETFONT between processes.
extern "C" __declspec(dllexport) DWORD WINAPI E2eHasFont(void* window) {
    return ::SendMessageW(static_cast<HWND>(window), WM_GETFONT, 0, 0) != 0 ? 1 : 0;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
        HANDLE thread = ::CreateThread(nullptr, 0, DesktopThread, module, 0, nullptr);
        if (!thread) return FALSE;
        ::CloseHandle(thread);
    }
    return TRUE;
}
