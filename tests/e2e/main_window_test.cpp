// The main window as the user meets it: its frame and controls, the list and the preview.
#include <gtest/gtest.h>

#include "resources/layout.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

namespace layout = velmora::layout;

TEST(Smoke, StartsListsAndClosesWithExitCodeZero) {
    ProgramFolder folder;
    folder.AddBackup(L"2024-01-02_03-04-05", SolidBmp(64, 36, 24, RGB(10, 20, 30)));
    Program program;
    ASSERT_TRUE(program.Start(folder));
    EXPECT_EQ(program.WindowText(program.Main()), L"Velmora");
    EXPECT_EQ(program.Items(), std::vector<std::wstring>{L"2024-01-02_03-04-05"});
    EXPECT_EQ(program.Selection(), 0);
    EXPECT_EQ(program.Close(), 0u);
}

}  // namespace
}  // namespace e2e
