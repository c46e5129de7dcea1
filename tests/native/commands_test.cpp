#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "commands/commands.h"
#include "fake_services.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::FakeServices;

class Delete : public ::testing::Test {
  protected:
    void SetUp() override {
        fake.AddBackup(L"a", {1});
        fake.AddBackup(L"b", {2});
        fake.AddBackup(L"c", {3});
    }
    FakeServices fake;
};

TEST_F(Delete, WithoutSelectionOnlyAsksForOne) {
    const auto files = fake.files;
    OnDeleteClicked(fake);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"请选择【历史备份记录】列表中需要删除的时间节点后重试");
    EXPECT_EQ(fake.boxes[0].title, L"提示");
    EXPECT_EQ(fake.boxes[0].buttons, Buttons::Ok);
    EXPECT_EQ(fake.files, files);
    EXPECT_EQ(fake.list.size(), 3u);
    EXPECT_EQ(fake.picture, Bytes{'?'});
}

TEST_F(Delete, NoChangesNothing) {
    fake.selection = 1;
    fake.answers = {Answer::No};
    const auto files = fake.files;
    OnDeleteClicked(fake);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"即将删除以下备份，是否确定删除：\r\n【b】");
    EXPECT_EQ(fake.boxes[0].title, L"警告");
    EXPECT_EQ(fake.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(fake.files, files);
    EXPECT_EQ(fake.selection, 1);
    EXPECT_THAT(fake.calls, ElementsAre("ShowMessageBox 警告"));
}

TEST_F(Delete, YesOnAMiddleEntryRemovesExportThenPictureThenEntryAndShowsTheLast) {
    fake.selection = 1;
    fake.answers = {Answer::Yes};
    OnDeleteClicked(fake);
    EXPECT_THAT(fake.calls,
                ElementsAre("ShowMessageBox 警告", "RemoveFile C:\\Velmora\\data\\reg\\b.reg",
                            "RemoveFile C:\\Velmora\\data\\pic\\b.jpg", "DeleteItem 1",
                            "SetCurrentSelection 1", "ReadWholeFile C:\\Velmora\\data\\pic\\c.jpg",
                            "SetPicture 1"));
    EXPECT_THAT(fake.list, ElementsAre(L"a", L"c"));
    EXPECT_EQ(fake.picture, Bytes{3});
    EXPECT_EQ(fake.files.count(fake.Reg(L"b")) + fake.files.count(fake.Pic(L"b")), 0u);
}

TEST_F(Delete, TheOnlyEntryLeavesAnEmptyListAndABlankPreview) {
    FakeServices one;
    one.AddBackup(L"only");
    one.selection = 0;
    one.answers = {Answer::Yes};
    OnDeleteClicked(one);
    EXPECT_TRUE(one.list.empty());
    EXPECT_TRUE(one.files.empty());
    EXPECT_EQ(one.selection, -1);
    EXPECT_TRUE(one.picture.empty());
}

TEST_F(Delete, FilesAlreadyGoneStillRemoveTheEntry) {
    fake.files.clear();
    fake.selection = 2;
    fake.answers = {Answer::Yes};
    OnDeleteClicked(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"a", L"b"));
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(Delete, ExportThatCannotBeRemovedKeepsTheBackupWholeAndSaysSo) {
    fake.selection = 0;
    fake.answers = {Answer::Yes};
    fake.lockedFiles = {fake.Reg(L"a")};
    const auto files = fake.files;
    OnDeleteClicked(fake);
    EXPECT_EQ(fake.files, files);
    EXPECT_THAT(fake.list, ElementsAre(L"a", L"b", L"c"));
    EXPECT_EQ(fake.selection, 0);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].title, L"提示");
    EXPECT_NE(fake.boxes[1].text.find(L"【a】"), Text::npos);
}

TEST(Restore, OpensTheSelectedExportOnceAndNothingElse) {
    FakeServices fake;
    fake.AddBackup(L"a");
    fake.AddBackup(L"桌面 b");
    fake.selection = 1;
    OnRestoreClicked(fake);
    EXPECT_THAT(fake.calls, ElementsAre("ShellOpenFile C:\\Velmora\\data\\reg\\桌面 b.reg"));
    EXPECT_TRUE(fake.boxes.empty());
}

TEST(Restore, WithoutSelectionMakesNoShellRequestAndGivesAHint) {
    FakeServices fake;
    fake.files[fake.Reg(L"")] = {'R'};  // a stray ".reg" must never be imported
    OnRestoreClicked(fake);
    EXPECT_THAT(fake.calls, ElementsAre("ShowMessageBox 提示"));
    EXPECT_EQ(fake.boxes[0].text, L"请选择【历史备份记录】列表中需要还原的时间节点后重试");
}

TEST(Refresh, EndsTheShellTwiceOneSecondApartAndStartsNothing) {
    FakeServices fake;
    OnRefreshClicked(fake);
    EXPECT_THAT(fake.calls, ElementsAre("TerminateProcessesByName explorer.exe", "WaitCursor on",
                                        "SleepMilliseconds 1000", "WaitCursor off",
                                        "TerminateProcessesByName explorer.exe"));
}

}  // namespace
}  // namespace velmora
