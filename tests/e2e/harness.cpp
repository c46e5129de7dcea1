#include "tests/e2e/harness.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>

#include "resources/layout.h"

namespace e2e {

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 4096);
    return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

// A Unix path (as ctest passes it) seen through Wine's Z: drive; a Windows path stays.
std::wstring WindowsPath(std::wstring path) {
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

void PutU16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutU32(Bytes& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Removes a folder with everything in it.
void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
}

void CreateFolders(const std::wstring& folder) {
    if (folder.empty() || ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const std::size_t cut = folder.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 2) CreateFolders(folder.substr(0, cut));
    ::CreateDirectoryW(folder.c_str(), nullptr);
}

struct FindBox {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindBox*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == find->processId && ::IsWindowVisible(window) && ClassOf(window) == L"#32770") {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

struct FindMain {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindMainProc(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<FindMain*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == find->processId && ClassOf(window) == L"VelmoraMainWindow") {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::wstring VelmoraExe() {
    return WindowsPath(Environment(L"VELMORA_E2E_EXE"));
}

std::wstring DesktopDll() {
    return WindowsPath(Environment(L"VELMORA_E2E_DESKTOP_DLL"));
}

std::wstring Utf16(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(n, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
    return text;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

Bytes SolidBmp(int width, int height, int bitsPerPixel, COLORREF colour) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32 * 4;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(height);
    const std::uint32_t offBits = 14 + 40;
    Bytes out;
    // BITMAPFILEHEADER
    PutU16(out, 0x4D42);                // bfType "BM"
    PutU32(out, offBits + pixelBytes);  // bfSize
    PutU16(out, 0);                     // bfReserved1
    PutU16(out, 0);                     // bfReserved2
    PutU32(out, offBits);               // bfOffBits
    // BITMAPINFOHEADER
    PutU32(out, 40);  // biSize
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height));  // positive: bottom-up
    PutU16(out, 1);                                   // biPlanes
    PutU16(out, static_cast<unsigned>(bitsPerPixel));
    PutU32(out, 0);  // biCompression BI_RGB
    PutU32(out, pixelBytes);
    PutU32(out, 2835);  // biXPelsPerMeter (72 dpi)
    PutU32(out, 2835);  // biYPelsPerMeter
    PutU32(out, 0);     // biClrUsed
    PutU32(out, 0);     // biClrImportant

    const unsigned r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    Bytes row;
    for (int x = 0; x < width; ++x) {
        if (bitsPerPixel == 16) {
            PutU16(row, ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
        } else {
            row.push_back(static_cast<std::uint8_t>(b));
            row.push_back(static_cast<std::uint8_t>(g));
            row.push_back(static_cast<std::uint8_t>(r));
            if (bitsPerPixel == 32) row.push_back(0);
        }
    }
    row.resize(stride, 0);
    for (int y = 0; y < height; ++y) out.insert(out.end(), row.begin(), row.end());
    return out;
}

Bytes RegExportText(const std::wstring& body) {
    const std::wstring text = L"Windows Registry Editor Version 5.00\r\n\r\n" + body;
    Bytes out{0xFF, 0xFE};
    for (wchar_t c : text) PutU16(out, c);
    return out;
}

std::wstring DecodeText(const Bytes& bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        std::wstring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
        }
        return text;
    }
    if (bytes.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                                        static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(n, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.data()),
                          static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

// ProgramFolder

ProgramFolder::ProgramFolder(const std::wstring& decoration) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    path_ = base + L"\\velmora-e2e-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + decoration;
    RemoveFolder(path_);
    CreateFolders(path_);
    const std::wstring exe = VelmoraExe();
    if (exe.empty() || !::CopyFileW(exe.c_str(), ExePath().c_str(), FALSE)) {
        throw std::runtime_error("cannot copy velmora.exe (VELMORA_E2E_EXE) into " + Utf8(path_));
    }
}

ProgramFolder::~ProgramFolder() {
    RemoveFolder(path_);
}

void ProgramFolder::AddBackup(const std::wstring& name, const Bytes& picture) {
    WriteFile(L"data\\reg\\" + name + L".reg",
              RegExportText(L"[" + std::wstring(kDesktopLayoutKeyPath) + L"]\r\n\r\n"));
    if (!picture.empty()) WriteFile(L"data\\pic\\" + name + L".jpg", picture);
}

void ProgramFolder::WriteFile(const std::wstring& relative, const Bytes& bytes) {
    const std::wstring path = Join(relative);
    CreateFolders(path.substr(0, path.find_last_of(L'\\')));
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + Utf8(path));
    DWORD wrote = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    ::CloseHandle(file);
}

bool ProgramFolder::Exists(const std::wstring& relative) const {
    return ::GetFileAttributesW(Join(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Bytes ProgramFolder::ReadFile(const std::wstring& relative) const {
    HANDLE file = ::CreateFileW(Join(relative).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    Bytes bytes(::GetFileSize(file, nullptr));
    DWORD got = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

std::vector<std::wstring> ProgramFolder::Files(const std::wstring& relativeFolder,
                                               const std::wstring& pattern) const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((Join(relativeFolder) + L"\\" + pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void ProgramFolder::RemoveTree(const std::wstring& relative) {
    RemoveFolder(Join(relative));
}

// Program

Program::~Program() {
    Kill();
}

void Program::Kill() {
    if (!process_) return;
    if (Running()) {
        ::TerminateProcess(process_, 255);
        ::WaitForSingleObject(process_, 10000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
}

bool Program::Running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

bool Program::Start(const ProgramFolder& folder, const StartOptions& options) {
    return Start(folder.ExePath(), options);
}

bool Program::Start(const std::wstring& exePath, const StartOptions& options) {
    Kill();
    std::wstring commandLine = L"\"" + exePath + L"\"";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(
            exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
            options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &startup,
            &info)) {
        return false;
    }
    ::CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    if (!WaitForMainWindow(milliseconds(60000), options.waitForList)) return false;
    if (options.desktop && !InjectDesktop()) return false;
    return !options.waitForList || WaitForListSettled();
}

bool Program::WaitForMainWindow(milliseconds timeout, bool waitForIdle) {
    if (waitForIdle) ::WaitForInputIdle(process_, static_cast<DWORD>(timeout.count()));
    return WaitUntil(
               [&] {
                   if (!Running()) return true;
                   FindMain find{processId_, nullptr};
                   ::EnumWindows(FindMainProc, reinterpret_cast<LPARAM>(&find));
                   main_ = find.found;
                   return main_ != nullptr && ::IsWindowVisible(main_) && List() != nullptr;
               },
               timeout) &&
           main_ != nullptr;
}

bool Program::InjectDesktop() {
    const std::wstring dll = DesktopDll();
    if (dll.empty()) return false;
    const SIZE_T size = (dll.size() + 1) * sizeof(wchar_t);
    void* remote =
        ::VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !::WriteProcessMemory(process_, remote, dll.c_str(), size, nullptr)) {
        return false;
    }
    // kernel32 lies at the same address in every process of one architecture.
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "LoadLibraryW")));
    HANDLE thread = ::CreateRemoteThread(process_, nullptr, 0, load, remote, 0, nullptr);
    if (!thread) return false;
    ::WaitForSingleObject(thread, 30000);
    DWORD module = 0;
    ::GetExitCodeThread(thread, &module);
    ::CloseHandle(thread);
    ::VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
    if (module == 0) return false;
    return WaitUntil(
        [&] {
            HWND desktop = ::FindWindowW(desktop::kClassName, desktop::kTitle);
            DWORD pid = 0;
            if (desktop) ::GetWindowThreadProcessId(desktop, &pid);
            return pid == processId_ && ::IsWindowVisible(desktop);
        },
        milliseconds(10000));
}

DWORD Program::CallInProgram(const char* exportName, void* argument, DWORD failed) const {
    const std::wstring dll = DesktopDll();
    // The export's offset in the DLL, read from a copy mapped here without running DllMain.
    HMODULE local = ::LoadLibraryExW(dll.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    if (!local) return failed;
    FARPROC function = ::GetProcAddress(local, exportName);
    const std::uintptr_t offset =
        reinterpret_cast<std::uintptr_t>(function) - reinterpret_cast<std::uintptr_t>(local);
    ::FreeLibrary(local);
    if (!function) return failed;

    // The DLL's base in the program's process.
    std::uintptr_t base = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId_);
    if (snapshot == INVALID_HANDLE_VALUE) return failed;
    MODULEENTRY32W module{sizeof module};
    for (BOOL more = ::Module32FirstW(snapshot, &module); more;
         more = ::Module32NextW(snapshot, &module)) {
        if (::lstrcmpiW(module.szModule, L"e2e_desktop.dll") == 0) {
            base = reinterpret_cast<std::uintptr_t>(module.modBaseAddr);
        }
    }
    ::CloseHandle(snapshot);
    if (!base) return failed;

    HANDLE thread = ::CreateRemoteThread(process_, nullptr, 0,
                                         reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset),
                                         argument, 0, nullptr);
    if (!thread) return failed;
    DWORD result = failed;
    if (::WaitForSingleObject(thread, 20000) != WAIT_OBJECT_0 ||
        !::GetExitCodeThread(thread, &result)) {
        result = failed;
    }
    ::CloseHandle(thread);
    return result;
}

HWND Program::Control(int id) const {
    if (!main_) return nullptr;
    if (HWND direct = ::GetDlgItem(main_, id)) return direct;
    for (int frame : {velmora::layout::kListFrame, velmora::layout::kCommandFrame,
                      velmora::layout::kPreviewFrame}) {
        if (HWND inner = ::GetDlgItem(::GetDlgItem(main_, frame), id)) return inner;
    }
    return nullptr;
}

HWND Program::List() const {
    return Control(velmora::layout::kBackupList);
}

bool Program::WaitIdle(milliseconds timeout) const {
    DWORD_PTR result = 0;
    return main_ && ::SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL,
                                          static_cast<UINT>(timeout.count()), &result) != 0;
}

bool Program::WaitForListSettled(milliseconds timeout) const {
    // The listing adds its entries in one go once the folder has been read; while it reads,
    // the count stays at zero. A count that stays put for a while is taken as settled.
    ::WaitForInputIdle(process_, static_cast<DWORD>(timeout.count()));
    int last = -1, same = 0;
    return WaitUntil(
        [&] {
            if (!Running() || !WaitIdle(timeout)) return true;
            const int count = Count();
            same = count == last ? same + 1 : 0;
            last = count;
            return same >= 10;
        },
        timeout);
}

int Program::Count() const {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(List(), LB_GETCOUNT, 0, 0, SMTO_NORMAL, 20000, &result)) return -1;
    return static_cast<int>(static_cast<LRESULT>(result));
}

std::wstring Program::ItemText(int index) const {
    const LRESULT length = ::SendMessageW(List(), LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return L"<LB_ERR>";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(List(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

std::vector<std::wstring> Program::Items() const {
    std::vector<std::wstring> items;
    const int count = Count();
    for (int i = 0; i < count; ++i) items.push_back(ItemText(i));
    return items;
}

int Program::Selection() const {
    return static_cast<int>(::SendMessageW(List(), LB_GETCURSEL, 0, 0));
}

std::wstring Program::WindowText(HWND window) const {
    wchar_t text[1024] = {};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                          10000, &result);
    return text;
}

void Program::Click(int id) const {
    // Queued for the button's thread; the driver goes on at once, as a command may show a
    // modal box. Sent messages are handled in order, so a later WaitIdle follows the click.
    ::SendNotifyMessageW(Control(id), BM_CLICK, 0, 0);
}

void Program::PostClick(int id) const {
    ::PostMessageW(Control(id), BM_CLICK, 0, 0);
}

bool Program::ClickAndWait(int id, milliseconds timeout) const {
    Click(id);
    return WaitIdle(timeout);
}

bool Program::ClickBackupAndWait(milliseconds timeout) const {
    const int before = Count();
    return ClickAndWaitFor(
        velmora::layout::kBackupButton,
        [&] { return Count() != before || FindMessageBox() != nullptr || !Running(); }, timeout);
}

bool Program::SelectByMouse(int index) const {
    HWND list = List();
    ::SendMessageW(list, LB_SETTOPINDEX, index, 0);
    RECT item{};
    if (::SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
        return false;
    }
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::SendNotifyMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    ::SendNotifyMessageW(list, WM_LBUTTONUP, 0, point);
    return WaitIdle() && Selection() == index;
}

bool Program::SelectByNotification(int index) const {
    HWND list = List();
    ::SendMessageW(list, LB_SETCURSEL, index, 0);
    ::SendNotifyMessageW(::GetParent(list), WM_COMMAND,
                         MAKEWPARAM(velmora::layout::kBackupList, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
    return WaitIdle() && Selection() == index;
}

HWND Program::FindMessageBox() const {
    FindBox find{processId_, nullptr};
    ::EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND Program::WaitForMessageBox(milliseconds timeout) const {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindMessageBox()) != nullptr || !Running(); }, timeout);
    return box;
}

MessageBoxText Program::ReadMessageBox(HWND box) const {
    MessageBoxText read;
    read.title = WindowText(box);
    read.text = WindowText(::GetDlgItem(box, 0xFFFF));
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
        HWND button = ::GetDlgItem(box, id);
        if (button && ::IsWindowVisible(button)) read.buttons.push_back(id);
    }
    return read;
}

void Program::Answer(HWND box, int buttonId) const {
    ::SendNotifyMessageW(::GetDlgItem(box, buttonId), BM_CLICK, 0, 0);
    WaitUntil([&] { return !::IsWindow(box); }, milliseconds(10000));
}

COLORREF Program::PreviewPixel(int x, int y) const {
    HWND preview = Control(velmora::layout::kPreview);
    ::RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    WaitIdle();
    POINT point{x, y};
    ::ClientToScreen(preview, &point);
    HDC screen = ::GetDC(nullptr);
    const COLORREF colour = ::GetPixel(screen, point.x, point.y);
    ::ReleaseDC(nullptr, screen);
    return colour;
}

COLORREF Program::WaitForPreviewPixel(int x, int y, COLORREF colour, milliseconds timeout) const {
    COLORREF last = CLR_INVALID;
    WaitUntil([&] { return (last = PreviewPixel(x, y)) == colour; }, timeout);
    return last;
}

DWORD Program::Close(milliseconds timeout) {
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    return WaitForExit(timeout);
}

DWORD Program::WaitForExit(milliseconds timeout) const {
    if (!process_) return STILL_ACTIVE;
    ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count()));
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

// The registry

const wchar_t kDesktopLayoutSubkey[] = L"Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop";
const wchar_t kDesktopLayoutKeyPath[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop";

namespace {

bool SetValue(const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kDesktopLayoutSubkey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG done =
        ::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    return done == ERROR_SUCCESS;
}

}  // namespace

bool SetDesktopLayoutValue(const std::wstring& name, const Bytes& data) {
    return SetValue(name, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
}

bool SetDesktopLayoutDword(const std::wstring& name, DWORD value) {
    return SetValue(name, REG_DWORD, &value, sizeof value);
}

bool DeleteDesktopLayoutKey() {
    const LONG done = ::RegDeleteTreeW(HKEY_CURRENT_USER, kDesktopLayoutSubkey);
    if (done == ERROR_SUCCESS || done == ERROR_FILE_NOT_FOUND) {
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kDesktopLayoutSubkey);
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopLayoutSubkey, 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        ::RegCloseKey(key);
        return false;
    }
    return true;
}

namespace {

bool SetDefaultValue(const wchar_t* subkey, const std::wstring& value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LONG done =
        ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
    return done == ERROR_SUCCESS;
}

}  // namespace

bool AssociateRegFilesWithRegedit() {
    return SetDefaultValue(L".reg", L"regfile") &&
           SetDefaultValue(L"regfile\\shell\\open\\command", L"regedit.exe \"%1\"");
}

}  // namespace e2e
