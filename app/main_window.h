// The main window: the backup list, the preview and the five command buttons.
#pragma once

#include <windows.h>

#include <array>

#include "resources/layout.h"
#include "runtime/picture_box.h"
#include "runtime/win32_handles.h"
#include "runtime/win32_services.h"

namespace velmora {

class MainWindow {
  public:
    static constexpr wchar_t kClassName[] = L"VelmoraMainWindow";

    // Creates and shows the window; false when it could not be created.
    bool Create(HINSTANCE instance, int showCommand);
    // Fills the list and the preview once the window is on screen, so a long listing is
    // painted as it goes.
    void OnMainWindowCreated();
    HWND Window() const { return window_; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ForwardFromGroupBox(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR id, DWORD_PTR owner);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnCommand(int id, int notification);
    bool OnSetCursor();

    // Each control's handler; one click runs one command.
    void OnBackupClicked();
    void OnRestoreClicked();
    void OnDeleteClicked();
    void OnAboutClicked();
    void OnRefreshClicked();
    void OnBackupSelected();

    struct Route {
        int id;
        int notification;
        void (MainWindow::*handler)();
    };
    static const std::array<Route, 6> kRoutes;

    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    bool commandRunning_ = false;
    UniqueFont font_;
    PictureBox preview_;
    Win32Services services_;
};

}  // namespace velmora
