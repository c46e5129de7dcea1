// Files the program did not make and folders it cannot use: the list names only real layout
// exports, and a backup that cannot be made whole is told.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "capture/backup.h"
#include "catalogue/catalogue.h"
#include "fake_services.h"
#include "resources/texts.h"

namespace velmora {
namespace {

using ::testing::ElementsAre;
using testing::FakeServices;

TEST(ForeignNames, OnlyNamesEndingInRegAfterSomethingAreLayoutExports) {
    struct Case {
        const wchar_t* file;
        bool isExport;
    };
    const Case cases[] = {
        {L"2026-12-11_09-05-07.reg", true},
        {L"桌面 布局.reg", true},
        {L"x.REG", true},
        {L"x.Reg", true},
        {L".reg.reg", true},
        {L".reg", false},
        {L"reg", false},
        {L"", false},
        {L"abcdef.regx", false},
        {L"abcdef.re", false},
        {L"x.reg ", false},
        {L"x.rég", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsLayoutExportName(c.file), c.isExport) << testing::Narrow(c.file);
    }
}

TEST(ForeignNames, StartListsOnlyLayoutExportsAndNeverAnEmptyName) {
    FakeServices fake;
    // As the directory search may yield them: a long name found by its short name, ".reg".
    fake.listing = {L"a.reg", L".reg", L"abcdef.regx", L"b.REG", Text(200, L'长') + L".reg"};
    OnMainWindowCreated(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"a", L"b", Text(200, L'长')));
    EXPECT_EQ(fake.selection, 2);
}

TEST(ManyExports, TheListIsFilledInBatchesWithMessagesHandledBetweenThem) {
    FakeServices fake;
    for (int i = 0; i < 2500; ++i) fake.listing.push_back(std::to_wstring(i) + L".reg");
    OnMainWindowCreated(fake);
    EXPECT_THAT(std::vector<std::string>(fake.calls.begin() + 2, fake.calls.begin() + 5),
                ElementsAre("AddItems 1000", "AddItems 1000", "AddItems 500"));
    EXPECT_EQ(fake.pumps, 2500 + 2);  // one per name read, one between batches
    EXPECT_EQ(fake.list.size(), 2500u);
    EXPECT_EQ(fake.selection, 2499);

    FakeServices quitting;
    quitting.listing = fake.listing;
    quitting.quitAfterPumps = 2500 + 1;  // asked to quit once the first batch is in
    OnMainWindowCreated(quitting);
    EXPECT_EQ(quitting.list.size(), 1000u);
    EXPECT_EQ(quitting.calls.back(), "AddItems 1000");
}

TEST(ForeignNames, ClockNameOfAnyFieldsIsWholeAndHoldsOnlyDigitsDashesAndUnderscores) {
    // A clock reading beyond its ranges once overran the name's buffer.
    struct Case {
        int field;
        std::size_t length;
    };
    for (const Case c : {Case{INT_MIN, 71}, Case{-1, 19}, Case{99999, 35}, Case{INT_MAX, 65}}) {
        const int v = c.field;
        const Text name = DateTimeToText({v, v, v, v, v, v});
        EXPECT_EQ(name.size(), c.length) << testing::Narrow(name);
        EXPECT_EQ(name.find_first_not_of(L"0123456789-_"), Text::npos);
    }
}

TEST(BackupLimits, TooLongAProgramFolderIsToldBeforeAnythingIsWritten) {
    FakeServices fake;
    // "\data\reg\" (10) + the name (19) + ".reg" (4) make 33 characters after the folder.
    fake.directory = L"C:\\" + Text(kMaxBackupPathLength - 33 - 3 + 1, L'd');
    OnBackupClicked(fake);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, texts::kBackupPathTooLong);
    EXPECT_TRUE(fake.files.empty());
    EXPECT_TRUE(fake.list.empty());
    EXPECT_FALSE(fake.waitCursor);

    FakeServices fits;
    fits.directory = L"C:\\" + Text(kMaxBackupPathLength - 33 - 3, L'd');
    OnBackupClicked(fits);
    EXPECT_TRUE(fits.boxes.empty());
    EXPECT_THAT(fits.list, ElementsAre(L"2026-12-11_09-05-07"));
}

TEST(BackupLimits, UnwritableSnapshotKeepsTheBackupWithABlankPreviewAndTellsSo) {
    FakeServices fake;
    fake.unwritable.insert(fake.Pic(L"2026-12-11_09-05-07"));
    OnBackupClicked(fake);
    EXPECT_THAT(fake.list, ElementsAre(L"2026-12-11_09-05-07"));
    EXPECT_TRUE(fake.FileExists(fake.Reg(L"2026-12-11_09-05-07")));
    EXPECT_TRUE(fake.picture.empty());
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, texts::kSnapshotNotSaved);
    EXPECT_FALSE(fake.waitCursor);
}

}  // namespace
}  // namespace velmora
