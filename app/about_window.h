// The about window: the usage instructions and the author line.
#pragma once

#include <windows.h>

namespace velmora {

// Shows the about window modally over `owner`: the owner takes no input until it is closed
// (close box or Escape).
void ShowAboutWindowModal(HINSTANCE instance, HWND owner);

}  // namespace velmora
