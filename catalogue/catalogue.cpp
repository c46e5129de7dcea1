#include "catalogue/catalogue.h"

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

void OnMainWindowCreated(Services& services) {
    std::vector<Text> names;
    (void)ListFiles(services, services.ProgramDirectory() + L"\\data\\reg\\", L"*.reg", names,
                    false);  // the list's own size is what counts
    for (Text& name : names) name = BackupNameOfFile(name);
    services.AddItems(names);
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
