// The maintenance commands of the main window: delete, restore and desktop refresh.
#pragma once

#include "runtime/services.h"

namespace velmora {

inline constexpr wchar_t kShellImageName[] = L"explorer.exe";
inline constexpr unsigned kShellRestartPause = 1000;

// Deletes the selected backup after the user confirmed it.
void OnDeleteClicked(Services& services);
// Hands the selected backup's layout export to the shell, which imports it once the user
// has confirmed the system's prompts.
void OnRestoreClicked(Services& services);
// Ends the shell twice, a second apart, so that the desktop comes back with the layout
// now in the registry.
void OnRefreshClicked(Services& services);

}  // namespace velmora
