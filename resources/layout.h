// The window layouts in pixels, one record per control, in stacking order (front first).
// Positions are relative to the parent: the window's client area or a group box. The
// windows create their controls from these tables in one loop.
#pragma once

#include <array>

#include "resources/texts.h"

namespace velmora::layout {

enum class Kind { Button, GroupBox, ListBox, Picture, Label };

// Control identifiers; a control whose parent is the window has kNoParent.
enum Id : int {
    kNoParent = 0,
    kBackupButton = 101,   // 按钮1
    kRestoreButton = 102,  // 按钮2
    kDeleteButton = 103,   // 按钮3
    kAboutButton = 104,    // 按钮4
    kRefreshButton = 105,  // 按钮5
    kBackupList = 110,     // 列表框1
    kListFrame = 120,      // 分组框1
    kCommandFrame = 121,   // 分组框2
    kPreviewFrame = 122,   // 分组框3
    kPreview = 130,        // 图片框1
    kHelpFrame = 201,      // 分组框1 of the about window
    kHelpLabel = 202,      // 标签1
    kAuthorLabel = 203,    // 标签2
};

struct Control {
    const wchar_t* name;
    Kind kind;
    int id;
    int parent;
    int left, top, width, height;
    const wchar_t* caption;
    bool tabStop;
};

struct Rect {
    int left, top, width, height;
};

inline constexpr Rect kMainWindow{50, 50, 1232, 616};
// The content reaches this far into the client area.
inline constexpr int kMainClientWidth = 1216;
inline constexpr int kMainClientHeight = 578;

inline constexpr std::array<Control, 10> kMainControls{{
    {L"按钮5", Kind::Button, kRefreshButton, kNoParent, 1112, 448, 90, 32, texts::kRefreshButton,
     true},
    {L"按钮4", Kind::Button, kAboutButton, kNoParent, 1013, 528, 192, 32, texts::kAboutButton,
     true},
    {L"按钮3", Kind::Button, kDeleteButton, kNoParent, 1013, 489, 192, 32, texts::kDeleteButton,
     true},
    {L"按钮2", Kind::Button, kRestoreButton, kCommandFrame, 12, 58, 90, 32, texts::kRestoreButton,
     true},
    {L"按钮1", Kind::Button, kBackupButton, kCommandFrame, 12, 16, 192, 32, texts::kBackupButton,
     true},
    {L"分组框2", Kind::GroupBox, kCommandFrame, kNoParent, 1000, 390, 216, 186, L"", false},
    {L"列表框1", Kind::ListBox, kBackupList, kListFrame, 8, 20, 200, 348, L"", true},
    {L"分组框1", Kind::GroupBox, kListFrame, kNoParent, 1000, 8, 216, 376, texts::kListFrame,
     false},
    {L"图片框1", Kind::Picture, kPreview, kNoParent, 18, 26, 959, 540, L"", false},
    {L"分组框3", Kind::GroupBox, kPreviewFrame, kNoParent, 8, 8, 984, 570, texts::kPreviewFrame,
     false},
}};

inline constexpr Rect kAboutWindow{50, 50, 574, 333};

inline constexpr std::array<Control, 3> kAboutControls{{
    {L"标签2", Kind::Label, kAuthorLabel, kHelpFrame, 376, 256, 168, 24, texts::kAuthorLine, false},
    {L"标签1", Kind::Label, kHelpLabel, kHelpFrame, 16, 24, 512, 248, texts::kHelpText, false},
    {L"分组框1", Kind::GroupBox, kHelpFrame, kNoParent, 8, 8, 552, 288, texts::kHelpFrame, false},
}};

// The labels' font, as a LOGFONT would hold it; only the height differs between them.
struct FontSpec {
    const wchar_t* faceName;
    int height, width, escapement, orientation, weight;
    bool italic, underline, strikeOut;
    int charSet, outPrecision, clipPrecision, quality, pitchAndFamily;
};

inline constexpr FontSpec kHelpFont{L"微软雅黑", -14,   0,   0, 0, 400, false,
                                    false,       false, 134, 3, 2, 1,   0x22};
inline constexpr FontSpec kAuthorFont{L"微软雅黑", -15,   0,   0, 0, 400, false,
                                      false,       false, 134, 3, 2, 1,   0x22};

// The preview's picture area: a picture is fitted into it keeping its aspect ratio.
inline constexpr int kPreviewWidth = 959;
inline constexpr int kPreviewHeight = 540;

}  // namespace velmora::layout
