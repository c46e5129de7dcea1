// What the program promises whatever lies in its folders and however it is used: a backup in
// the list exists on disk, every failure is told with nothing half-written left behind, and no
// file can crash it or make it act on another file than the one named.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "resources/layout.h"
#include "resources/texts.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

namespace layout = velmora::layout;
namespace texts = velmora::texts;
using std::chrono::steady_clock;

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

COLORREF Blank() {
    return ::GetSysColor(COLOR_BTNFACE);
}

long long MillisecondsSince(steady_clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(steady_clock::now() - start).count();
}

std::wstring EnvironmentValue(const wchar_t* name) {
    wchar_t buffer[8192];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 8192);
    return length > 0 && length < 8192 ? std::wstring(buffer, length) : std::wstring();
}

// Sets a variable of the driver's environment, which the program started meanwhile inherits,
// and puts the old value back at the end.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const wchar_t* name, const std::wstring& value)
        : name_(name), old_(EnvironmentValue(name)) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedEnvironment() {
        ::SetEnvironmentVariableW(name_, old_.empty() ? nullptr : old_.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const wchar_t* name_;
    std::wstring old_;
};

Bytes Ascii(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

Bytes FromHex(const char* hex) {
    Bytes out;
    for (const char* p = hex; p[0] && p[1]; p += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::strtoul(std::string(p, 2).c_str(), nullptr, 16)));
    }
    return out;
}

void PutU32At(Bytes& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutU16At(Bytes& bytes, std::size_t at, unsigned v) {
    bytes[at] = static_cast<std::uint8_t>(v);
    bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// Every file below a folder of the program folder, as "sub\\name", sorted.
std::vector<std::wstring> FilesBelow(const ProgramFolder& folder, const std::wstring& relative) {
    std::vector<std::wstring> found;
    std::vector<std::wstring> pending{relative};
    while (!pending.empty()) {
        const std::wstring at = pending.back();
        pending.pop_back();
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((folder.Join(at) + L"\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                pending.push_back(at + L"\\" + name);
            } else {
                found.push_back(at + L"\\" + name);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// The backup names the export folder holds, as the list should show them.
std::vector<std::wstring> ExportsOnDisk(const ProgramFolder& folder) {
    std::vector<std::wstring> names;
    for (const std::wstring& file : folder.Files(L"data\\reg", L"*.reg")) {
        names.push_back(file.substr(0, file.size() - 4));
    }
    return Sorted(names);
}

int IndexOf(const Program& program, const std::wstring& name) {
    const std::vector<std::wstring> items = program.Items();
    const auto at = std::find(items.begin(), items.end(), name);
    return at == items.end() ? -1 : static_cast<int>(at - items.begin());
}

// A layout export that sets one DWORD value of the desktop layout key: which file the shell
// imported shows in the registry.
Bytes ExportSetting(const std::wstring& valueName, DWORD value) {
    wchar_t hex[16];
    ::wsprintfW(hex, L"%08x", value);
    return RegExportText(L"[" + std::wstring(kDesktopLayoutKeyPath) + L"]\r\n\"" + valueName +
                         L"\"=dword:" + hex + L"\r\n\r\n");
}

DWORD LayoutDword(const std::wstring& valueName) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopLayoutSubkey, valueName.c_str(), RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS) {
        return 0;
    }
    return value;
}

class Reliability : public testing::Test {
  protected:
    void SetUp() override {
        // The key a backup exports, so that the Registry Editor has something to write.
        ASSERT_TRUE(SetDesktopLayoutValue(L"IconLayouts", {0x00, 0x01, 0x02, 0x03}));
        ASSERT_TRUE(SetDesktopLayoutDword(L"FFlags", 0x40200224));
    }

    static StartOptions WithDesktop() {
        StartOptions options;
        options.desktop = true;
        return options;
    }

    // Expects one message box with that text, closes it and waits for the command's end.
    static void ExpectMessage(const Program& program, const wchar_t* text) {
        HWND box = program.WaitForMessageBox(milliseconds(60000));
        ASSERT_NE(box, nullptr) << "no message for: " << Utf8(text);
        EXPECT_EQ(program.ReadMessageBox(box).text, text);
        program.Answer(box, IDOK);
        EXPECT_TRUE(program.WaitIdle());
    }

    // A delete of the entry with that name, confirmed.
    static bool DeleteEntry(const Program& program, const std::wstring& name) {
        const int index = IndexOf(program, name);
        if (index < 0 || !program.SelectByMouse(index)) return false;
        program.Click(layout::kDeleteButton);
        HWND box = program.WaitForMessageBox();
        if (!box) return false;
        program.Answer(box, IDYES);
        return program.WaitIdle() && program.FindMessageBox() == nullptr;
    }
};

// --- Many exports ----------------------------------------------------------------------------

TEST_F(Reliability, HundredThousandExportsAreListedWhileTheWindowAnswers) {
    constexpr int kExports = 100000;
    // Made before the run (make_many_exports.sh): the driver would need minutes under Wine.
    std::wstring made = EnvironmentValue(L"VELMORA_E2E_MANY_EXPORTS");
    if (made.empty()) GTEST_SKIP() << "VELMORA_E2E_MANY_EXPORTS names no prepared folder";
    if (made[0] == L'/') made = L"Z:" + made;
    std::replace(made.begin(), made.end(), L'/', L'\\');
    const std::wstring exe = made + L"\\velmora.exe";
    ASSERT_TRUE(::CopyFileW(VelmoraExe().c_str(), exe.c_str(), FALSE));

    // The window answers within 200 ms while the folder is read and the list filled.
    Program program;
    StartOptions options;
    options.waitForList = false;
    const auto started = steady_clock::now();
    ASSERT_TRUE(program.Start(exe, options));
    long long slowest = 0, listed = -1;
    int samples = 0, late = 0;
    while (MillisecondsSince(started) < 300000) {
        const auto asked = steady_clock::now();
        DWORD_PTR result = 0;
        const bool answered =
            ::SendMessageTimeoutW(program.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 200, &result) != 0;
        slowest = std::max(slowest, MillisecondsSince(asked));
        ++samples;
        if (!answered) {
            ++late;
            std::printf("late answer at %lld ms with %d entries listed\n",
                        MillisecondsSince(started), program.Count());
        }
        if (answered && program.Count() == kExports) {
            listed = MillisecondsSince(started);
            break;
        }
        ::Sleep(50);
    }
    std::printf("listed %d exports in %lld ms; %d samples, slowest answer %lld ms, %d late\n",
                kExports, listed, samples, slowest, late);
    EXPECT_GE(listed, 0) << "the listing did not finish";
    EXPECT_EQ(late, 0);
    EXPECT_LE(slowest, 200);
    EXPECT_EQ(program.Selection(), kExports - 1);
    EXPECT_EQ(program.Close(), 0u);

    // Closed in the middle of the listing: the program ends at once and cleanly.
    Program closing;
    ASSERT_TRUE(closing.Start(exe, options));
    ::Sleep(300);
    const auto asked = steady_clock::now();
    EXPECT_EQ(closing.Close(milliseconds(30000)), 0u);
    std::printf("closed during the listing in %lld ms\n", MillisecondsSince(asked));
}

// --- Names the program did not make ----------------------------------------------------------

TEST_F(Reliability, ForeignNamesAreListedShownDeletedAndRestoredExactly) {
    ASSERT_TRUE(AssociateRegFilesWithRegedit());
    struct Backup {
        std::wstring name;
        COLORREF colour;  // of its picture; Blank() for none
        bool hidden;
    };
    const std::vector<Backup> backups = {
        {L"桌面 布局 备份", RGB(200, 30, 30), false},
        // 201 characters, 245 bytes in UTF-8 with ".reg": as long as Wine's Linux side takes.
        {std::wstring(20, L'长') + L" " + std::wstring(180, L'n'), RGB(30, 200, 30), false},
        {L" 前后有空格 ", RGB(30, 30, 200), false},
        {L"隐藏的备份", RGB(200, 200, 30), true},
        {L"空导出", Blank(), false},  // a zero-byte export without picture
    };
    ProgramFolder folder;
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const Backup& b = backups[i];
        const std::wstring reg = L"data\\reg\\" + b.name + L".reg";
        folder.WriteFile(reg,
                         b.colour == Blank() ? Bytes{} : ExportSetting(L"ForeignPick", 0x100 + i));
        if (b.colour != Blank())
            folder.WriteFile(L"data\\pic\\" + b.name + L".jpg", SolidBmp(16, 9, 24, b.colour));
        if (b.hidden) {
            ASSERT_TRUE(::SetFileAttributesW(folder.Join(reg).c_str(), FILE_ATTRIBUTE_HIDDEN));
        }
    }
    // Files and folders beside them that name no backup.
    folder.WriteFile(L"data\\reg\\.reg", ExportSetting(L"ForeignPick", 0xBAD));
    folder.WriteFile(L"data\\pic\\.jpg", SolidBmp(16, 9, 24, RGB(1, 2, 3)));
    folder.WriteFile(L"data\\reg\\x.reg\\inside.reg", ExportSetting(L"ForeignPick", 0xBAD));
    folder.WriteFile(L"data\\reg\\桌面 布局 备份.reg.bak", {});
    folder.WriteFile(L"data\\reg\\桌面 布局 备份.regx", {});
    folder.WriteFile(L"data\\pic\\桌面 布局 备份.jpg.bak", {});
    const std::vector<std::wstring> strangers = {
        L"data\\pic\\.jpg",
        L"data\\pic\\桌面 布局 备份.jpg.bak",
        L"data\\reg\\.reg",
        L"data\\reg\\x.reg\\inside.reg",
        L"data\\reg\\桌面 布局 备份.reg.bak",
        L"data\\reg\\桌面 布局 备份.regx",
    };

    Program program;
    ASSERT_TRUE(program.Start(folder));
    std::vector<std::wstring> expected;
    for (const Backup& b : backups) expected.push_back(b.name);
    EXPECT_EQ(Sorted(program.Items()), Sorted(expected));

    // Each entry shows its own picture, or none.
    for (const Backup& b : backups) {
        SCOPED_TRACE(Utf8(b.name));
        const int index = IndexOf(program, b.name);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(program.SelectByMouse(index));
        EXPECT_EQ(Hex(program.WaitForPreviewPixel(layout::kPreviewWidth / 2,
                                                  layout::kPreviewHeight / 2, b.colour)),
                  Hex(b.colour));
    }

    // A restore imports exactly the selected file.
    for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {
        SCOPED_TRACE(Utf8(backups[i].name));
        ASSERT_TRUE(SetDesktopLayoutDword(L"ForeignPick", 0));
        ASSERT_TRUE(program.SelectByMouse(IndexOf(program, backups[i].name)));
        EXPECT_TRUE(program.ClickAndWait(layout::kRestoreButton));
        EXPECT_TRUE(WaitUntil([&] { return LayoutDword(L"ForeignPick") == 0x100 + i; },
                              milliseconds(30000)));
        EXPECT_EQ(LayoutDword(L"ForeignPick"), 0x100 + i);
        EXPECT_EQ(program.FindMessageBox(), nullptr);
    }

    // Each delete removes the named backup's two files and nothing else.
    for (const Backup& b : backups) {
        SCOPED_TRACE(Utf8(b.name));
        const std::vector<std::wstring> before = FilesBelow(folder, L"data");
        ASSERT_TRUE(DeleteEntry(program, b.name));
        std::vector<std::wstring> gone;
        for (const std::wstring& file : before) {
            if (!folder.Exists(file)) gone.push_back(file);
        }
        std::vector<std::wstring> own = {L"data\\reg\\" + b.name + L".reg"};
        if (b.colour != Blank()) own.push_back(L"data\\pic\\" + b.name + L".jpg");
        EXPECT_EQ(Sorted(gone), Sorted(own));
        EXPECT_EQ(IndexOf(program, b.name), -1);
    }
    EXPECT_EQ(program.Count(), 0);
    EXPECT_EQ(FilesBelow(folder, L"data"), strangers);
    EXPECT_EQ(program.Close(), 0u);
}

// --- Paths longer than MAX_PATH --------------------------------------------------------------

TEST_F(Reliability, DeepProgramFolderShowsAndDeletesAndTellsThatItCannotBackUp) {
    // The deepest folder the system still starts velmora.exe from (its path below MAX_PATH),
    // with backups whose files lie beyond MAX_PATH.
    std::size_t base = 0;
    {
        ProgramFolder probe;
        base = probe.Path().size();
    }
    const std::size_t target = MAX_PATH - 24;
    ASSERT_LT(base + 12, target);
    std::wstring decoration;
    while (base + decoration.size() < target) {
        decoration +=
            L"\\" +
            std::wstring(std::min<std::size_t>(60, target - base - decoration.size()), L'd');
    }
    ProgramFolder folder(decoration.substr(0, target - base));
    const std::wstring first = L"2020-01-01_00-00-00 " + std::wstring(30, L'l');
    const std::wstring second = L"2020-01-01_00-00-01 " + std::wstring(30, L'l');
    folder.AddBackup(first, SolidBmp(16, 9, 24, RGB(0, 0, 255)));
    folder.AddBackup(second, SolidBmp(16, 9, 24, RGB(0, 255, 0)));
    ASSERT_GT(folder.Join(L"data\\reg\\" + first + L".reg").size(),
              static_cast<std::size_t>(MAX_PATH));

    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()))
        << "velmora.exe did not start from " << folder.Path().size() << " characters";
    EXPECT_EQ(Sorted(program.Items()), (std::vector<std::wstring>{first, second}));
    ASSERT_TRUE(program.SelectByMouse(IndexOf(program, second)));
    EXPECT_EQ(Hex(program.WaitForPreviewPixel(layout::kPreviewWidth / 2, layout::kPreviewHeight / 2,
                                              RGB(0, 255, 0))),
              Hex(RGB(0, 255, 0)));

    // The backup cannot run its script there: it says so and writes nothing.
    const std::vector<std::wstring> before = FilesBelow(folder, L"data");
    program.Click(layout::kBackupButton);
    ExpectMessage(program, texts::kBackupPathTooLong);
    EXPECT_EQ(FilesBelow(folder, L"data"), before);
    EXPECT_EQ(program.Count(), 2);

    // Deleting works with the long paths.
    ASSERT_TRUE(DeleteEntry(program, first));
    EXPECT_EQ(FilesBelow(folder, L"data"),
              (std::vector<std::wstring>{L"data\\pic\\" + second + L".jpg",
                                         L"data\\reg\\" + second + L".reg"}));
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{second});
    EXPECT_EQ(program.Close(), 0u);
}

// --- Folders and programs the backup cannot use ----------------------------------------------

TEST_F(Reliability, PictureFolderThatIsAFileKeepsTheLayoutAndTellsThePreviewIsBlank) {
    ProgramFolder folder;
    folder.AddBackup(L"2020-01-01_00-00-00");
    folder.WriteFile(L"data\\pic", Ascii("not a folder"));
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));

    program.Click(layout::kBackupButton);
    ExpectMessage(program, texts::kSnapshotNotSaved);
    const std::vector<std::wstring> items = program.Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(program.Selection(), 1);
    EXPECT_EQ(Sorted(items), ExportsOnDisk(folder));
    EXPECT_FALSE(folder.ReadFile(L"data\\reg\\" + items[1] + L".reg").empty());
    EXPECT_EQ(folder.ReadFile(L"data\\pic"), Ascii("not a folder"));
    EXPECT_EQ(FilesBelow(folder, L"data"),
              (std::vector<std::wstring>{L"data\\pic", L"data\\reg\\2020-01-01_00-00-00.reg",
                                         L"data\\reg\\" + items[1] + L".reg"}));
    EXPECT_EQ(Hex(program.WaitForPreviewPixel(layout::kPreviewWidth / 2, layout::kPreviewHeight / 2,
                                              Blank())),
              Hex(Blank()));
    EXPECT_EQ(program.Close(), 0u);
}

TEST_F(Reliability, RegistryEditorNotFoundIsToldAndLeavesNothing) {
    ProgramFolder folder;
    folder.AddBackup(L"2020-01-01_00-00-00", SolidBmp(16, 9, 24, RGB(0, 0, 255)));
    folder.WriteFile(L"empty-path\\readme.txt", Ascii("no programs here"));
    const std::vector<std::wstring> before = FilesBelow(folder, L"data");
    Program program;
    {
        ScopedEnvironment path(L"PATH", folder.Join(L"empty-path"));
        ASSERT_TRUE(program.Start(folder, WithDesktop()));
    }
    program.Click(layout::kBackupButton);
    ExpectMessage(program, texts::kBackupFailed);
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{L"2020-01-01_00-00-00"});
    EXPECT_EQ(FilesBelow(folder, L"data"), before);
    EXPECT_EQ(program.Close(), 0u);
}

// --- Ended during a backup -------------------------------------------------------------------

TEST_F(Reliability, BackupEndedHalfwayIsNeverListedAndTheNextBackupWorks) {
    ProgramFolder folder;
    folder.AddBackup(L"2020-01-01_00-00-00");
    // A Registry Editor found first on the path, which waits until it is let go.
    const std::wstring slow = folder.Join(L"slow-regedit");
    folder.WriteFile(L"slow-regedit\\Regedit.cmd", Ascii("@echo off\r\n"
                                                         "echo x> \"" +
                                                         Utf8(slow) +
                                                         "\\started\"\r\n"
                                                         ":wait\r\n"
                                                         "if exist \"" +
                                                         Utf8(slow) +
                                                         "\\release\" goto end\r\n"
                                                         "goto wait\r\n"
                                                         ":end\r\n"
                                                         "echo x> \"" +
                                                         Utf8(slow) +
                                                         "\\ended\"\r\n"
                                                         "exit /b 1\r\n"));
    {
        Program program;
        {
            ScopedEnvironment path(L"PATH", slow + L";" + EnvironmentValue(L"PATH"));
            ASSERT_TRUE(program.Start(folder, WithDesktop()));
        }
        program.Click(layout::kBackupButton);
        ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"slow-regedit\\started"); },
                              milliseconds(60000)));
        ASSERT_EQ(folder.Files(L"data\\reg", L"*.cmd").size(), 1u);
        ::TerminateProcess(program.Process(), 1);
        EXPECT_NE(program.WaitForExit(milliseconds(10000)), STILL_ACTIVE);
        folder.WriteFile(L"slow-regedit\\release", {});
        EXPECT_TRUE(
            WaitUntil([&] { return folder.Exists(L"slow-regedit\\ended"); }, milliseconds(30000)));
    }
    const std::vector<std::wstring> halfway = FilesBelow(folder, L"data");
    std::printf("left by the ended backup:");
    for (const std::wstring& file : halfway) std::printf(" %s", Utf8(file).c_str());
    std::printf("\n");

    // Leftovers of other ended backups, named as the backups of the coming minutes would be: a
    // script that fails, a half-written picture.
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    FILETIME at;
    ::SystemTimeToFileTime(&now, &at);
    for (int second = 0; second < 180; ++second) {
        ULARGE_INTEGER t{{at.dwLowDateTime, at.dwHighDateTime}};
        t.QuadPart += static_cast<ULONGLONG>(second) * 10000000ull;
        FILETIME f{t.LowPart, t.HighPart};
        SYSTEMTIME s;
        ::FileTimeToSystemTime(&f, &s);
        wchar_t name[32];
        std::swprintf(name, 32, L"%04d-%02d-%02d_%02d-%02d-%02d", s.wYear, s.wMonth, s.wDay,
                      s.wHour, s.wMinute, s.wSecond);
        folder.WriteFile(L"data\\reg\\" + std::wstring(name) + L".cmd", Ascii("exit /b 1\r\n"));
        folder.WriteFile(L"data\\pic\\" + std::wstring(name) + L".jpg.part", Ascii("BM"));
    }

    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{L"2020-01-01_00-00-00"});
    ASSERT_TRUE(program.ClickBackupAndWait());
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    const std::vector<std::wstring> items = program.Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(Sorted(items), ExportsOnDisk(folder));
    EXPECT_FALSE(folder.ReadFile(L"data\\reg\\" + items[1] + L".reg").empty());
    EXPECT_FALSE(folder.Exists(L"data\\reg\\" + items[1] + L".cmd"));
    EXPECT_FALSE(folder.Exists(L"data\\pic\\" + items[1] + L".jpg.part"));
    EXPECT_GE(folder.ReadFile(L"data\\pic\\" + items[1] + L".jpg").size(), 58u);
    EXPECT_EQ(program.Close(), 0u);
}

// --- Pictures --------------------------------------------------------------------------------

TEST_F(Reliability, BrokenOrForeignPicturesShowBlankOrRightNeverCrash) {
    const COLORREF blue = RGB(0, 0, 255);
    const Bytes good = SolidBmp(16, 9, 24, blue);
    const auto with = [&](auto change) {
        Bytes b = good;
        change(b);
        return b;
    };
    struct Case {
        const wchar_t* name;
        Bytes bytes;
        COLORREF shows;
    };
    const std::vector<Case> cases = {
        {L"a-good", good, blue},
        {L"b-truncated", Bytes(good.begin(), good.begin() + 200), Blank()},
        {L"c-header-only", Bytes(good.begin(), good.begin() + 54), Blank()},
        {L"d-offbits-past-end", with([](Bytes& b) { PutU32At(b, 10, 0xFFFFFFF0u); }), Blank()},
        {L"e-offbits-in-header", with([](Bytes& b) { PutU32At(b, 10, 20); }), Blank()},
        {L"f-width-0", with([](Bytes& b) { PutU32At(b, 18, 0); }), Blank()},
        {L"g-height-0", with([](Bytes& b) { PutU32At(b, 22, 0); }), Blank()},
        {L"h-width-negative",
         with([](Bytes& b) { PutU32At(b, 18, static_cast<std::uint32_t>(-16)); }), Blank()},
        {L"i-height-negative",
         with([](Bytes& b) { PutU32At(b, 22, static_cast<std::uint32_t>(-9)); }),
         blue},  // top-down rows: a valid picture
        {L"j-sides-overflow", with([](Bytes& b) {
             PutU32At(b, 18, 0x10000);
             PutU32At(b, 22, 0x10000);
         }),
         Blank()},
        {L"k-sides-int-max", with([](Bytes& b) {
             PutU32At(b, 18, 0x7FFFFFFF);
             PutU32At(b, 22, 0x80000000u);
         }),
         Blank()},
        {L"l-size-image-lies", with([](Bytes& b) { PutU32At(b, 34, 0xFFFFFFFFu); }), blue},
        {L"m-size-image-0", with([](Bytes& b) { PutU32At(b, 34, 0); }), blue},
        {L"n-1-bit", with([](Bytes& b) { PutU16At(b, 28, 1); }), Blank()},
        {L"o-4-bit", with([](Bytes& b) { PutU16At(b, 28, 4); }), Blank()},
        {L"p-8-bit", with([](Bytes& b) { PutU16At(b, 28, 8); }), Blank()},
        {L"q-rle8", with([](Bytes& b) {
             PutU16At(b, 28, 8);
             PutU32At(b, 30, 1);
         }),
         Blank()},
        {L"r-bitfields", with([](Bytes& b) {
             PutU16At(b, 28, 32);
             PutU32At(b, 30, 3);
         }),
         Blank()},
        {L"s-png",
         FromHex("89504E470D0A1A0A0000000D494844520000000200000002010300000048789F6700"
                 "000003504C54450000FF8A78D2570000000C4944415408D7636060600000000400"
                 "012734270A0000000049454E44AE426082"),
         Blank()},
        {L"t-jpeg",
         FromHex("FFD8FFE000104A46494600010100000100010000FFDB004300100B0C0E0C0A100E0D"
                 "0E1211101318281A181616183123251D283A333D3C3933383740485C4E4044574537"
                 "38506D51575F626768673E4D71797064785C656763FFC00011080001000103012200"
                 "021101031101FFC4001500010100000000000000000000000000000006FFDA000C03"
                 "010002110311003F008D01782BFFD9"),
         Blank()},
        {L"u-empty", {}, Blank()},
    };
    ProgramFolder folder;
    for (const Case& c : cases) {
        folder.WriteFile(L"data\\reg\\" + std::wstring(c.name) + L".reg", {});
        folder.WriteFile(L"data\\pic\\" + std::wstring(c.name) + L".jpg", c.bytes);
    }
    Program program;
    ASSERT_TRUE(program.Start(folder));
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.name));
        const int index = IndexOf(program, c.name);
        ASSERT_GE(index, 0);
        ASSERT_TRUE(program.SelectByMouse(index)) << "the window stopped answering";
        EXPECT_EQ(Hex(program.WaitForPreviewPixel(layout::kPreviewWidth / 2,
                                                  layout::kPreviewHeight / 2, c.shows)),
                  Hex(c.shows));
        ASSERT_TRUE(program.Running());
    }
    EXPECT_EQ(program.FindMessageBox(), nullptr);
    EXPECT_EQ(program.Close(), 0u);
}

// --- Long use --------------------------------------------------------------------------------

struct Usage {
    DWORD handles = 0;
    DWORD gdi = 0, user = 0;  // GetGuiResources: always 0 under Wine, which does not count them
    SIZE_T privateBytes = 0;
};

// Handles and memory as the program's process sees them (through the injected stand-in
// desktop's exports), GDI and USER objects as the system counts them for it.
Usage UsageOf(const Program& program) {
    Usage usage;
    usage.handles = program.CallInProgram("E2eHandleCount", nullptr);
    usage.privateBytes =
        static_cast<SIZE_T>(program.CallInProgram("E2ePrivateKiB", nullptr)) * 1024;
    usage.gdi = ::GetGuiResources(program.Process(), GR_GDIOBJECTS);
    usage.user = ::GetGuiResources(program.Process(), GR_USEROBJECTS);
    return usage;
}

void Print(const char* when, int cycle, const Usage& u) {
    std::printf("%s (cycle %d): handles %lu, GDI %lu, USER %lu, private %llu KiB\n", when, cycle,
                static_cast<unsigned long>(u.handles), static_cast<unsigned long>(u.gdi),
                static_cast<unsigned long>(u.user),
                static_cast<unsigned long long>(u.privateBytes / 1024));
}

// One program makes and deletes backups over and over: its handles and memory stay flat, and
// the list always equals the exports on disk. VELMORA_E2E_SOAK_CYCLES sets the number of
// cycles (50 by default; 1000 for the long run).
TEST_F(Reliability, SoakBackupAndDeleteKeepResourcesFlatAndListEqualToDisk) {
    const std::wstring asked = EnvironmentValue(L"VELMORA_E2E_SOAK_CYCLES");
    const int cycles = asked.empty() ? 50 : std::max(2, _wtoi(asked.c_str()));
    ProgramFolder folder;
    folder.AddBackup(L"2020-01-01_00-00-00", SolidBmp(16, 9, 24, RGB(0, 0, 255)));
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));

    const auto cycle = [&](int n) {
        SCOPED_TRACE(n);
        if (!program.ClickBackupAndWait() || program.FindMessageBox() != nullptr) return false;
        const std::vector<std::wstring> items = program.Items();
        EXPECT_EQ(Sorted(items), ExportsOnDisk(folder));
        if (items.size() != 2 || !DeleteEntry(program, items.back())) return false;
        EXPECT_EQ(program.Items(), ExportsOnDisk(folder));
        EXPECT_EQ(FilesBelow(folder, L"data"),
                  (std::vector<std::wstring>{L"data\\pic\\2020-01-01_00-00-00.jpg",
                                             L"data\\reg\\2020-01-01_00-00-00.reg"}));
        return !testing::Test::HasFailure();
    };
    // Warm-up: the first backup loads what every later one reuses.
    for (int n = 0; n < 2; ++n) ASSERT_TRUE(cycle(n));
    const Usage start = UsageOf(program);
    Print("start", 2, start);
    Usage peak = start;
    const auto began = steady_clock::now();
    for (int n = 2; n < cycles + 2; ++n) {
        ASSERT_TRUE(cycle(n)) << "cycle " << n;
        if (n % 25 == 0) {
            const Usage now = UsageOf(program);
            peak.handles = std::max(peak.handles, now.handles);
            peak.privateBytes = std::max(peak.privateBytes, now.privateBytes);
            Print("sample", n, now);
        }
    }
    const Usage end = UsageOf(program);
    Print("end", cycles + 2, end);
    std::printf("%d cycles in %lld ms; peak handles %lu, peak private %llu KiB\n", cycles,
                MillisecondsSince(began), static_cast<unsigned long>(peak.handles),
                static_cast<unsigned long long>(peak.privateBytes / 1024));
    ASSERT_NE(start.handles, 0xFFFFFFFFu);
    ASSERT_NE(start.privateBytes, SIZE_T{0xFFFFFFFF} * 1024);
    EXPECT_LE(end.handles, start.handles + 10);
    EXPECT_LE(end.gdi, start.gdi + 10);
    EXPECT_LE(end.user, start.user + 10);
    EXPECT_LE(end.privateBytes, start.privateBytes + 4 * 1024 * 1024);
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{L"2020-01-01_00-00-00"});
    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace e2e
