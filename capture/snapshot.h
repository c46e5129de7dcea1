// The picture of the desktop kept with each backup: the shell's desktop window printed
// into a bitmap and written out as the bytes of a BMP file.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "capture/gdi.h"
#include "runtime/services.h"

namespace velmora {

// The shell's desktop window (class "Progman", title "Program Manager"); kNoWindow when
// there is none.
WindowHandle FindDesktopWindow(Gdi& gdi);

bool IsLiveWindow(Gdi& gdi, WindowHandle window);

// The whole window, frame included, as an uncompressed BMP file in the display's pixel
// format (32 bit when the display uses a palette) with a 44-byte info block; empty
// bytes when the window is gone or cannot be printed.
Bytes CaptureWindowAsBmp(Gdi& gdi, WindowHandle window);

// The pieces back to back.
Bytes JoinBytes(std::initializer_list<std::span<const std::uint8_t>> pieces);

}  // namespace velmora
