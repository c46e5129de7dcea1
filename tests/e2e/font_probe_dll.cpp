// e2e_font_probe.dll: loaded into velmora.exe while its about window is open, it reads the
// labels' fonts where the font handles are valid, in the program's own process, and writes
// what it found to %TEMP%\velmora-font-probe-<process id>.bin, then unloads itself.
//
// The file holds one FontProbeRecord per label, help text first, then the author line.
#include <windows.h>

#include <string>

#include "resources/layout.h"
#include "tests/e2e/font_probe.h"

namespace {

BOOL CALLBACK NoteAboutWindow(HWND window, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    if (pid != ::GetCurrentProcessId() || ::lstrcmpW(name, L"VelmoraAboutWindow") != 0 ||
        !::IsWindowVisible(window)) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

HWND FindAboutWindow() {
    HWND found = nullptr;
    ::EnumWindows(NoteAboutWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

e2e::FontProbeRecord Probe(HWND frame, int id) {
    e2e::FontProbeRecord record{};
    record.id = id;
    HWND label = ::GetDlgItem(frame, id);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
    record.font = reinterpret_cast<std::uint64_t>(font);
    if (font) record.got = ::GetObjectW(font, sizeof record.logFont, &record.logFont);
    return record;
}

DWORD WINAPI ProbeThread(void* module) {
    HWND frame = ::GetDlgItem(FindAboutWindow(), velmora::layout::kHelpFrame);
    const e2e::FontProbeRecord records[2] = {Probe(frame, velmora::layout::kHelpLabel),
                                             Probe(frame, velmora::layout::kAuthorLabel)};
    const std::wstring path = e2e::FontProbeFile(::GetCurrentProcessId());
    const std::wstring partial = path + L".part";
    HANDLE file = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD wrote = 0;
        ::WriteFile(file, records, sizeof records, &wrote, nullptr);
        ::CloseHandle(file);
        // Moved into place whole, so the test never reads half of it.
        ::MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    ::FreeLibraryAndExitThread(static_cast<HMODULE>(module), 0);
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(module);
        HANDLE thread = ::CreateThread(nullptr, 0, ProbeThread, module, 0, nullptr);
        if (!thread) return FALSE;
        ::CloseHandle(thread);
    }
    return TRUE;
}
