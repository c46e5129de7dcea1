// The maintenance commands as the user meets them: deleting a backup, restoring one through
// the shell, refreshing the desktop, and the about window.
#include <gtest/gtest.h>
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <map>
#include <memory>

#include "resources/layout.h"
#include "resources/texts.h"
#include "tests/e2e/font_probe.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

namespace layout = velmora::layout;
namespace texts = velmora::texts;
using Clock = std::chrono::steady_clock;

// --- Helpers of these tests ------------------------------------------------------------------

// A helper built beside e2e_tests.exe, or where the environment (ctest) names it.
std::wstring HelperPath(const wchar_t* variable, const std::wstring& besideTests) {
    wchar_t buffer[4096];
    const DWORD length = ::GetEnvironmentVariableW(variable, buffer, 4096);
    std::wstring path;
    if (length > 0 && length < 4096) {
        path.assign(buffer, length);
        if (path[0] == L'/') path = L"Z:" + path;  // a Unix path, seen through Wine's Z: drive
        std::replace(path.begin(), path.end(), L'/', L'\\');
        return path;
    }
    ::GetModuleFileNameW(nullptr, buffer, 4096);
    path = buffer;
    return path.substr(0, path.find_last_of(L'\\') + 1) + besideTests;
}

std::wstring StubExplorer() {
    return HelperPath(L"VELMORA_E2E_STUB_EXPLORER", L"stub_explorer\\explorer.exe");
}

std::wstring FontProbeDll() {
    return HelperPath(L"VELMORA_E2E_FONT_PROBE_DLL", L"e2e_font_probe.dll");
}

bool Ended(HANDLE process) {
    return ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

DWORD ExitCode(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process, &code);
    return code;
}

// Processes whose parent is `parentId`, by image name.
std::vector<std::wstring> ChildrenOf(DWORD parentId) {
    std::vector<std::wstring> names;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == parentId) names.push_back(entry.szExeFile);
    }
    ::CloseHandle(snapshot);
    return names;
}

bool Listed(DWORD processId, const std::wstring& imageName) {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    PROCESSENTRY32W entry{sizeof entry};
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found;
         more = ::Process32NextW(snapshot, &entry)) {
        found = entry.th32ProcessID == processId &&
                ::lstrcmpiW(entry.szExeFile, imageName.c_str()) == 0;
    }
    ::CloseHandle(snapshot);
    return found;
}

// A run of the stand-in shell, explorer.exe that only waits; ended by its handle at the end.
class StubShell {
  public:
    StubShell() {
        const std::wstring exe = StubExplorer();
        std::wstring commandLine = L"\"" + exe + L"\"";
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &startup, &info)) {
            return;
        }
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        // Up once the system lists it under the shell's name, where the program looks for it.
        WaitUntil([&] { return Listed(info.dwProcessId, L"explorer.exe"); }, milliseconds(10000));
    }
    ~StubShell() {
        if (!process_) return;
        if (!Ended(process_)) {
            ::TerminateProcess(process_, 0);
            ::WaitForSingleObject(process_, 10000);
        }
        ::CloseHandle(process_);
    }
    StubShell(const StubShell&) = delete;
    StubShell& operator=(const StubShell&) = delete;

    bool Started() const { return process_ != nullptr && !Ended(process_); }
    HANDLE Process() const { return process_; }
    bool WaitForEnd(milliseconds timeout) const {
        return ::WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) ==
               WAIT_OBJECT_0;
    }

  private:
    HANDLE process_ = nullptr;
};

// Top-level windows of the program's process with that class.
struct WindowsOfClassSearch {
    DWORD processId;
    const std::wstring* className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfClass(HWND window, LPARAM param) {
    auto* find = reinterpret_cast<WindowsOfClassSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == find->processId && ::IsWindowVisible(window) &&
        ClassOf(window) == *find->className) {
        find->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> WindowsOfClass(const Program& program, const std::wstring& className) {
    WindowsOfClassSearch find{program.ProcessId(), &className, {}};
    ::EnumWindows(CollectWindowOfClass, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

HWND WaitForAboutWindow(const Program& program) {
    HWND about = nullptr;
    WaitUntil(
        [&] {
            const auto found = WindowsOfClass(program, L"VelmoraAboutWindow");
            about = found.empty() ? nullptr : found.front();
            return about != nullptr;
        },
        milliseconds(20000));
    return about;
}

// True when the box shows an icon: a visible static control of icon style holding one.
BOOL CALLBACK NoteIcon(HWND child, LPARAM param) {
    const LONG_PTR style = ::GetWindowLongPtrW(child, GWL_STYLE);
    if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
        ::IsWindowVisible(child) && ::SendMessageW(child, STM_GETICON, 0, 0) != 0) {
        *reinterpret_cast<bool*>(param) = true;
    }
    return TRUE;
}

bool ShowsIcon(HWND box) {
    bool icon = false;
    ::EnumChildWindows(box, NoteIcon, reinterpret_cast<LPARAM>(&icon));
    return icon;
}

// The box the program shows next, read and checked for what every box of these commands
// shares: owned by the main window, no icon. Answered with `answer`.
MessageBoxText ExpectBoxAndAnswer(const Program& program, int answer) {
    HWND box = program.WaitForMessageBox();
    if (!box) {
        ADD_FAILURE() << "no message box";
        return {};
    }
    const MessageBoxText read = program.ReadMessageBox(box);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), program.Main()) << Utf8(read.title);
    EXPECT_FALSE(ShowsIcon(box)) << Utf8(read.title);
    program.Answer(box, answer);
    EXPECT_FALSE(::IsWindow(box));
    return read;
}

// After a command: the program is idle again and shows no box.
void ExpectIdleWithoutBox(const Program& program) {
    EXPECT_TRUE(program.WaitIdle());
    HWND box = program.FindMessageBox();
    EXPECT_EQ(box, nullptr) << (box ? Utf8(program.ReadMessageBox(box).title) : "");
}

// The user's click: the mouse moved onto the control and its left button pressed and let go,
// through the system's input, which a disabled window does not receive.
void UserClick(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(x, 65535, width - 1);
        i.mi.dy = MulDiv(y, 65535, height - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
    }
    input[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
    input[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    ::SendInput(3, input, sizeof(INPUT));
}

// A file held open as another program would, without sharing its deletion.
class HeldFile {
  public:
    explicit HeldFile(const std::wstring& path)
        : file_(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~HeldFile() {
        if (Held()) ::CloseHandle(file_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return file_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE file_;
};

// A value of the desktop layout key; empty when it is missing.
Bytes DesktopLayoutValue(const std::wstring& name) {
    DWORD size = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopLayoutSubkey, name.c_str(), RRF_RT_ANY, nullptr,
                       nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    Bytes data(size);
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopLayoutSubkey, name.c_str(), RRF_RT_ANY, nullptr,
                       data.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    data.resize(size);
    return data;
}

// A layout export that sets the binary value `name` of the desktop layout key.
Bytes LayoutExportSetting(const std::wstring& name, const Bytes& data) {
    std::wstring hex;
    for (std::size_t i = 0; i < data.size(); ++i) {
        wchar_t byte[4];
        ::wsprintfW(byte, L"%02x", data[i]);
        hex += (i ? L"," : L"") + std::wstring(byte);
    }
    return RegExportText(L"[" + std::wstring(kDesktopLayoutKeyPath) + L"]\r\n\"" + name +
                         L"\"=hex:" + hex + L"\r\n\r\n");
}

// Loads e2e_font_probe.dll into the program and returns what it read of the labels' fonts.
std::vector<FontProbeRecord> ProbeLabelFonts(const Program& program) {
    const std::wstring result = FontProbeFile(program.ProcessId());
    ::DeleteFileW(result.c_str());
    const std::wstring dll = FontProbeDll();
    const SIZE_T size = (dll.size() + 1) * sizeof(wchar_t);
    void* remote = ::VirtualAllocEx(program.Process(), nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                    PAGE_READWRITE);
    if (!remote || !::WriteProcessMemory(program.Process(), remote, dll.c_str(), size, nullptr)) {
        return {};
    }
    // kernel32 lies at the same address in every process of one architecture.
    auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "LoadLibraryW")));
    HANDLE thread = ::CreateRemoteThread(program.Process(), nullptr, 0, load, remote, 0, nullptr);
    if (!thread) return {};
    ::WaitForSingleObject(thread, 30000);
    ::CloseHandle(thread);
    ::VirtualFreeEx(program.Process(), remote, 0, MEM_RELEASE);

    std::vector<FontProbeRecord> records;
    WaitUntil(
        [&] {
            HANDLE file = ::CreateFileW(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            records.resize(2);
            DWORD got = 0;
            ::ReadFile(file, records.data(), sizeof(FontProbeRecord) * 2, &got, nullptr);
            ::CloseHandle(file);
            records.resize(got / sizeof(FontProbeRecord));
            return true;
        },
        milliseconds(20000));
    ::DeleteFileW(result.c_str());
    return records;
}

// The position and size of a child window in its parent's client area.
RECT PlaceInParent(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};  // left, top, width, height
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right) +
           "x" + std::to_string(r.bottom);
}

std::string Describe(int left, int top, int width, int height) {
    return Describe(RECT{left, top, width, height});
}

const Bytes& Picture(COLORREF colour) {
    static std::map<COLORREF, Bytes> pictures;
    auto [it, added] = pictures.try_emplace(colour);
    if (added) it->second = SolidBmp(64, 36, 24, colour);
    return it->second;
}

// The preview's middle, where a fitted picture always shows.
constexpr int kPreviewX = layout::kPreviewWidth / 2, kPreviewY = layout::kPreviewHeight / 2;

// --- Delete ----------------------------------------------------------------------------------

const wchar_t kFirst[] = L"2024-03-01_08-00-00";
const wchar_t kSecond[] = L"2024-03-02_08-00-00";
const wchar_t kThird[] = L"2024-03-03_08-00-00";
constexpr COLORREF kFirstColour = RGB(200, 40, 40);
constexpr COLORREF kSecondColour = RGB(40, 180, 60);
constexpr COLORREF kThirdColour = RGB(40, 60, 210);

// Three backups with pictures of three colours, in the list in this order.
void AddThreeBackups(ProgramFolder& folder) {
    folder.AddBackup(kFirst, Picture(kFirstColour));
    folder.AddBackup(kSecond, Picture(kSecondColour));
    folder.AddBackup(kThird, Picture(kThirdColour));
}

std::wstring Reg(const std::wstring& name) {
    return L"data\\reg\\" + name + L".reg";
}
std::wstring Pic(const std::wstring& name) {
    return L"data\\pic\\" + name + L".jpg";
}

TEST(MaintenanceDelete, WithoutSelectionAsksForOneAndChangesNothing) {
    struct Case {
        const char* what;
        bool backups;
    };
    for (const Case& c : {Case{"no backups at all", false}, Case{"selection cleared", true}}) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        if (c.backups) AddThreeBackups(folder);
        Program program;
        ASSERT_TRUE(program.Start(folder));
        ::SendMessageW(program.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        const auto items = program.Items();

        program.Click(layout::kDeleteButton);
        const MessageBoxText box = ExpectBoxAndAnswer(program, IDOK);
        EXPECT_EQ(box.title, L"提示");
        EXPECT_EQ(box.text, L"请选择【历史备份记录】列表中需要删除的时间节点后重试");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});

        ExpectIdleWithoutBox(program);
        EXPECT_EQ(program.Items(), items);
        EXPECT_EQ(program.Selection(), -1);
        EXPECT_EQ(folder.Files(L"data\\reg").size(), c.backups ? 3u : 0u);
        EXPECT_EQ(folder.Files(L"data\\pic").size(), c.backups ? 3u : 0u);
        EXPECT_EQ(program.Close(), 0u);
    }
}

TEST(MaintenanceDelete, AsksBeforeDeletingAndNoKeepsEverything) {
    ProgramFolder folder;
    AddThreeBackups(folder);
    Program program;
    ASSERT_TRUE(program.Start(folder));
    ASSERT_TRUE(program.SelectByMouse(1));

    program.Click(layout::kDeleteButton);
    const MessageBoxText box = ExpectBoxAndAnswer(program, IDNO);
    EXPECT_EQ(box.title, L"警告");
    EXPECT_EQ(box.text, std::wstring(L"即将删除以下备份，是否确定删除：\r\n【") + kSecond + L"】");
    EXPECT_EQ(box.buttons, (std::vector<int>{IDYES, IDNO}));

    ExpectIdleWithoutBox(program);
    EXPECT_EQ(program.Items(), (std::vector<std::wstring>{kFirst, kSecond, kThird}));
    EXPECT_EQ(program.Selection(), 1);
    EXPECT_EQ(program.WaitForPreviewPixel(kPreviewX, kPreviewY, kSecondColour), kSecondColour);
    for (const wchar_t* name : {kFirst, kSecond, kThird}) {
        EXPECT_TRUE(folder.Exists(Reg(name))) << Utf8(name);
        EXPECT_TRUE(folder.Exists(Pic(name))) << Utf8(name);
    }
    EXPECT_EQ(program.Close(), 0u);
}

TEST(MaintenanceDelete, YesRemovesTheExportFirstThenThePictureAndTheEntry) {
    enum class Before { Nothing, HoldExport, HoldPicture, RemoveFiles };
    struct Case {
        const char* what;
        int pick;
        Before before;
        std::vector<std::wstring> items;  // the list afterwards
        COLORREF shown;                   // the preview afterwards, of the selected last entry
        bool exportStays, pictureStays;
        bool failureBox;
    };
    const Case cases[] = {
        {"the middle one", 1, Before::Nothing, {kFirst, kThird}, kThirdColour, false, false, false},
        {"the last one", 2, Before::Nothing, {kFirst, kSecond}, kSecondColour, false, false, false},
        // While its export stays, the backup exists: its picture and entry stay with it.
        {"export held open",
         1,
         Before::HoldExport,
         {kFirst, kSecond, kThird},
         kSecondColour,
         true,
         true,
         true},
        // A picture that cannot go is a stray file; the backup is gone with its export.
        {"picture held open",
         1,
         Before::HoldPicture,
         {kFirst, kThird},
         kThirdColour,
         false,
         true,
         false},
        {"files already gone",
         0,
         Before::RemoveFiles,
         {kSecond, kThird},
         kThirdColour,
         false,
         false,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder(L" 桌面 备份");
        AddThreeBackups(folder);
        Program program;
        ASSERT_TRUE(program.Start(folder));
        ASSERT_TRUE(program.SelectByMouse(c.pick));
        const std::wstring name = program.ItemText(c.pick);

        std::unique_ptr<HeldFile> held;
        if (c.before == Before::HoldExport || c.before == Before::HoldPicture) {
            held = std::make_unique<HeldFile>(
                folder.Join(c.before == Before::HoldExport ? Reg(name) : Pic(name)));
            ASSERT_TRUE(held->Held());
        }
        if (c.before == Before::RemoveFiles) {
            ASSERT_TRUE(::DeleteFileW(folder.Join(Reg(name)).c_str()));
            ASSERT_TRUE(::DeleteFileW(folder.Join(Pic(name)).c_str()));
        }

        program.Click(layout::kDeleteButton);
        const MessageBoxText confirm = ExpectBoxAndAnswer(program, IDYES);
        EXPECT_EQ(confirm.title, L"警告");
        if (c.failureBox) {
            const MessageBoxText failure = ExpectBoxAndAnswer(program, IDOK);
            EXPECT_EQ(failure.title, L"提示");
            EXPECT_EQ(failure.text, L"备份【" + name + L"】" + texts::kDeleteFailedTail);
            EXPECT_NE(failure.text.find(L"【" + name + L"】"), std::wstring::npos);
            EXPECT_NE(failure.text.find(L"无法删除"), std::wstring::npos);
            EXPECT_EQ(failure.buttons, std::vector<int>{IDOK});
        }
        ExpectIdleWithoutBox(program);

        EXPECT_EQ(program.Items(), c.items);
        const int last = static_cast<int>(c.items.size()) - 1;
        EXPECT_EQ(program.Selection(), c.failureBox ? c.pick : last);
        EXPECT_EQ(program.WaitForPreviewPixel(kPreviewX, kPreviewY, c.shown), c.shown);
        EXPECT_EQ(folder.Exists(Reg(name)), c.exportStays);
        EXPECT_EQ(folder.Exists(Pic(name)), c.pictureStays);
        for (const wchar_t* other : {kFirst, kSecond, kThird}) {
            if (other == name) continue;
            EXPECT_TRUE(folder.Exists(Reg(other)) && folder.Exists(Pic(other))) << Utf8(other);
        }
        held.reset();
        EXPECT_EQ(program.Close(), 0u);
    }
}

TEST(MaintenanceDelete, DeletingEveryBackupLeavesAnEmptyListWithoutSelection) {
    ProgramFolder folder;
    folder.AddBackup(kFirst, Picture(kFirstColour));
    folder.AddBackup(kSecond, Picture(kSecondColour));
    Program program;
    ASSERT_TRUE(program.Start(folder));
    for (int remaining = 2; remaining > 0; --remaining) {
        ASSERT_EQ(program.Selection(), remaining - 1);  // the last entry, selected by the program
        program.Click(layout::kDeleteButton);
        EXPECT_EQ(ExpectBoxAndAnswer(program, IDYES).title, L"警告");
        ExpectIdleWithoutBox(program);
        EXPECT_EQ(program.Count(), remaining - 1);
    }
    EXPECT_EQ(program.Selection(), -1);
    EXPECT_TRUE(folder.Files(L"data\\reg").empty());
    EXPECT_TRUE(folder.Files(L"data\\pic").empty());
    EXPECT_EQ(program.Close(), 0u);
}

// --- Restore ---------------------------------------------------------------------------------

const wchar_t kLayoutValue[] = L"IconLayouts";
const Bytes kBeforeRestore{0x00, 0x11, 0x22, 0x33};

TEST(MaintenanceRestore, HandsTheSelectedExportToTheShellWhichImportsIt) {
    ASSERT_TRUE(AssociateRegFilesWithRegedit());
    struct Case {
        const wchar_t* decoration;  // in the program folder's name
        int pick;
    };
    for (const Case& c : {Case{L"", 0}, Case{L" 桌面 备份", 1}}) {
        SCOPED_TRACE(Utf8(c.decoration));
        ProgramFolder folder(c.decoration);
        const Bytes layouts[2] = {{0x10, 0x20, 0x30, 0x40, 0x50}, {0xA1, 0xB2, 0xC3}};
        folder.WriteFile(Reg(kFirst), LayoutExportSetting(kLayoutValue, layouts[0]));
        folder.WriteFile(Reg(kSecond), LayoutExportSetting(kLayoutValue, layouts[1]));
        ASSERT_TRUE(SetDesktopLayoutValue(kLayoutValue, kBeforeRestore));
        Program program;
        ASSERT_TRUE(program.Start(folder));
        ASSERT_TRUE(program.SelectByMouse(c.pick));

        EXPECT_TRUE(program.ClickAndWait(layout::kRestoreButton));
        ExpectIdleWithoutBox(program);
        EXPECT_TRUE(WaitUntil([&] { return DesktopLayoutValue(kLayoutValue) == layouts[c.pick]; },
                              milliseconds(30000)));
        EXPECT_EQ(DesktopLayoutValue(kLayoutValue), layouts[c.pick]);
        // The shell's import ran on its own: the program stays as it was.
        EXPECT_TRUE(program.Running());
        EXPECT_EQ(program.Selection(), c.pick);
        EXPECT_EQ(program.Count(), 2);
        EXPECT_EQ(folder.Files(L"data\\reg").size(), 2u);
        EXPECT_EQ(program.Close(), 0u);
    }
}

TEST(MaintenanceRestore, WithoutSelectionAsksForOneAndImportsNothing) {
    ASSERT_TRUE(AssociateRegFilesWithRegedit());
    const Bytes stray{0xEE, 0xEE};
    struct Case {
        const char* what;
        bool backups;
    };
    for (const Case& c : {Case{"no backups at all", false}, Case{"selection cleared", true}}) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        if (c.backups) {
            folder.WriteFile(Reg(kFirst), LayoutExportSetting(kLayoutValue, stray));
        }
        ASSERT_TRUE(SetDesktopLayoutValue(kLayoutValue, kBeforeRestore));
        Program program;
        ASSERT_TRUE(program.Start(folder));
        ASSERT_EQ(program.Count(), c.backups ? 1 : 0);
        ::SendMessageW(program.List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        // A file named only ".reg", written after the listing: the path an empty name would make.
        folder.WriteFile(L"data\\reg\\.reg", LayoutExportSetting(kLayoutValue, stray));

        program.Click(layout::kRestoreButton);
        const MessageBoxText box = ExpectBoxAndAnswer(program, IDOK);
        EXPECT_EQ(box.title, L"提示");
        EXPECT_EQ(box.text, L"请选择【历史备份记录】列表中需要还原的时间节点后重试");
        EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
        ExpectIdleWithoutBox(program);

        // An import, when started, lands within a second or two.
        ::Sleep(4000);
        EXPECT_EQ(DesktopLayoutValue(kLayoutValue), kBeforeRestore);
        EXPECT_TRUE(ChildrenOf(program.ProcessId()).empty());
        EXPECT_EQ(program.Close(), 0u);
    }
}

// --- About -----------------------------------------------------------------------------------

struct AboutTexts {
    std::wstring caption, frame, help, author;
};

AboutTexts ReadAbout(const Program& program, HWND about) {
    HWND frame = ::GetDlgItem(about, layout::kHelpFrame);
    return {program.WindowText(about), program.WindowText(frame),
            program.WindowText(::GetDlgItem(frame, layout::kHelpLabel)),
            program.WindowText(::GetDlgItem(frame, layout::kAuthorLabel))};
}

void ExpectAboutTexts(const AboutTexts& read) {
    EXPECT_EQ(read.caption, L"关于软件");
    EXPECT_EQ(read.frame, L"使用说明：");
    EXPECT_EQ(read.help, texts::kHelpText);
    EXPECT_EQ(read.author.rfind(L"作者：", 0), 0u) << Utf8(read.author);
    EXPECT_EQ(read.author, texts::kAuthorLine);

    // In the code page the text was written for, the help text is 434 bytes.
    EXPECT_EQ(::WideCharToMultiByte(936, 0, read.help.data(), static_cast<int>(read.help.size()),
                                    nullptr, 0, nullptr, nullptr),
              434);
    // Eleven lines, three of them indented by eight blanks, and four empty lines after them.
    std::vector<std::wstring> lines;
    for (std::size_t from = 0, cut; (cut = read.help.find(L"\r\n", from)) != std::wstring::npos;
         from = cut + 2) {
        lines.push_back(read.help.substr(from, cut - from));
    }
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(read.help.size() - read.help.rfind(L"\r\n"), 2u);  // ends with its line break
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L""), 6);
    EXPECT_TRUE(
        std::all_of(lines.end() - 4, lines.end(), [](const std::wstring& l) { return l.empty(); }));
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::wstring& l) {
                                return l.rfind(L"        ", 0) == 0 && l[8] != L' ';
                            }),
              3);
    EXPECT_EQ(lines[0], L"Q1：备份桌面图标布局：");
}

TEST(MaintenanceAbout, ShowsItsWindowWithTheHelpTextTheLayoutAndTheLabelFonts) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder));
    program.Click(layout::kAboutButton);
    HWND about = WaitForAboutWindow(program);
    ASSERT_NE(about, nullptr);
    ASSERT_TRUE(program.WaitIdle());

    EXPECT_EQ(::GetWindow(about, GW_OWNER), program.Main());
    RECT outer{};
    ::GetWindowRect(about, &outer);
    EXPECT_EQ(Describe(outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top),
              Describe(50, 50, 574, 333));

    struct Expected {
        int id;
        bool inFrame;
        const wchar_t* className;
        int left, top, width, height;
    };
    const Expected controls[] = {
        {layout::kHelpFrame, false, L"Button", 8, 8, 552, 288},
        {layout::kHelpLabel, true, L"Static", 16, 24, 512, 248},
        {layout::kAuthorLabel, true, L"Static", 376, 256, 168, 24},
    };
    HWND frame = ::GetDlgItem(about, layout::kHelpFrame);
    for (const Expected& e : controls) {
        SCOPED_TRACE(e.id);
        HWND control = ::GetDlgItem(e.inFrame ? frame : about, e.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(ClassOf(control), e.className);
        EXPECT_TRUE(::IsWindowVisible(control));
        EXPECT_EQ(Describe(PlaceInParent(control)), Describe(e.left, e.top, e.width, e.height));
    }
    EXPECT_EQ(::GetWindowLongPtrW(frame, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    ExpectAboutTexts(ReadAbout(program, about));

    // Font handles mean something only in the program's process: read there.
    const std::vector<FontProbeRecord> fonts = ProbeLabelFonts(program);
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_NE(fonts[0].font, 0u);
    EXPECT_NE(fonts[1].font, 0u);
    EXPECT_NE(fonts[0].font, fonts[1].font);
    const int heights[2] = {-14, -15};
    for (int i = 0; i < 2; ++i) {
        const FontProbeRecord& f = fonts[i];
        const LOGFONTW& lf = f.logFont;
        SCOPED_TRACE(f.id);
        ASSERT_EQ(f.got, static_cast<int>(sizeof(LOGFONTW)));
        EXPECT_EQ(std::wstring(lf.lfFaceName), L"微软雅黑");
        EXPECT_EQ(lf.lfHeight, heights[i]);
        EXPECT_EQ(lf.lfWidth, 0);
        EXPECT_EQ(lf.lfEscapement, 0);
        EXPECT_EQ(lf.lfOrientation, 0);
        EXPECT_EQ(lf.lfWeight, 400);
        EXPECT_EQ(lf.lfItalic | lf.lfUnderline | lf.lfStrikeOut, 0);
        EXPECT_EQ(lf.lfCharSet, 134);
        EXPECT_EQ(lf.lfOutPrecision, 3);
        EXPECT_EQ(lf.lfClipPrecision, 2);
        EXPECT_EQ(lf.lfQuality, 1);
        EXPECT_EQ(lf.lfPitchAndFamily, 0x22);
    }

    ::PostMessageW(about, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }, milliseconds(10000)));
    EXPECT_EQ(program.Close(), 0u);
}

TEST(MaintenanceAbout, IsModalUntilEscapeClosesItAndOpensAgainTheSame) {
    ProgramFolder folder;  // no backups: the delete button would answer with a box
    Program program;
    ASSERT_TRUE(program.Start(folder));
    // Where the key goes: the window itself, the control with the focus, or another child.
    enum class Target { Window, Focus, HelpLabel };
    for (Target target : {Target::Window, Target::Focus, Target::HelpLabel}) {
        SCOPED_TRACE(static_cast<int>(target));
        ASSERT_TRUE(::IsWindowEnabled(program.Main()));
        UserClick(program.Control(layout::kAboutButton));
        HWND about = WaitForAboutWindow(program);
        ASSERT_NE(about, nullptr) << "the user's click opened no about window";
        ASSERT_TRUE(program.WaitIdle());
        EXPECT_FALSE(::IsWindowEnabled(program.Main()));
        ExpectAboutTexts(ReadAbout(program, about));

        // The main window takes no clicks while the about window is open.
        for (int button : {layout::kAboutButton, layout::kDeleteButton}) {
            UserClick(program.Control(button));
            ASSERT_TRUE(program.WaitIdle());
            ::Sleep(500);
            EXPECT_EQ(WindowsOfClass(program, L"VelmoraAboutWindow").size(), 1u) << button;
            EXPECT_EQ(program.FindMessageBox(), nullptr) << button;
        }

        HWND keyWindow = about;
        if (target == Target::HelpLabel) {
            keyWindow = ::GetDlgItem(::GetDlgItem(about, layout::kHelpFrame), layout::kHelpLabel);
        } else if (target == Target::Focus) {
            GUITHREADINFO info{sizeof info};
            if (::GetGUIThreadInfo(::GetWindowThreadProcessId(about, nullptr), &info) &&
                info.hwndFocus) {
                keyWindow = info.hwndFocus;
            }
        }
        ::PostMessageW(keyWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(about); }, milliseconds(10000)));
        ASSERT_TRUE(program.WaitIdle());
        EXPECT_TRUE(::IsWindowEnabled(program.Main()));
    }

    // Enabled again, the main window reacts to the user's clicks.
    UserClick(program.Control(layout::kDeleteButton));
    const MessageBoxText box = ExpectBoxAndAnswer(program, IDOK);
    EXPECT_EQ(box.title, L"提示");
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.Close(), 0u);
}

// --- Refresh ---------------------------------------------------------------------------------
// Last in this file: it ends every explorer.exe, the system's own shell included.

TEST(MaintenanceRefresh, EndsTheShellTwiceASecondApartAndStartsNothing) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder));

    StubShell first;
    ASSERT_TRUE(first.Started()) << Utf8(StubExplorer());
    const auto clicked = Clock::now();
    program.Click(layout::kRefreshButton);

    // Ended at once, by the program (a run that ends by itself exits with 0).
    ASSERT_TRUE(first.WaitForEnd(milliseconds(5000)));
    const auto firstEnded = Clock::now();
    EXPECT_EQ(ExitCode(first.Process()), 1u);

    // A shell started during the pause is ended by the second pass, about a second later.
    StubShell second;
    ASSERT_TRUE(second.Started());
    const auto secondStarted = Clock::now();
    EXPECT_FALSE(program.WaitIdle(milliseconds(100)));  // the window thread pauses
    ASSERT_LT(secondStarted - firstEnded, milliseconds(900)) << "started too late to tell";
    EXPECT_TRUE(second.WaitForEnd(milliseconds(5000)));
    const auto secondEnded = Clock::now();
    EXPECT_EQ(ExitCode(second.Process()), 1u);
    EXPECT_GE(secondEnded - firstEnded, milliseconds(800));
    EXPECT_LE(secondEnded - firstEnded, milliseconds(2500));

    ASSERT_TRUE(program.WaitIdle());
    EXPECT_GE(Clock::now() - clicked, milliseconds(1000));
    ExpectIdleWithoutBox(program);

    // The command is done: a shell started now stays.
    StubShell third;
    ASSERT_TRUE(third.Started());
    EXPECT_FALSE(third.WaitForEnd(milliseconds(2000)));

    // The program restarts no shell itself.
    EXPECT_EQ(ChildrenOf(program.ProcessId()), std::vector<std::wstring>{});
    EXPECT_TRUE(program.Running());
    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace e2e
