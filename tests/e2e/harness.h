// The end-to-end harness: a temporary program folder holding a copy of velmora.exe and
// fixture backups, the running program driven through its windows as a user would, and the
// registry key whose export a backup holds.
//
// The programs under test are named by the environment (set by ctest):
//   VELMORA_E2E_EXE           velmora.exe
//   VELMORA_E2E_DESKTOP_DLL   e2e_desktop.dll, the stand-in desktop window
// A path in Unix form (as ctest passes it under Wine) is read through Wine's Z: drive.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/e2e/desktop_colours.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;

std::wstring VelmoraExe();
std::wstring DesktopDll();

// Polls `done` every few milliseconds until it holds or the timeout passes.
template <typename Predicate>
bool WaitUntil(Predicate done, milliseconds timeout, milliseconds step = milliseconds(20)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        ::Sleep(static_cast<DWORD>(step.count()));
    }
}

// A BMP file of one solid colour, written field by field: 14-byte file header, 40-byte info
// block, bottom-up rows padded to four bytes. bitsPerPixel is 16 (5-5-5), 24 or 32.
Bytes SolidBmp(int width, int height, int bitsPerPixel, COLORREF colour);

// The text of a layout export as the Registry Editor writes it (UTF-16 with its mark).
Bytes RegExportText(const std::wstring& body);
// A file's text: UTF-16 when it starts with the byte order mark, else the ANSI code page.
std::wstring DecodeText(const Bytes& bytes);

std::wstring Utf16(const std::string& utf8);
std::string Utf8(const std::wstring& text);

// A fresh folder under the temporary folder, removed with everything in it at the end.
// `decoration` goes into the folder's name: a blank, Chinese characters.
class ProgramFolder {
  public:
    explicit ProgramFolder(const std::wstring& decoration = L"");
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring ExePath() const { return path_ + L"\\velmora.exe"; }
    // `relative` is relative to the folder, e.g. L"data\\reg\\x.reg".
    std::wstring Join(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    // A backup named `name`: data\reg\name.reg and, unless `picture` is empty, data\pic\name.jpg.
    void AddBackup(const std::wstring& name, const Bytes& picture = {});
    void WriteFile(const std::wstring& relative, const Bytes& bytes);
    bool Exists(const std::wstring& relative) const;
    Bytes ReadFile(const std::wstring& relative) const;
    // Names of the files (not folders) in a folder of the program folder matching `pattern`.
    std::vector<std::wstring> Files(const std::wstring& relativeFolder,
                                    const std::wstring& pattern = L"*") const;
    void RemoveTree(const std::wstring& relative);

  private:
    std::wstring path_;
};

struct StartOptions {
    // The program's working directory; empty: the driver's own.
    std::wstring workingDirectory;
    // Loads the stand-in desktop window into the program's process.
    bool desktop = false;
    // Waits for the list to be filled before Start returns; false: returns as soon as the
    // main window shows, polling for it closely.
    bool waitForList = true;
};

struct MessageBoxText {
    std::wstring title;
    std::wstring text;
    std::vector<int> buttons;  // IDOK, IDYES, IDNO, ... present in the box
};

// One run of velmora.exe. Ends the process (by its handle) when it is still running at the end.
class Program {
  public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts the program from the folder; true once its main window is up (and, unless told
    // otherwise, its list filled).
    bool Start(const ProgramFolder& folder, const StartOptions& options = {});
    bool Start(const std::wstring& exePath, const StartOptions& options = {});

    HANDLE Process() const { return process_; }
    DWORD ProcessId() const { return processId_; }
    HWND Main() const { return main_; }
    bool Running() const;

    // A control by id, looked for among the window's children and inside its group boxes.
    HWND Control(int id) const;
    HWND List() const;

    // Returns once the window thread has handled everything sent to it before and is back in
    // a message loop (the main one or a modal one); false when it stayed busy.
    bool WaitIdle(milliseconds timeout = milliseconds(20000)) const;
    // Waits until the list's count stays the same for a while (the listing at start).
    bool WaitForListSettled(milliseconds timeout = milliseconds(60000)) const;

    int Count() const;
    std::wstring ItemText(int index) const;
    std::vector<std::wstring> Items() const;
    int Selection() const;
    std::wstring WindowText(HWND window) const;

    // A click on a button: the button gets it without the driver waiting for the command.
    // It comes as a sent message, handled in order with the driver's other sent messages, so
    // a wait after it follows the click; but a command that itself waits on another thread
    // handles it there and then, which a user's click never is.
    void Click(int id) const;
    // A click queued as a user's input is: handled only once the window thread takes its
    // next message from a message loop. Nothing tells the driver when that happens.
    void PostClick(int id) const;
    // A click and a wait for the window thread to be back in a message loop. A command that
    // sends to a window of another thread (the capture prints the desktop window) answers the
    // wait while it waits itself: such a click waits with ClickAndWaitFor.
    bool ClickAndWait(int id, milliseconds timeout = milliseconds(60000)) const;
    // A click, a wait until `done` holds (the command's visible end), then a wait for the window
    // thread to be back in a message loop.
    template <typename Predicate>
    bool ClickAndWaitFor(int id, Predicate done, milliseconds timeout = milliseconds(60000)) const {
        Click(id);
        return WaitUntil(done, timeout) && WaitIdle(timeout);
    }
    // A backup click, waited for until the list has grown or a message box shows.
    bool ClickBackupAndWait(milliseconds timeout = milliseconds(60000)) const;
    // The user picks an entry with the mouse (scrolled into view first).
    bool SelectByMouse(int index) const;
    // The list's selection set and its LBN_SELCHANGE sent to its parent, as the list does.
    bool SelectByNotification(int index) const;

    // A message box (dialog class #32770) of the program's process; nullptr after the timeout.
    HWND WaitForMessageBox(milliseconds timeout = milliseconds(20000)) const;
    HWND FindMessageBox() const;
    MessageBoxText ReadMessageBox(HWND box) const;
    // Presses the box's button with that id (IDOK, IDYES, IDNO).
    void Answer(HWND box, int buttonId) const;

    // The screen's colour at a point of the preview's client area, once the window has painted.
    COLORREF PreviewPixel(int x, int y) const;
    // Samples until the point shows `colour` or the timeout passes; returns the last sample.
    COLORREF WaitForPreviewPixel(int x, int y, COLORREF colour,
                                 milliseconds timeout = milliseconds(5000)) const;

    // Loads the stand-in desktop window into the program and waits for it.
    bool InjectDesktop();
    // Runs a function exported by e2e_desktop.dll on a thread of the program (after
    // InjectDesktop) and returns its result; `failed` when it could not be run.
    DWORD CallInProgram(const char* exportName, void* argument, DWORD failed = 0xFFFFFFFF) const;

    // Asks the main window to close (WM_CLOSE) and waits for the process to end; the exit
    // code, or STILL_ACTIVE when it did not end in time.
    DWORD Close(milliseconds timeout = milliseconds(20000));
    // Waits for the process to end by itself.
    DWORD WaitForExit(milliseconds timeout) const;

  private:
    bool WaitForMainWindow(milliseconds timeout, bool waitForIdle);
    void Kill();

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
};

// The key the backup exports: HKCU\Software\Microsoft\Windows\Shell\Bags\1\Desktop.
extern const wchar_t kDesktopLayoutSubkey[];
extern const wchar_t kDesktopLayoutKeyPath[];  // with HKEY_CURRENT_USER in front
// Creates the key when missing and sets a binary value.
bool SetDesktopLayoutValue(const std::wstring& name, const Bytes& data);
bool SetDesktopLayoutDword(const std::wstring& name, DWORD value);
// Removes the key with all its values; true when it is gone.
bool DeleteDesktopLayoutKey();

// The shell opens a .reg file with the Registry Editor, which imports it (as on Windows).
bool AssociateRegFilesWithRegedit();

// A window class name, e.g. "#32770" for a dialog.
std::wstring ClassOf(HWND window);

}  // namespace e2e
