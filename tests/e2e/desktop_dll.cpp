// e2e_desktop.dll: loaded into velmora.exe by the tests, it shows a stand-in desktop window
// from a thread of its own. The capture prints the desktop window into a bitmap, which works
// only for a window of the capturing process, hence a DLL rather than a program.
#include <windows.h>

#include <cstdint>

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

// Run in the program's process by the soak test: the process's handle count and its private
// memory in KiB, as the process itself sees them. Wine answers GetProcessHandleCount with 0 and
// leaves PrivateUsage 0: the handles are counted by asking about each possible handle value, and
// the commit charge (PagefileUsage, which Windows reports equal to PrivateUsage) stands in.
extern "C" __declspec(dllexport) DWORD WINAPI E2eHandleCount(void*) {
    DWORD count = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &count) && count > 0) return count;
    for (std::uintptr_t value = 4; value < 0x40000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

extern "C" __declspec(dllexport) DWORD WINAPI E2ePrivateKiB(void*) {
    struct Counters {  // PROCESS_MEMORY_COUNTERS_EX
        DWORD cb, pageFaultCount;
        SIZE_T peakWorkingSet, workingSet, quotaPeakPaged, quotaPaged, quotaPeakNonPaged,
            quotaNonPaged, pagefile, peakPagefile, privateUsage;
    } counters{sizeof counters};
    using GetMemoryInfo = BOOL(WINAPI*)(HANDLE, void*, DWORD);
    const auto get = reinterpret_cast<GetMemoryInfo>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "K32GetProcessMemoryInfo")));
    if (!get || !get(::GetCurrentProcess(), &counters, sizeof counters)) return 0xFFFFFFFF;
    const SIZE_T bytes = counters.privateUsage ? counters.privateUsage : counters.pagefile;
    return static_cast<DWORD>(bytes / 1024);
}
