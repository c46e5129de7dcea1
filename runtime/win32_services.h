// The run-time services bound to the Win32 API, on the wide-character functions so that
// Chinese texts and paths work whatever the system's code page is.
#pragma once

#include <windows.h>

#include <functional>

#include "runtime/picture_box.h"
#include "runtime/services.h"

namespace velmora {

// Paths longer than MAX_PATH reach the file functions with the \\?\ prefix.
Text ExtendedPath(const Text& path);

class Win32Services : public Services {
  public:
    Win32Services() = default;
    // The main window owns the message boxes; the list and the preview are its controls.
    void Attach(HWND owner, HWND list, PictureBox* preview, std::function<void()> showAbout) {
        owner_ = owner;
        list_ = list;
        preview_ = preview;
        showAbout_ = std::move(showAbout);
    }
    bool WaitCursorShown() const { return waitDepth_ > 0; }

    Text ProgramDirectory() override;
    DateTime CurrentDateTime() override;
    Bytes TextToBytes(const Text& text) override;
    Bytes ReadWholeFile(const Text& path) override;
    bool WriteWholeFile(const Text& path, const Bytes& bytes) override;
    bool FileExists(const Text& path) override;
    RemoveResult RemoveFile(const Text& path) override;
    bool RunCommandAndWait(const Text& scriptPath, const Text& workingDirectory) override;
    bool ShellOpenFile(const Text& path) override;
    void TerminateProcessesByName(const Text& imageName) override;
    void SleepMilliseconds(unsigned milliseconds) override;
    Answer ShowMessageBox(const Text& text, Buttons buttons, const Text& title) override;
    void ShowAboutWindow() override;
    void SetWaitCursor(bool on) override;
    Bytes CaptureDesktop() override;
    std::unique_ptr<DirectorySearch> NewDirectorySearch() override;
    bool PumpPendingMessages() override;
    void AddItem(const Text& text) override;
    void AddItems(const std::vector<Text>& texts) override;
    int ItemCount() override;
    Text ItemText(int index) override;
    void DeleteItem(int index) override;
    int CurrentSelection() override;
    void SetCurrentSelection(int index) override;
    void SetPicture(const Bytes& bytes) override;

  private:
    HWND owner_ = nullptr;
    HWND list_ = nullptr;
    PictureBox* preview_ = nullptr;
    std::function<void()> showAbout_;
    int waitDepth_ = 0;
};

}  // namespace velmora
