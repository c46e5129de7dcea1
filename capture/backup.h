// Taking a backup: the desktop's picture plus the Registry Editor's export of the key that
// holds the desktop icon positions.
#pragma once

#include <cstddef>

#include "runtime/services.h"

namespace velmora {

// The registry key in which the shell keeps the desktop icon positions.
inline constexpr wchar_t kDesktopLayoutKey[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\Shell\\Bags\\1\\Desktop";

// The longest path of a backup's files that the command interpreter (as its working folder
// and script) and the Registry Editor (as the export's path) accept: MAX_PATH less its
// terminating zero.
inline constexpr std::size_t kMaxBackupPathLength = 259;

// The date and time as a backup name, e.g. 2026-12-11_09-05-07: to the second, in time
// order when sorted as text, and free of blanks, of characters that file names forbid and
// of the command interpreter's % & ^ | < >.
Text DateTimeToText(const DateTime& time);

// The one line of the export script. The export path is quoted and relative to the script's
// working directory, which is the program folder.
Text ExportLine(const Text& name);

// `base`, or base_2, base_3, ... when a backup of that name exists already on disk or in
// the list, so that two backups within one second never share their files.
Text MakeUniqueBackupName(Services& services, const Text& programDirectory, const Text& base);

// Takes a backup. Too long a program folder is told before anything is written; a snapshot
// that cannot be written still leaves a backup (the layout is what restores the desktop), and
// the user is told that its preview will be blank.
void OnBackupClicked(Services& services);

}  // namespace velmora
