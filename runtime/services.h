// The run-time services every command uses: files, processes, message boxes, the clock,
// the backup list and the preview. Portable code reaches Windows only through this
// interface; runtime/win32_services.cpp binds it to the Win32 API and the native tests
// bind it to a recording fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora {

// Texts are Unicode inside the program, so Chinese captions and program folders work
// whatever the system's ANSI code page is.
using Text = std::wstring;
using Bytes = std::vector<std::uint8_t>;

struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

enum class Buttons { Ok = 0, YesNo = 4 };
enum class Answer { Ok, Yes, No, Other };
enum class RemoveResult { Removed, Missing, Failed };

// One directory search: the first match, then each next one; empty text when none is left.
class DirectorySearch {
  public:
    virtual ~DirectorySearch() = default;
    virtual Text First(const Text& pathAndPattern) = 0;
    virtual Text Next() = 0;
    virtual void Close() = 0;
};

class Services {
  public:
    virtual ~Services() = default;

    // The executable's folder, without a trailing backslash.
    virtual Text ProgramDirectory() = 0;
    virtual DateTime CurrentDateTime() = 0;
    // The text's bytes in the system's ANSI code page, without terminating zero.
    virtual Bytes TextToBytes(const Text& text) = 0;
    // The whole file; empty bytes when it is missing or unreadable.
    virtual Bytes ReadWholeFile(const Text& path) = 0;
    // Creates or replaces the file with exactly these bytes, creating missing parent
    // folders; the old content stays whole when the write fails.
    virtual bool WriteWholeFile(const Text& path, const Bytes& bytes) = 0;
    virtual bool FileExists(const Text& path) = 0;
    virtual RemoveResult RemoveFile(const Text& path) = 0;
    // Runs a script through the command interpreter with its window hidden, in the given
    // working directory, and returns once it has ended.
    virtual bool RunCommandAndWait(const Text& scriptPath, const Text& workingDirectory) = 0;
    // The shell's open action on the file, as a double-click would; no waiting.
    virtual bool ShellOpenFile(const Text& path) = 0;
    // Ends every running process of that executable name; none running: no effect.
    virtual void TerminateProcessesByName(const Text& imageName) = 0;
    virtual void SleepMilliseconds(unsigned milliseconds) = 0;
    virtual Answer ShowMessageBox(const Text& text, Buttons buttons, const Text& title) = 0;
    // Shows the about window modally; returns once the user has closed it.
    virtual void ShowAboutWindow() = 0;
    // The wait cursor while a command holds the window thread.
    virtual void SetWaitCursor(bool on) = 0;
    // The shell's desktop window as the bytes of a BMP file; empty when it cannot be had.
    virtual Bytes CaptureDesktop() = 0;

    virtual std::unique_ptr<DirectorySearch> NewDirectorySearch() = 0;
    // Dispatches every waiting message of the window thread. False once the program has
    // been asked to quit: the caller should stop its long work.
    virtual bool PumpPendingMessages() = 0;

    // The backup list.
    virtual void AddItem(const Text& text) = 0;
    // Appends many entries at once (the list at start), without a repaint per entry.
    virtual void AddItems(const std::vector<Text>& texts) = 0;
    virtual int ItemCount() = 0;
    // Entry text, 0-based; empty text out of range, -1 included.
    virtual Text ItemText(int index) = 0;
    virtual void DeleteItem(int index) = 0;
    // Selected entry, -1 for none.
    virtual int CurrentSelection() = 0;
    // Writing -1 clears the selection.
    virtual void SetCurrentSelection(int index) = 0;

    // The preview: empty or undecodable bytes blank it.
    virtual void SetPicture(const Bytes& bytes) = 0;
};

// Shows the wait cursor for the life of a command.
class WaitCursor {
  public:
    explicit WaitCursor(Services& services) : services_(services) { services_.SetWaitCursor(true); }
    ~WaitCursor() { services_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    Services& services_;
};

}  // namespace velmora
