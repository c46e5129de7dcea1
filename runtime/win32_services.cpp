#include "runtime/win32_services.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <memory>

// Before anything that declares the capture seam: it renames FindWindow and GetObject back.
#include "runtime/win32_gdi.h"

#include "capture/snapshot.h"
#include "runtime/win32_handles.h"

namespace velmora {

namespace {

// Larger files are no snapshot or export of ours; reading them whole would only cost memory.
constexpr ULONGLONG kMaxFileSize = 1ull << 30;

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Creates every missing folder on the way to `folder`.
void CreateFolders(const Text& folder) {
    if (folder.empty()) return;
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return;
    const std::size_t cut = folder.find_last_of(L"\\/");
    if (cut != Text::npos && cut > 0) CreateFolders(folder.substr(0, cut));
    (void)::CreateDirectoryW(ExtendedPath(folder).c_str(), nullptr);  // judged by the write
}

// One FindFirstFileExW call, shared by the window thread and the thread that makes it: whichever
// lets go last closes the search.
struct FirstFind {
    Text path;
    WIN32_FIND_DATAW data{};
    UniqueFind find;
};

DWORD WINAPI RunFirstFind(void* parameter) {
    const std::unique_ptr<std::shared_ptr<FirstFind>> call(
        static_cast<std::shared_ptr<FirstFind>*>(parameter));
    FirstFind& f = **call;
    f.find.reset(::FindFirstFileExW(f.path.c_str(), FindExInfoBasic, &f.data, FindExSearchNameMatch,
                                    nullptr, FIND_FIRST_EX_LARGE_FETCH));
    return 0;
}

// Dispatches the window thread's waiting messages; false when the program is asked to quit,
// with the request put back for the main loop.
bool DispatchWaiting() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

class Win32DirectorySearch : public DirectorySearch {
  public:
    Text First(const Text& pathAndPattern) override {
        // The first call may read the whole folder before it returns (Wine reads and sorts
        // every name at once): it runs on a thread of its own while the window thread goes on
        // handling its messages. Asked to quit meanwhile, the search ends without a match.
        auto call = std::make_shared<FirstFind>();
        call->path = ExtendedPath(pathAndPattern);
        auto* shared = new std::shared_ptr<FirstFind>(call);
        UniqueProcess thread(::CreateThread(nullptr, 0, RunFirstFind, shared, 0, nullptr));
        if (!thread) {
            RunFirstFind(shared);
        } else {
            HANDLE handle = thread.get();
            DWORD woken;
            while ((woken = ::MsgWaitForMultipleObjects(1, &handle, FALSE, INFINITE,
                                                        QS_ALLINPUT)) == WAIT_OBJECT_0 + 1) {
                if (!DispatchWaiting()) return {};
            }
            if (woken != WAIT_OBJECT_0) ::WaitForSingleObject(handle, INFINITE);
        }
        find_ = std::move(call->find);
        if (!find_) return {};
        return IsFile(call->data) ? Text(call->data.cFileName) : Next();
    }
    Text Next() override {
        WIN32_FIND_DATAW data;
        while (find_ && ::FindNextFileW(find_.get(), &data)) {
            if (IsFile(data)) return data.cFileName;
        }
        return {};
    }
    void Close() override { find_.reset(); }

  private:
    // Folders that happen to match the pattern are no backups.
    static bool IsFile(const WIN32_FIND_DATAW& data) {
        return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    UniqueFind find_;
};

}  // namespace

Text ExtendedPath(const Text& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\", 0) == 0) return path;
    if (path.size() > 2 && path[1] == L':' && IsSeparator(path[2])) {
        Text extended = L"\\\\?\\" + path;
        for (wchar_t& c : extended) {
            if (c == L'/') c = L'\\';
        }
        return extended;
    }
    return path;
}

Text Win32Services::ProgramDirectory() {
    Text buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    const std::size_t cut = buffer.find_last_of(L'\\');
    return cut == Text::npos ? Text() : buffer.substr(0, cut);
}

DateTime Win32Services::CurrentDateTime() {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

Bytes Win32Services::TextToBytes(const Text& text) {
    if (text.empty()) return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    Bytes bytes(size > 0 ? size : 0);
    if (size > 0) {
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                              reinterpret_cast<char*>(bytes.data()), size, nullptr, nullptr);
    }
    return bytes;
}

Bytes Win32Services::ReadWholeFile(const Text& path) {
    UniqueFile file(::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<ULONGLONG>(size.QuadPart) > kMaxFileSize) {
        return {};
    }
    Bytes bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0)
            return {};
        done += got;
    }
    return bytes;
}

bool Win32Services::WriteWholeFile(const Text& path, const Bytes& bytes) {
    const std::size_t cut = path.find_last_of(L"\\/");
    if (cut != Text::npos) CreateFolders(path.substr(0, cut));

    // Written beside the target under another name and then moved over it, so a failed or
    // interrupted write never leaves a half-written file under the real name.
    const Text partial = path + L".part";
    {
        UniqueFile file(::CreateFileW(ExtendedPath(partial).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            const DWORD want =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 24));
            if (!::WriteFile(file.get(), bytes.data() + done, want, &wrote, nullptr) || !wrote) {
                file.reset();
                (void)::DeleteFileW(ExtendedPath(partial).c_str());  // nothing half-written stays
                return false;
            }
            done += wrote;
        }
    }
    if (!::MoveFileExW(ExtendedPath(partial).c_str(), ExtendedPath(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        (void)::DeleteFileW(ExtendedPath(partial).c_str());  // nothing half-written stays
        return false;
    }
    return true;
}

bool Win32Services::FileExists(const Text& path) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

RemoveResult Win32Services::RemoveFile(const Text& path) {
    if (::DeleteFileW(ExtendedPath(path).c_str())) return RemoveResult::Removed;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? RemoveResult::Missing
                                                                          : RemoveResult::Failed;
}

bool Win32Services::RunCommandAndWait(const Text& scriptPath, const Text& workingDirectory) {
    wchar_t interpreter[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableW(L"ComSpec", interpreter, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        const UINT n = ::GetSystemDirectoryW(interpreter, MAX_PATH - 10);
        if (n == 0 || n >= MAX_PATH - 10) return false;
        ::lstrcatW(interpreter, L"\\cmd.exe");
    }
    // cmd /c strips the outer quotes and keeps the inner ones, so a script path with blanks
    // or Chinese characters reaches it whole.
    Text commandLine = L"\"" + Text(interpreter) + L"\" /d /c \"\"" + scriptPath + L"\"\"";

    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(
            interpreter, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
            workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &process)) {
        return false;
    }
    UniqueProcess processHandle(process.hProcess);
    UniqueProcess threadHandle(process.hThread);
    ::WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(processHandle.get(), &exitCode);
    return exitCode == 0;
}

bool Win32Services::ShellOpenFile(const Text& path) {
    // The shell and the many libraries it brings are loaded only when a restore needs them,
    // not at every start; once loaded it stays, as shell extensions may still run.
    static const auto shellExecuteEx =
        reinterpret_cast<decltype(&::ShellExecuteExW)>(reinterpret_cast<void (*)()>(
            ::GetProcAddress(::LoadLibraryW(L"shell32.dll"), "ShellExecuteExW")));
    if (!shellExecuteEx) return false;
    SHELLEXECUTEINFOW info{sizeof info};
    info.hwnd = owner_;
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    return shellExecuteEx(&info) != FALSE;
}

void Win32Services::TerminateProcessesByName(const Text& imageName) {
    // The snapshot lists 64-bit processes too, so the 32-bit program ends a 64-bit shell.
    UniqueFile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, imageName.c_str()) != 0) continue;
        UniqueProcess process(::OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process) (void)::TerminateProcess(process.get(), 1);  // one that ended already is fine
    }
}

void Win32Services::SleepMilliseconds(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

Answer Win32Services::ShowMessageBox(const Text& text, Buttons buttons, const Text& title) {
    const UINT type = buttons == Buttons::YesNo ? MB_YESNO : MB_OK;
    switch (::MessageBoxW(owner_, text.c_str(), title.c_str(), type)) {
        case IDOK:
            return Answer::Ok;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            return Answer::Other;
    }
}

void Win32Services::ShowAboutWindow() {
    if (showAbout_) showAbout_();
}

void Win32Services::SetWaitCursor(bool on) {
    waitDepth_ += on ? 1 : -1;
    ::SetCursor(::LoadCursorW(nullptr, waitDepth_ > 0 ? IDC_WAIT : IDC_ARROW));
}

Bytes Win32Services::CaptureDesktop() {
    Win32Gdi gdi;
    return CaptureWindowAsBmp(gdi, FindDesktopWindow(gdi));
}

std::unique_ptr<DirectorySearch> Win32Services::NewDirectorySearch() {
    return std::make_unique<Win32DirectorySearch>();
}

bool Win32Services::PumpPendingMessages() {
    return DispatchWaiting();
}

void Win32Services::AddItem(const Text& text) {
    ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Win32Services::AddItems(const std::vector<Text>& texts) {
    if (!::IsWindow(list_)) return;
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    std::size_t characters = 0;
    for (const Text& text : texts) characters += text.size() + 1;
    ::SendMessageW(list_, LB_INITSTORAGE, texts.size(), characters * sizeof(wchar_t));
    for (const Text& text : texts) AddItem(text);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

int Win32Services::ItemCount() {
    const LRESULT count = ::SendMessageW(list_, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

Text Win32Services::ItemText(int index) {
    if (index < 0) return {};
    const LRESULT length = ::SendMessageW(list_, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return {};
    Text text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
    return text;
}

void Win32Services::DeleteItem(int index) {
    ::SendMessageW(list_, LB_DELETESTRING, index, 0);
}

int Win32Services::CurrentSelection() {
    const LRESULT selection = ::SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return selection == LB_ERR ? -1 : static_cast<int>(selection);
}

void Win32Services::SetCurrentSelection(int index) {
    ::SendMessageW(list_, LB_SETCURSEL, index, 0);
}

void Win32Services::SetPicture(const Bytes& bytes) {
    if (preview_) preview_->SetPicture(bytes);
}

}  // namespace velmora
