// The main window as the user meets it: its frame and controls, the backup list, the preview,
// and closing it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "resources/layout.h"
#include "tests/e2e/harness.h"

namespace e2e {
namespace {

namespace layout = velmora::layout;
using std::chrono::steady_clock;

// Fixture pictures are 16:9 like the preview, so they fill it and its centre shows them.
constexpr int kPictureWidth = 96, kPictureHeight = 54;
constexpr int kCentreX = layout::kPreviewWidth / 2, kCentreY = layout::kPreviewHeight / 2;

COLORREF Blank() {
    return ::GetSysColor(COLOR_BTNFACE);
}

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

#define EXPECT_PREVIEW(program, colour) \
    EXPECT_EQ(Hex((program).WaitForPreviewPixel(kCentreX, kCentreY, (colour))), Hex(colour))

std::vector<std::wstring> Names(std::initializer_list<const wchar_t*> names) {
    return {names.begin(), names.end()};
}

TEST(Smoke, MainWindowShowsCaptionAndControls) {
    ProgramFolder folder;
    Program program;
    ASSERT_TRUE(program.Start(folder));
    EXPECT_EQ(program.WindowText(program.Main()), L"Velmora");
    for (const layout::Control& c : layout::kMainControls) {
        EXPECT_NE(program.Control(c.id), nullptr) << Utf8(c.name);
    }
    EXPECT_EQ(program.Close(), 0u);
}

TEST(Smoke, ListIsFilledAndLastEntrySelected) {
    ProgramFolder folder;
    for (const wchar_t* name : {L"2024-01-02_03-04-05", L"2024-01-02_03-04-06"}) {
        folder.AddBackup(name, SolidBmp(kPictureWidth, kPictureHeight, 24, RGB(10, 20, 30)));
    }
    Program program;
    ASSERT_TRUE(program.Start(folder));
    EXPECT_EQ(program.Items(), Names({L"2024-01-02_03-04-05", L"2024-01-02_03-04-06"}));
    EXPECT_EQ(program.Selection(), 1);
    EXPECT_EQ(program.Close(), 0u);
}

class MainWindowTest : public testing::Test {
  protected:
    ProgramFolder folder_;
    Program program_;
};

TEST_F(MainWindowTest, WindowAndControlsSitWhereTheLayoutPutsThem) {
    ASSERT_TRUE(program_.Start(folder_));
    RECT window{}, client{};
    ::GetWindowRect(program_.Main(), &window);
    ::GetClientRect(program_.Main(), &client);
    const int frameWidth = (window.right - window.left) - client.right;
    const int frameHeight = (window.bottom - window.top) - client.bottom;
    // The layout's size, grown where a thick frame leaves less than the content needs.
    EXPECT_EQ(window.left, layout::kMainWindow.left);
    EXPECT_EQ(window.top, layout::kMainWindow.top);
    EXPECT_EQ(window.right - window.left,
              std::max(layout::kMainWindow.width, layout::kMainClientWidth + frameWidth));
    EXPECT_EQ(window.bottom - window.top,
              std::max(layout::kMainWindow.height, layout::kMainClientHeight + frameHeight));
    EXPECT_GE(client.right, layout::kMainClientWidth);
    EXPECT_GE(client.bottom, layout::kMainClientHeight);

    for (const layout::Control& c : layout::kMainControls) {
        SCOPED_TRACE(Utf8(c.name));
        HWND control = program_.Control(c.id);
        ASSERT_NE(control, nullptr);
        HWND parent = c.parent == layout::kNoParent ? program_.Main()
                                                    : ::GetDlgItem(program_.Main(), c.parent);
        EXPECT_EQ(::GetParent(control), parent);
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right - r.left, c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ(program_.WindowText(control), c.caption);
    }
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, ControlsWithTextUseTheMessageFont) {
    StartOptions options;
    options.desktop = true;  // the DLL asks for the fonts inside the program
    ASSERT_TRUE(program_.Start(folder_, options));
    for (const layout::Control& c : layout::kMainControls) {
        if (c.kind == layout::Kind::Picture) continue;  // draws no text
        SCOPED_TRACE(Utf8(c.name));
        // Without WM_SETFONT a control answers 0 and draws in the bold system font.
        EXPECT_EQ(program_.CallInProgram("E2eHasFont", program_.Control(c.id)), 1u);
    }
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, ChildrenAreStackedFrontToBackAsLaidOut) {
    ASSERT_TRUE(program_.Start(folder_));
    std::vector<int> order;
    for (HWND child = ::GetWindow(program_.Main(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        order.push_back(::GetDlgCtrlID(child));
    }
    const std::vector<int> expected{
        layout::kRefreshButton, layout::kAboutButton, layout::kDeleteButton, layout::kCommandFrame,
        layout::kListFrame,     layout::kPreview,     layout::kPreviewFrame};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, ListHoldsTheExportsInNameOrder) {
    // Written out of order: the list shows them as the folder lists them, oldest first.
    for (const wchar_t* name : {L"2024-05-01_10-00-00", L"2023-12-31_23-59-59",
                                L"2024-05-01_09-59-59", L"2024-05-01_10-00-00_2"}) {
        folder_.AddBackup(name);
    }
    folder_.WriteFile(L"data\\reg\\notes.txt", {'x'});       // not an export
    folder_.WriteFile(L"data\\reg\\folder.reg\\x.reg", {});  // a folder, not an export
    ASSERT_TRUE(program_.Start(folder_));
    EXPECT_EQ(program_.Items(), Names({L"2023-12-31_23-59-59", L"2024-05-01_09-59-59",
                                       L"2024-05-01_10-00-00", L"2024-05-01_10-00-00_2"}));
    EXPECT_EQ(program_.Selection(), 3);
    EXPECT_EQ(program_.Close(), 0u);
}

struct Picture {
    const wchar_t* name;
    int bitsPerPixel;
    COLORREF colour;
};

// Components of 0 or 255 survive the five bits of a 16-bit picture unchanged.
constexpr Picture kPictures[] = {
    {L"2024-01-01_00-00-16", 16, RGB(255, 0, 255)},
    {L"2024-01-01_00-00-24", 24, RGB(32, 128, 192)},
    {L"2024-01-01_00-00-32", 32, RGB(192, 64, 32)},
};

TEST_F(MainWindowTest, PreviewShowsThePictureOfEachSelectedEntry) {
    for (const Picture& p : kPictures) {
        folder_.AddBackup(p.name,
                          SolidBmp(kPictureWidth, kPictureHeight, p.bitsPerPixel, p.colour));
    }
    ASSERT_TRUE(program_.Start(folder_));
    ASSERT_EQ(program_.Count(), 3);
    EXPECT_PREVIEW(program_, kPictures[2].colour);  // the last entry, selected at start
    for (int i : {0, 1, 2}) {
        SCOPED_TRACE(kPictures[i].bitsPerPixel);
        ASSERT_TRUE(program_.SelectByMouse(i));
        EXPECT_PREVIEW(program_, kPictures[i].colour);
    }
    ASSERT_TRUE(program_.SelectByNotification(0));
    EXPECT_PREVIEW(program_, kPictures[0].colour);
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, MissingDataFolderGivesAnEmptyListAndBlankPreview) {
    ASSERT_TRUE(program_.Start(folder_));
    EXPECT_EQ(program_.Count(), 0);
    EXPECT_EQ(program_.Selection(), LB_ERR);
    EXPECT_PREVIEW(program_, Blank());
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
    EXPECT_FALSE(folder_.Exists(L"data"));
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, UnreadablePicturesLeaveThePreviewBlank) {
    const Bytes garbage{'B', 'M', 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    Bytes lyingHeader = SolidBmp(kPictureWidth, kPictureHeight, 24, RGB(1, 2, 3));
    lyingHeader[22] = 0xFF;  // biHeight far beyond the rows the file holds
    lyingHeader[23] = 0x7F;
    folder_.AddBackup(L"2024-01-01_00-00-01",
                      SolidBmp(kPictureWidth, kPictureHeight, 24, RGB(0, 0, 255)));
    folder_.AddBackup(L"2024-01-01_00-00-02", garbage);
    folder_.AddBackup(L"2024-01-01_00-00-03", lyingHeader);
    ASSERT_TRUE(program_.Start(folder_));
    EXPECT_PREVIEW(program_, Blank());
    ASSERT_TRUE(program_.SelectByMouse(0));
    EXPECT_PREVIEW(program_, RGB(0, 0, 255));
    ASSERT_TRUE(program_.SelectByMouse(1));
    EXPECT_PREVIEW(program_, Blank());
    EXPECT_TRUE(program_.Running());
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
    EXPECT_EQ(program_.Close(), 0u);
}

TEST_F(MainWindowTest, ClosingDuringALongListingEndsAtOnceWithExitCodeZero) {
    for (int i = 0; i < 20000; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"data\\reg\\2024-01-01_%05d.reg", i);
        folder_.WriteFile(name, {});
    }
    StartOptions options;
    options.waitForList = false;
    ASSERT_TRUE(program_.Start(folder_, options));
    // Answered from inside the listing, which hands waiting messages on as it goes.
    EXPECT_EQ(program_.Count(), 0) << "the listing ended before the window was closed";
    const auto start = steady_clock::now();
    EXPECT_EQ(program_.Close(std::chrono::milliseconds(30000)), 0u);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(steady_clock::now() - start);
    std::printf("closed during the listing of 20000 backups in %lld ms\n",
                static_cast<long long>(took.count()));
    EXPECT_LT(took.count(), 10000);
}

}  // namespace
}  // namespace e2e
