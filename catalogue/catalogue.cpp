#include "catalogue/catalogue.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "catalogue/list_files.h"

namespace velmora {

Text SnapshotPath(const Text& programDirectory, const Text& name) {
    return programDirectory + L"\\data\\pic\\" + name + L".jpg";
}

Text LayoutExportPath(const Text& programDirectory, const Text& name) {
    return programDirectory + L"\\data\\reg\\" + name + L".reg";
}

Text ExportScriptPath(const Text& programDirectory, const Text& name) {
    return programDirectory + L"\\data\\reg\\" + name + L".cmd";
}

Text BackupNameOfFile(const Text& fileName) {
    return fileName.size() > 4 ? fileName.substr(0, fileName.size() - 4) : Text();
}

bool IsLayoutExportName(const Text& fileName) {
    if (fileName.size() <= 4) return false;  // ".reg" alone names no backup
    const Text tail = fileName.substr(fileName.size() - 4);
    static constexpr wchar_t kLower[] = L".reg";
    for (std::size_t i = 0; i < 4; ++i) {
        const wchar_t c = tail[i] >= L'A' && tail[i] <= L'Z' ? tail[i] - L'A' + L'a' : tail[i];
        if (c != kLower[i]) return false;
    }
    return true;
}

void OnMainWindowCreated(Services& services) {
    std::vector<Text> names;
    (void)ListFiles(services, services.ProgramDirectory() + L"\\data\\reg\\", L"*.reg", names,
                    false);  // the list's own size is what counts
    // The search also matches a file by its short name ("ABCDEF~1.REG" of "abcdef.regx"):
    // only a name that itself ends in ".reg" is a backup, else its name would lead to
    // another file.
    std::vector<Text> backups;
    backups.reserve(names.size());
    for (const Text& name : names) {
        if (IsLayoutExportName(name)) backups.push_back(BackupNameOfFile(name));
    }
    // The entries go to the list in batches with the window's messages handled between
    // them, so that a folder of a hundred thousand exports never holds the window for long.
    for (std::size_t at = 0; at < backups.size(); at += kListBatch) {
        const std::size_t end = std::min(backups.size(), at + kListBatch);
        services.AddItems(std::vector<Text>(backups.begin() + static_cast<std::ptrdiff_t>(at),
                                            backups.begin() + static_cast<std::ptrdiff_t>(end)));
        if (end < backups.size() && !services.PumpPendingMessages()) return;  // quitting
    }
    SelectLastBackup(services);
    ShowSelectedPreview(services);
}

void OnBackupSelected(Services& services) {
    ShowSelectedPreview(services);
}

void SelectLastBackup(Services& services) {
    services.SetCurrentSelection(services.ItemCount() - 1);
}

void ShowSelectedPreview(Services& services) {
    const int selection = services.CurrentSelection();
    if (selection < 0) {
        services.SetPicture({});
        return;
    }
    const Text path = SnapshotPath(services.ProgramDirectory(), services.ItemText(selection));
    services.SetPicture(services.ReadWholeFile(path));
}

}  // namespace velmora
