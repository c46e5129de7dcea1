// The run-time services against the real Win32 API: files and folders, the directory
// search, the script runner, the list box, with Unicode and blank paths.
#include <windows.h>

#include <gtest/gtest.h>

#include "catalogue/list_files.h"
#include "runtime/win32_services.h"

namespace velmora {
namespace {

class Folder {
  public:
    explicit Folder(const Text& leaf) {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        path_ = Text(temp) + leaf + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~Folder() {
        Text from = path_ + L'\0';
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        (void)::SHFileOperationW(&op);  // a leftover temp folder is harmless
    }
    const Text& path() const { return path_; }

  private:
    Text path_;
};

class Services : public ::testing::TestWithParam<const wchar_t*> {
  protected:
    Win32Services services;
};

TEST_P(Services, FilesRoundTripAndMissingFoldersAreCreated) {
    Folder folder(GetParam());
    const Text file = folder.path() + L"\\data\\pic\\备份 1.jpg";
    EXPECT_FALSE(services.FileExists(file));
    EXPECT_TRUE(services.ReadWholeFile(file).empty());

    const Bytes bytes{0, 1, 2, 0xFF, 'B', 'M'};
    ASSERT_TRUE(services.WriteWholeFile(file, bytes));
    EXPECT_TRUE(services.FileExists(file));
    EXPECT_EQ(services.ReadWholeFile(file), bytes);
    EXPECT_FALSE(services.FileExists(file + L".part"));  // nothing left of the write

    ASSERT_TRUE(services.WriteWholeFile(file, {}));  // replaced by an empty file
    EXPECT_TRUE(services.FileExists(file));
    EXPECT_TRUE(services.ReadWholeFile(file).empty());

    EXPECT_EQ(services.RemoveFile(file), RemoveResult::Removed);
    EXPECT_EQ(services.RemoveFile(file), RemoveResult::Missing);
    EXPECT_FALSE(services.FileExists(folder.path() + L"\\data"));  // a folder is no file
}

TEST_P(Services, DirectorySearchListsMatchingFilesOnly) {
    Folder folder(GetParam());
    const Text reg = folder.path() + L"\\data\\reg\\";
    for (const wchar_t* name : {L"a.reg", L"中文 名.reg", L"b.cmd"}) {
        ASSERT_TRUE(services.WriteWholeFile(reg + name, {'x'}));
    }
    ::CreateDirectoryW((reg + L"folder.reg").c_str(), nullptr);

    std::vector<Text> names;
    EXPECT_EQ(ListFiles(services, reg, L"*.reg", names, false), 2);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<Text>{L"a.reg", L"中文 名.reg"}));

    EXPECT_EQ(ListFiles(services, folder.path() + L"\\missing", L"*.reg", names, true), 0);
    EXPECT_TRUE(names.empty());
}

TEST_P(Services, ScriptRunsHiddenInTheGivenFolderWhateverItsPath) {
    Folder folder(GetParam());
    const Text script = folder.path() + L"\\data\\reg\\run me.cmd";
    const std::string line = "echo done> \"%cd%\\data\\out.txt\"";
    ASSERT_TRUE(services.WriteWholeFile(script, Bytes(line.begin(), line.end())));
    EXPECT_TRUE(services.RunCommandAndWait(script, folder.path()));
    const Bytes out = services.ReadWholeFile(folder.path() + L"\\data\\out.txt");
    EXPECT_EQ(std::string(out.begin(), out.end()).substr(0, 4), "done");
}

INSTANTIATE_TEST_SUITE_P(Paths, Services,
                         ::testing::Values(L"velmora", L"velmora with blanks ", L"备份工具 "));

TEST(ServicesWithoutFolder, ExportLineBytesFollowTheAnsiCodePage) {
    Win32Services services;
    const Bytes ascii = services.TextToBytes(L"Regedit /E \"%cd%\"");
    EXPECT_EQ(std::string(ascii.begin(), ascii.end()), "Regedit /E \"%cd%\"");
    if (::GetACP() == 936) {
        EXPECT_EQ(services.TextToBytes(L"备份"), (Bytes{0xB1, 0xB8, 0xB7, 0xDD}));
    }
    EXPECT_EQ(services.ProgramDirectory().back() == L'\\', false);
    EXPECT_TRUE(services.FileExists(services.ProgramDirectory() + L"\\windows_tests.exe"));
}

TEST(ServicesWithoutFolder, LockedFileCannotBeRemovedAndSaysSo) {
    Folder folder(L"velmora-lock");
    Win32Services services;
    const Text file = folder.path() + L"\\held.reg";
    ASSERT_TRUE(services.WriteWholeFile(file, {'R'}));
    HANDLE held = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(services.RemoveFile(file), RemoveResult::Failed);
    EXPECT_TRUE(services.FileExists(file));
    ::CloseHandle(held);
    EXPECT_EQ(services.RemoveFile(file), RemoveResult::Removed);
}

TEST(ServicesWithoutFolder, ListBoxOperationsFollowTheList) {
    HWND list = ::CreateWindowExW(0, L"LISTBOX", L"", LBS_NOTIFY, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(list, nullptr);
    Win32Services services;
    services.Attach(nullptr, list, nullptr, nullptr);
    EXPECT_EQ(services.CurrentSelection(), -1);
    services.AddItems({L"c", L"a", L"备份 b"});
    services.AddItem(L"d");
    EXPECT_EQ(services.ItemCount(), 4);
    EXPECT_EQ(services.ItemText(2), L"备份 b");  // unsorted, as added
    EXPECT_EQ(services.ItemText(-1), L"");
    EXPECT_EQ(services.ItemText(4), L"");
    services.SetCurrentSelection(3);
    EXPECT_EQ(services.CurrentSelection(), 3);
    services.DeleteItem(1);
    EXPECT_EQ(services.ItemText(1), L"备份 b");
    services.SetCurrentSelection(-1);
    EXPECT_EQ(services.CurrentSelection(), -1);
    ::DestroyWindow(list);
}

TEST(ServicesWithoutFolder, QuitTakenByThePumpReachesTheMainLoop) {
    Win32Services services;
    ::PostQuitMessage(7);
    EXPECT_FALSE(services.PumpPendingMessages());
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_TRUE(services.PumpPendingMessages());
}

}  // namespace
}  // namespace velmora
