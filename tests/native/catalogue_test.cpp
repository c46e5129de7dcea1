#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "catalogue/list_files.h"
#include "fake_services.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::FakeServices;

struct SearchPathCase {
    const wchar_t* directory;
    bool prefix;
    const char* searched;
    const wchar_t* firstEntry;
};

class ListFilesPaths : public ::testing::TestWithParam<SearchPathCase> {};

TEST_P(ListFilesPaths, SearchesOneFolderAndNamesEntries) {
    const SearchPathCase& c = GetParam();
    FakeServices fake;
    fake.listing = {L"a.reg", L"b.reg"};
    std::vector<Text> result{L"stale"};
    EXPECT_EQ(ListFiles(fake, c.directory, L"*.reg", result, c.prefix), 2);
    EXPECT_THAT(fake.calls, ElementsAre(std::string("SearchFirst ") + c.searched, "SearchClose"));
    ASSERT_EQ(result.size(), 2u);
    EXPECT_EQ(result[0], c.firstEntry);
}

INSTANTIATE_TEST_SUITE_P(
    Directories, ListFilesPaths,
    ::testing::Values(SearchPathCase{L"C:\\x", false, "C:\\x\\*.reg", L"a.reg"},
                      SearchPathCase{L"C:\\x\\", false, "C:\\x\\*.reg", L"a.reg"},
                      SearchPathCase{L"C:\\x", true, "C:\\x\\*.reg", L"C:\\x\\a.reg"},
                      SearchPathCase{L"C:\\x\\", true, "C:\\x\\*.reg", L"C:\\x\\a.reg"},
                      SearchPathCase{L"C:\\x/", false, "C:\\x/\\*.reg", L"a.reg"},
                      SearchPathCase{L"", false, "\\*.reg", L"a.reg"}));

TEST(ListFiles, NoMatchEmptiesAStaleListAndStillClosesTheSearch) {
    FakeServices fake;
    std::vector<Text> result{L"old1", L"old2"};
    EXPECT_EQ(ListFiles(fake, L"C:\\missing", L"*.reg", result, false), 0);
    EXPECT_TRUE(result.empty());
    EXPECT_THAT(fake.calls, ElementsAre("SearchFirst C:\\missing\\*.reg", "SearchClose"));
}

TEST(ListFiles, PumpsAfterEveryNameAndStopsWhenThePogramQuits) {
    FakeServices fake;
    for (int i = 0; i < 10; ++i) fake.listing.push_back(std::to_wstring(i) + L".reg");
    std::vector<Text> result;
    EXPECT_EQ(ListFiles(fake, L"C:\\x", L"*.reg", result, false), 10);
    EXPECT_EQ(fake.pumps, 10);

    FakeServices quitting;
    quitting.listing = fake.listing;
    quitting.quitAfterPumps = 3;
    EXPECT_EQ(ListFiles(quitting, L"C:\\x", L"*.reg", result, false), 3);
    EXPECT_EQ(quitting.calls.back(), "SearchClose");
}

TEST(Catalogue, BackupNameIsTheFileNameMinusExactlyFourCharacters) {
    EXPECT_EQ(BackupNameOfFile(L"2026-12-11_09-05-07.reg"), L"2026-12-11_09-05-07");
    EXPECT_EQ(BackupNameOfFile(L"桌面 布局.reg"), L"桌面 布局");
    EXPECT_EQ(BackupNameOfFile(L"ABC~1.REG"), L"ABC~1");
    EXPECT_EQ(BackupNameOfFile(L".reg"), L"");
    EXPECT_EQ(BackupNameOfFile(L"x"), L"");
}

TEST(Catalogue, StartListsInSearchOrderSelectsTheLastAndShowsItsPicture) {
    FakeServices fake;
    fake.listing = {L"c.reg", L"a.reg", L"b.reg"};
    fake.files[fake.Pic(L"b")] = {1, 2, 3};
    OnMainWindowCreated(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"c", L"a", L"b"));
    EXPECT_EQ(fake.selection, 2);
    EXPECT_EQ(fake.picture, (Bytes{1, 2, 3}));
    EXPECT_THAT(fake.calls,
                ElementsAre("SearchFirst C:\\Velmora\\data\\reg\\*.reg", "SearchClose",
                            "AddItems 3", "SetCurrentSelection 2",
                            "ReadWholeFile C:\\Velmora\\data\\pic\\b.jpg", "SetPicture 3"));
}

TEST(Catalogue, EmptyFolderGivesNoSelectionAndABlankPreviewWithoutReadingAnyFile) {
    FakeServices fake;
    fake.files[fake.directory + L"\\data\\pic\\.jpg"] = {9};  // never shown for "no selection"
    OnMainWindowCreated(fake);
    EXPECT_TRUE(fake.list.empty());
    EXPECT_EQ(fake.selection, -1);
    EXPECT_TRUE(fake.picture.empty());
    for (const std::string& call : fake.calls)
        EXPECT_EQ(call.find("ReadWholeFile"), std::string::npos);
}

TEST(Catalogue, SelectingShowsThatEntrysPictureReadAfreshEachTime) {
    FakeServices fake;
    fake.AddBackup(L"a", {1});
    fake.AddBackup(L"b", {2});
    fake.selection = 0;
    OnBackupSelected(fake);
    EXPECT_EQ(fake.picture, Bytes{1});
    fake.files[fake.Pic(L"a")] = {7, 7};  // replaced on disk: nothing is cached
    OnBackupSelected(fake);
    EXPECT_EQ(fake.picture, (Bytes{7, 7}));
    fake.files.erase(fake.Pic(L"a"));
    OnBackupSelected(fake);
    EXPECT_TRUE(fake.picture.empty());
}

}  // namespace
}  // namespace velmora
