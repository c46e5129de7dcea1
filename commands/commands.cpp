#include "commands/commands.h"

#include "catalogue/catalogue.h"
#include "resources/texts.h"

namespace velmora {

void OnDeleteClicked(Services& services) {
    const int selection = services.CurrentSelection();
    if (selection < 0) {
        (void)services.ShowMessageBox(texts::kSelectToDelete, Buttons::Ok, texts::kHintTitle);
        return;
    }
    const Text name = services.ItemText(selection);
    const Text question = Text(texts::kConfirmDeleteLead) + L"\r\n【" + name + L"】";
    if (services.ShowMessageBox(question, Buttons::YesNo, texts::kWarningTitle) != Answer::Yes)
        return;

    // The layout export goes first: while it stays, the backup exists and must keep its
    // picture and its entry.
    const Text directory = services.ProgramDirectory();
    if (services.RemoveFile(LayoutExportPath(directory, name)) == RemoveResult::Failed) {
        (void)services.ShowMessageBox(L"备份【" + name + L"】" + texts::kDeleteFailedTail,
                                      Buttons::Ok, texts::kHintTitle);
        return;
    }
    // Without its layout the backup is gone; a picture that cannot be removed is only a
    // stray file that is never listed again.
    (void)services.RemoveFile(SnapshotPath(directory, name));
    services.DeleteItem(selection);
    SelectLastBackup(services);
    ShowSelectedPreview(services);
}

void OnRestoreClicked(Services& services) {
    const int selection = services.CurrentSelection();
    if (selection < 0) {
        // Never hand the shell a path made of an empty name: a stray ".reg" would be imported.
        (void)services.ShowMessageBox(texts::kSelectToRestore, Buttons::Ok, texts::kHintTitle);
        return;
    }
    // The shell tells the user itself when it cannot open the file.
    (void)services.ShellOpenFile(
        LayoutExportPath(services.ProgramDirectory(), services.ItemText(selection)));
}

void OnRefreshClicked(Services& services) {
    services.TerminateProcessesByName(kShellImageName);
    {
        WaitCursor wait(services);
        services.SleepMilliseconds(kShellRestartPause);
    }
    // The second pass ends a shell the system restarted meanwhile, so it rereads the layout.
    services.TerminateProcessesByName(kShellImageName);
}

}  // namespace velmora
