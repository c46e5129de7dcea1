// The program's own texts. Kept in one place so that the captions the help text names
// stay the captions the buttons show.
#pragma once

namespace velmora::texts {

inline constexpr wchar_t kMainCaption[] = L"Velmora";
inline constexpr wchar_t kAboutCaption[] = L"关于软件";

inline constexpr wchar_t kBackupButton[] = L"备份当前桌面";
inline constexpr wchar_t kRestoreButton[] = L"1.还原备份";
inline constexpr wchar_t kDeleteButton[] = L"删除选中备份";
inline constexpr wchar_t kAboutButton[] = L"关 于 软 件";
inline constexpr wchar_t kRefreshButton[] = L"2.刷新桌面";
inline constexpr wchar_t kListFrame[] = L"历史备份记录";
inline constexpr wchar_t kPreviewFrame[] = L"历史备份界面预览";
inline constexpr wchar_t kHelpFrame[] = L"使用说明：";

inline constexpr wchar_t kHintTitle[] = L"提示";
inline constexpr wchar_t kWarningTitle[] = L"警告";

inline constexpr wchar_t kSelectToDelete[] =
    L"请选择【历史备份记录】列表中需要删除的时间节点后重试";
inline constexpr wchar_t kSelectToRestore[] =
    L"请选择【历史备份记录】列表中需要还原的时间节点后重试";
inline constexpr wchar_t kConfirmDeleteLead[] = L"即将删除以下备份，是否确定删除：";
inline constexpr wchar_t kBackupFailed[] =
    L"桌面图标布局未能保存（注册表编辑器没有写出导出文件），本次备份未完成。";
inline constexpr wchar_t kBackupPathTooLong[] =
    L"程序所在文件夹的路径太长，命令解释器和注册表编辑器无法使用它，本次备份没有进行。"
    L"请把程序移到路径较短的文件夹后重试。";
inline constexpr wchar_t kSnapshotNotSaved[] =
    L"桌面图标布局已保存，但桌面截图未能写入 data\\pic 文件夹，这个备份的预览将是空白。";
// Shown with the backup's name in brackets before it.
inline constexpr wchar_t kDeleteFailedTail[] =
    L"无法删除：它的注册表文件正被其他程序使用或没有删除权限。请关闭相关程序后重试。";

inline constexpr wchar_t kHelpText[] =
    L"Q1：备份桌面图标布局：\r\n"
    L"A1：点击软件右侧的【备份当前桌面】即可对当前桌面进行备份。\r\n"
    L"\r\n"
    L"Q2：恢复历史备份记录\r\n"
    L"A2：第一步：选择右侧列表框中需要恢复的历史备份方案；\r\n"
    L"        第二步：点击【1.还原备份】后，提示导入注册表，点击【是】与【确定】；\r\n"
    L"        第三步：点击【2.刷新桌面】即可恢复到历史图标布局方案。\r\n"
    L"\r\n"
    L"Q3：删除历史备份记录\r\n"
    L"A3：第一步：选择右侧列表框中需要删除的历史备份方案；\r\n"
    L"        第二步：点击【删除选中备份】即可。\r\n"
    L"\r\n\r\n\r\n\r\n";

inline constexpr wchar_t kAuthorLine[] = L"作者：林知远";

}  // namespace velmora::texts
