#include "capture/backup.h"

#include <cstdio>

#include "catalogue/catalogue.h"
#include "resources/texts.h"

namespace velmora {

Text DateTimeToText(const DateTime& time) {
    // Room for six fields of any int (11 characters each), so nothing is ever cut off.
    wchar_t text[80] = {};
    std::swprintf(text, sizeof text / sizeof text[0], L"%04d-%02d-%02d_%02d-%02d-%02d", time.year,
                  time.month, time.day, time.hour, time.minute, time.second);
    return text;
}

Text ExportLine(const Text& name) {
    return L"Regedit /E \"%cd%\\data\\reg\\" + name + L".reg\" " + kDesktopLayoutKey;
}

namespace {

bool ListHolds(Services& services, const Text& name) {
    const int count = services.ItemCount();
    for (int i = 0; i < count; ++i) {
        if (services.ItemText(i) == name) return true;
    }
    return false;
}

bool NameTaken(Services& services, const Text& directory, const Text& name) {
    return services.FileExists(LayoutExportPath(directory, name)) ||
           services.FileExists(SnapshotPath(directory, name)) || ListHolds(services, name);
}

}  // namespace

Text MakeUniqueBackupName(Services& services, const Text& programDirectory, const Text& base) {
    Text name = base;
    for (int suffix = 2; NameTaken(services, programDirectory, name); ++suffix) {
        name = base + L"_" + std::to_wstring(suffix);
    }
    return name;
}

void OnBackupClicked(Services& services) {
    WaitCursor wait(services);
    const Text directory = services.ProgramDirectory();
    const Text name =
        MakeUniqueBackupName(services, directory, DateTimeToText(services.CurrentDateTime()));

    // The script runs in the program folder and names the export relative to it: with a
    // longer path the interpreter or the Registry Editor would fail halfway.
    if (LayoutExportPath(directory, name).size() > kMaxBackupPathLength) {
        (void)services.ShowMessageBox(texts::kBackupPathTooLong, Buttons::Ok, texts::kHintTitle);
        return;
    }

    // The picture comes first, before anything of the export runs. A failed capture still
    // leaves an empty picture: the layout is what restores the desktop.
    const Text snapshot = SnapshotPath(directory, name);
    const bool snapshotSaved = services.WriteWholeFile(snapshot, services.CaptureDesktop());

    const Text script = ExportScriptPath(directory, name);
    (void)services.WriteWholeFile(script, services.TextToBytes(ExportLine(name)));
    // Whether the export worked is judged by its file below, not by the process.
    (void)services.RunCommandAndWait(script, directory);
    (void)services.RemoveFile(script);  // a leftover script is never listed

    if (!services.FileExists(LayoutExportPath(directory, name))) {
        // Without its layout a backup cannot restore anything: leave nothing of it behind.
        (void)services.RemoveFile(snapshot);
        (void)services.ShowMessageBox(texts::kBackupFailed, Buttons::Ok, texts::kHintTitle);
        return;
    }

    services.AddItem(name);
    SelectLastBackup(services);
    ShowSelectedPreview(services);
    if (!snapshotSaved) {
        (void)services.ShowMessageBox(texts::kSnapshotNotSaved, Buttons::Ok, texts::kHintTitle);
    }
}

}  // namespace velmora
