// Where backups live and how the backup list and the preview follow them. A backup named N
// is the layout export data\reg\N.reg (its presence makes the backup exist) and the
// snapshot picture data\pic\N.jpg beside the program.
#pragma once

#include <cstddef>

#include "runtime/services.h"

namespace velmora {

Text SnapshotPath(const Text& programDirectory, const Text& name);
Text LayoutExportPath(const Text& programDirectory, const Text& name);
Text ExportScriptPath(const Text& programDirectory, const Text& name);

// The backup name of a layout export's file name: the name without its last four
// characters (the ".reg"), whatever they are.
Text BackupNameOfFile(const Text& fileName);
// Whether a file name found in the export folder names a backup: it ends in ".reg" (any
// case) after at least one character.
bool IsLayoutExportName(const Text& fileName);

// How many entries the list takes at a time while it is filled at start.
inline constexpr std::size_t kListBatch = 1000;

// Fills the list from the export folder, then selects the last entry and shows its picture.
// Window messages are handled while the folder is read and between batches of entries; when
// the program is asked to quit meanwhile, the filling stops.
void OnMainWindowCreated(Services& services);
// The user picked an entry.
void OnBackupSelected(Services& services);
// Selects the last entry; clears the selection of an empty list.
void SelectLastBackup(Services& services);
// Shows the selected backup's snapshot, or a blank preview without a selection.
void ShowSelectedPreview(Services& services);

}  // namespace velmora
