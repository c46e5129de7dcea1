// The floor of a start with many backups: the main window and a list box where the program has
// them, the names of data\reg\*.reg beside the executable read with the messages pumped after
// each name, all of them added to the list at once and the last one selected.
#include <windows.h>

#include <string>
#include <vector>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, n);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) return false;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"VelmoraFloorList";
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"floor",
                                    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 50,
                                    50, 1232, 616, nullptr, nullptr, instance, nullptr);
    HWND list = ::CreateWindowExW(
        0, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 1008,
        28, 200, 348, window, reinterpret_cast<HMENU>(110), instance, nullptr);
    if (!window || !list) return 1;
    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);

    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const std::wstring pattern = ExeFolder() + L"\\data\\reg\\*.reg";
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    bool more = find != INVALID_HANDLE_VALUE;
    while (more) {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::wstring name = data.cFileName;
            names.push_back(name.substr(0, name.size() - 4));
            if (!Pump()) return 0;
        }
        more = ::FindNextFileW(find, &data) != FALSE;
    }
    if (find != INVALID_HANDLE_VALUE) ::FindClose(find);

    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    std::size_t characters = 0;
    for (const std::wstring& name : names) characters += name.size() + 1;
    ::SendMessageW(list, LB_INITSTORAGE, names.size(), characters * sizeof(wchar_t));
    for (const std::wstring& name : names) {
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    ::SendMessageW(list, LB_SETCURSEL, names.size() - 1, 0);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
