// Creating a window's controls from its layout table.
#pragma once

#include <windows.h>

#include <span>

#include "resources/layout.h"

namespace velmora {

// The system's message font (the user-interface font controls should use).
HFONT CreateMessageFont();

// Creates every control of the table with the font; `pictureParams` goes to the picture
// box's creation.
void CreateControls(HWND window, HINSTANCE instance, HFONT font,
                    std::span<const layout::Control> controls, void* pictureParams);

}  // namespace velmora
