// A click on "备份当前桌面": the desktop's picture and the export of the desktop layout key
// land in the program's data folders, and the list and the preview show the new backup.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "resources/layout.h"
#include "resources/texts.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

namespace layout = velmora::layout;
using std::chrono::steady_clock;

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// The colour at (x, y), y from the top, of an uncompressed 24 or 32 bit BMP file.
COLORREF BmpPixel(const Bytes& bmp, int x, int y) {
    const int width = static_cast<int>(U32(bmp, 18));
    const int height = static_cast<int>(U32(bmp, 22));
    const int bits = bmp[28] | bmp[29] << 8;
    const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
    const int row = height > 0 ? height - 1 - y : y;
    const std::size_t at = U32(bmp, 10) + row * stride + static_cast<std::size_t>(x) * bits / 8;
    return RGB(bmp[at + 2], bmp[at + 1], bmp[at]);
}

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

class BackupTest : public testing::Test {
  protected:
    void SetUp() override {
        // As the shell keeps it: the icon positions in a binary value, flags beside them.
        ASSERT_TRUE(SetDesktopLayoutValue(L"IconLayouts", {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01,
                                                           0x00, 0x56, 0x45, 0x4C, 0x4D}));
        ASSERT_TRUE(SetDesktopLayoutDword(L"FFlags", 0x40200224));
    }

    StartOptions WithDesktop() {
        StartOptions options;
        options.desktop = true;
        return options;
    }

    // Checks everything one successful backup leaves: its files, the list and the preview.
    void ExpectBackup(const ProgramFolder& folder, Program& program,
                      const std::vector<std::wstring>& before) {
        const std::vector<std::wstring> items = program.Items();
        ASSERT_EQ(items.size(), before.size() + 1);
        EXPECT_TRUE(std::equal(before.begin(), before.end(), items.begin()));
        const std::wstring name = items.back();
        EXPECT_EQ(program.Selection(), static_cast<int>(items.size()) - 1);

        const Bytes snapshot = folder.ReadFile(L"data\\pic\\" + name + L".jpg");
        ASSERT_GE(snapshot.size(), 58u) << "no snapshot for " << Utf8(name);
        EXPECT_EQ(snapshot[0], 'B');
        EXPECT_EQ(snapshot[1], 'M');
        EXPECT_EQ(U32(snapshot, 14), 44u);  // the info block with its one colour entry
        EXPECT_EQ(U32(snapshot, 10), 58u);
        EXPECT_EQ(U32(snapshot, 2), snapshot.size());
        EXPECT_EQ(static_cast<int>(U32(snapshot, 18)), desktop::kWidth);
        EXPECT_EQ(static_cast<int>(U32(snapshot, 22)), desktop::kHeight);
        EXPECT_EQ(Hex(BmpPixel(snapshot, desktop::kWidth / 4, desktop::kHeight / 2)),
                  Hex(desktop::kLeftColour));
        EXPECT_EQ(Hex(BmpPixel(snapshot, desktop::kWidth * 3 / 4, desktop::kHeight / 2)),
                  Hex(desktop::kRightColour));

        const std::wstring exported = DecodeText(folder.ReadFile(L"data\\reg\\" + name + L".reg"));
        EXPECT_NE(exported.find(L"[" + std::wstring(kDesktopLayoutKeyPath) + L"]"),
                  std::wstring::npos)
            << Utf8(exported);
        EXPECT_NE(exported.find(L"\"IconLayouts\"=hex:"), std::wstring::npos) << Utf8(exported);
        EXPECT_NE(exported.find(L"\"FFlags\"=dword:40200224"), std::wstring::npos);
        EXPECT_EQ(folder.Files(L"data\\reg", L"*.cmd"), std::vector<std::wstring>{});
        EXPECT_EQ(folder.Files(L"data\\pic", L"*.part"), std::vector<std::wstring>{});

        // The desktop is 16:9 like the preview: its halves fill the preview's halves.
        const int y = layout::kPreviewHeight / 2;
        EXPECT_EQ(
            Hex(program.WaitForPreviewPixel(layout::kPreviewWidth / 4, y, desktop::kLeftColour)),
            Hex(desktop::kLeftColour));
        EXPECT_EQ(Hex(program.WaitForPreviewPixel(layout::kPreviewWidth * 3 / 4, y,
                                                  desktop::kRightColour)),
                  Hex(desktop::kRightColour));
    }
};

// Program folders whose paths the export script must carry whole.
const wchar_t* const kDecorations[] = {L"", L" with blank", L"-桌面 备份"};

TEST_F(BackupTest, WritesSnapshotAndExportAndShowsTheNewEntry) {
    for (const wchar_t* decoration : kDecorations) {
        SCOPED_TRACE(Utf8(decoration));
        ProgramFolder folder(decoration);
        folder.AddBackup(L"2020-01-01_00-00-00");
        Program program;
        ASSERT_TRUE(program.Start(folder, WithDesktop()));
        const std::vector<std::wstring> before = program.Items();
        ASSERT_TRUE(program.ClickBackupAndWait());
        EXPECT_EQ(program.FindMessageBox(), nullptr);
        ExpectBackup(folder, program, before);
        EXPECT_EQ(program.Close(), 0u);
    }
}

TEST_F(BackupTest, ExportLandsInTheProgramFolderWhateverTheWorkingDirectory) {
    ProgramFolder folder;
    ProgramFolder elsewhere(L"-cwd");
    StartOptions options = WithDesktop();
    options.workingDirectory = elsewhere.Path();
    Program program;
    ASSERT_TRUE(program.Start(folder, options));
    ASSERT_TRUE(program.ClickBackupAndWait());
    ExpectBackup(folder, program, {});
    EXPECT_FALSE(elsewhere.Exists(L"data"));
    EXPECT_EQ(program.Close(), 0u);
}

TEST_F(BackupTest, CreatesTheDataFoldersWhenMissing) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));
    ASSERT_FALSE(folder.Exists(L"data"));
    ASSERT_TRUE(program.ClickBackupAndWait());
    ExpectBackup(folder, program, {});
    EXPECT_EQ(program.Close(), 0u);
}

TEST_F(BackupTest, TwoQuickBackupsKeepTwoDistinctBackups) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));
    // Two clicks in a row, queued as the user's are: the second waits for the first backup.
    // Sent just after the clock turns a second, so both backups mostly fall within it.
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    const WORD second = now.wSecond;
    WaitUntil(
        [&] {
            ::GetLocalTime(&now);
            return now.wSecond != second;
        },
        std::chrono::milliseconds(2000), std::chrono::milliseconds(1));
    program.PostClick(layout::kBackupButton);
    program.PostClick(layout::kBackupButton);
    ASSERT_TRUE(WaitUntil([&] { return program.Count() == 2; }, std::chrono::milliseconds(60000)));
    ASSERT_TRUE(program.WaitIdle());
    const std::vector<std::wstring> items = program.Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_NE(items[0], items[1]);
    for (const std::wstring& name : items) {
        EXPECT_TRUE(folder.Exists(L"data\\reg\\" + name + L".reg")) << Utf8(name);
        EXPECT_TRUE(folder.Exists(L"data\\pic\\" + name + L".jpg")) << Utf8(name);
    }
    std::printf("two quick backups: %s, %s\n", Utf8(items[0]).c_str(), Utf8(items[1]).c_str());
    EXPECT_EQ(program.Selection(), 1);
    EXPECT_EQ(program.Close(), 0u);
}

TEST_F(BackupTest, MissingLayoutKeyTellsTheUserAndLeavesNothingBehind) {
    ASSERT_TRUE(DeleteDesktopLayoutKey());
    ProgramFolder folder;
    folder.AddBackup(L"2020-01-01_00-00-00");
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));
    program.Click(layout::kBackupButton);
    HWND box = program.WaitForMessageBox(std::chrono::milliseconds(60000));
    ASSERT_NE(box, nullptr);
    const MessageBoxText read = program.ReadMessageBox(box);
    EXPECT_EQ(read.title, velmora::texts::kHintTitle);
    EXPECT_EQ(read.text, velmora::texts::kBackupFailed);
    EXPECT_EQ(read.buttons, std::vector<int>{IDOK});
    program.Answer(box, IDOK);
    ASSERT_TRUE(program.WaitIdle());
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{L"2020-01-01_00-00-00"});
    EXPECT_EQ(folder.Files(L"data\\pic"), std::vector<std::wstring>{});
    EXPECT_EQ(folder.Files(L"data\\reg"), std::vector<std::wstring>{L"2020-01-01_00-00-00.reg"});
    EXPECT_EQ(program.Close(), 0u);
}

TEST_F(BackupTest, TimeOfOneBackup) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder, WithDesktop()));
    std::vector<long long> times;
    for (int i = 0; i < 10; ++i) {
        const auto start = steady_clock::now();
        ASSERT_TRUE(program.ClickBackupAndWait());
        times.push_back(
            std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - start)
                .count());
    }
    EXPECT_EQ(program.Count(), 10);
    std::sort(times.begin(), times.end());
    std::printf("backup: median %lld ms of 10 (fastest %lld ms, slowest %lld ms)\n",
                (times[4] + times[5]) / 2, times.front(), times.back());
    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace e2e
