// The stand-in desktop window that e2e_desktop.dll shows inside the program's process: a
// borderless top-level window of the shell's desktop class and title, left half one colour,
// right half another, placed below the main window so that it never covers it.
#pragma once

#include <windows.h>

namespace e2e::desktop {

inline constexpr wchar_t kClassName[] = L"Progman";
inline constexpr wchar_t kTitle[] = L"Program Manager";
inline constexpr int kLeft = 40, kTop = 700, kWidth = 320, kHeight = 180;
inline constexpr COLORREF kLeftColour = RGB(200, 30, 60);
inline constexpr COLORREF kRightColour = RGB(20, 160, 90);

}  // namespace e2e::desktop
