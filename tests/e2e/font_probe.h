// What e2e_font_probe.dll reports about the about window's labels, shared by the DLL and the
// tests that load it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace e2e {

struct FontProbeRecord {
    int id;
    int got;             // what GetObject returned: the bytes of the LOGFONT, 0 on failure
    std::uint64_t font;  // the label's WM_GETFONT
    LOGFONTW logFont;
};

inline std::wstring FontProbeFile(DWORD processId) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = temp;
    if (!path.empty() && path.back() != L'\\') path += L'\\';
    return path + L"velmora-font-probe-" + std::to_wstring(processId) + L".bin";
}

}  // namespace e2e
