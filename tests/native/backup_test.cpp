#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "capture/backup.h"
#include "fake_services.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::FakeServices;

TEST(BackupName, TellsDateAndTimeSortableAndSafeForScriptsAndFileNames) {
    const Text name = DateTimeToText({2026, 1, 2, 3, 4, 5});
    EXPECT_EQ(name, L"2026-01-02_03-04-05");
    EXPECT_LT(DateTimeToText({2026, 9, 30, 23, 59, 59}), DateTimeToText({2026, 10, 1, 0, 0, 0}));
    EXPECT_LT(name, DateTimeToText({2026, 1, 2, 3, 4, 6}));
    EXPECT_EQ(DateTimeToText({2026, 12, 31, 23, 59, 59}).find_first_of(L" \\/:*?\"<>|%&^"),
              Text::npos);
}

TEST(BackupName, ExportLineBytesQuoteThePathAndNameTheDesktopKey) {
    FakeServices fake;
    const Bytes bytes = fake.TextToBytes(ExportLine(L"2026-12-11_09-05-07"));
    const std::string expected =
        "Regedit /E \"%cd%\\data\\reg\\2026-12-11_09-05-07.reg\" "
        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop";
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    EXPECT_EQ(bytes.size(), 97u + 19u);  // no line end, no terminating zero
}

TEST(BackupName, SuffixMakesANameThatNoFileOrEntryHolds) {
    FakeServices fake;
    const Text base = L"2026-12-11_09-05-07";
    EXPECT_EQ(MakeUniqueBackupName(fake, fake.directory, base), base);
    fake.files[fake.Reg(base)] = {};
    EXPECT_EQ(MakeUniqueBackupName(fake, fake.directory, base), base + L"_2");
    fake.files[fake.Pic(base + L"_2")] = {};  // a picture alone also takes the name
    fake.list.push_back(base + L"_3");        // and so does an entry whose files are gone
    EXPECT_EQ(MakeUniqueBackupName(fake, fake.directory, base), base + L"_4");
}

TEST(Backup, WritesPictureRunsTheScriptInTheProgramFolderAndListsTheNewBackup) {
    FakeServices fake;
    fake.AddBackup(L"older");
    fake.capture = Bytes(258, 0x42);
    OnBackupClicked(fake);
    const std::string dir = "C:\\Velmora";
    const std::string name = "2026-12-11_09-05-07";
    EXPECT_THAT(fake.calls,
                ElementsAre("WaitCursor on", "CurrentDateTime", "CaptureDesktop",
                            "WriteWholeFile " + dir + "\\data\\pic\\" + name + ".jpg 258",
                            "WriteWholeFile " + dir + "\\data\\reg\\" + name + ".cmd 116",
                            "RunCommandAndWait " + dir + "\\data\\reg\\" + name + ".cmd in " + dir,
                            "RemoveFile " + dir + "\\data\\reg\\" + name + ".cmd",
                            "AddItem " + name, "SetCurrentSelection 1",
                            "ReadWholeFile " + dir + "\\data\\pic\\" + name + ".jpg",
                            "SetPicture 258", "WaitCursor off"));
    EXPECT_THAT(fake.list, ElementsAre(L"older", L"2026-12-11_09-05-07"));
    EXPECT_FALSE(fake.FileExists(fake.directory + L"\\data\\reg\\2026-12-11_09-05-07.cmd"));
}

TEST(Backup, TwoBackupsInOneSecondKeepBothBackups) {
    FakeServices fake;
    fake.capture = {1};
    OnBackupClicked(fake);
    fake.capture = {2};
    OnBackupClicked(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"2026-12-11_09-05-07", L"2026-12-11_09-05-07_2"));
    EXPECT_EQ(fake.files[fake.Pic(L"2026-12-11_09-05-07")], Bytes{1});
    EXPECT_EQ(fake.files[fake.Pic(L"2026-12-11_09-05-07_2")], Bytes{2});
    EXPECT_EQ(fake.selection, 1);
}

TEST(Backup, MissingExportIsToldAndLeavesNothingBehind) {
    FakeServices fake;
    fake.AddBackup(L"older", {5});
    fake.selection = 0;
    fake.onRun = [](const Text&, const Text&) {};  // the Registry Editor wrote nothing
    const auto filesBefore = fake.files;
    OnBackupClicked(fake);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].title, L"提示");
    EXPECT_EQ(fake.boxes[0].buttons, Buttons::Ok);
    EXPECT_EQ(fake.files, filesBefore);
    EXPECT_THAT(fake.list, ElementsAre(L"older"));
    EXPECT_EQ(fake.selection, 0);
    EXPECT_FALSE(fake.waitCursor);
}

TEST(Backup, FailedCaptureStillMakesABackupWithAnEmptyPicture) {
    FakeServices fake;
    fake.capture = {};
    OnBackupClicked(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"2026-12-11_09-05-07"));
    EXPECT_TRUE(fake.files.at(fake.Pic(L"2026-12-11_09-05-07")).empty());
    EXPECT_TRUE(fake.picture.empty());
}

}  // namespace
}  // namespace velmora
