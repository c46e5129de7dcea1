#include "app/main_window.h"

#include <commctrl.h>

#include "app/about_window.h"
#include "app/controls.h"
#include "capture/backup.h"
#include "catalogue/catalogue.h"
#include "commands/commands.h"

namespace velmora {

const std::array<MainWindow::Route, 6> MainWindow::kRoutes{{
    {layout::kBackupButton, BN_CLICKED, &MainWindow::OnBackupClicked},
    {layout::kRestoreButton, BN_CLICKED, &MainWindow::OnRestoreClicked},
    {layout::kDeleteButton, BN_CLICKED, &MainWindow::OnDeleteClicked},
    {layout::kAboutButton, BN_CLICKED, &MainWindow::OnAboutClicked},
    {layout::kRefreshButton, BN_CLICKED, &MainWindow::OnRefreshClicked},
    {layout::kBackupList, LBN_SELCHANGE, &MainWindow::OnBackupSelected},
}};

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    if (!::RegisterClassExW(&wc) || !PictureBox::Register(instance)) return false;

    // A fixed-size frame with close and minimise boxes.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const layout::Rect& r = layout::kMainWindow;
    if (!::CreateWindowExW(0, kClassName, texts::kMainCaption, style, r.left, r.top, r.width,
                           r.height, nullptr, nullptr, instance, this)) {
        return false;
    }
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return self ? self->HandleMessage(message, wParam, lParam)
                : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate() ? 0 : -1;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_SETCURSOR:
            if (OnSetCursor()) return TRUE;
            break;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            window_ = nullptr;
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool MainWindow::OnCreate() {
    // The content needs its full client area; a frame thicker than usual grows the window.
    RECT client{};
    ::GetClientRect(window_, &client);
    const int missingWidth = std::max(0L, layout::kMainClientWidth - client.right);
    const int missingHeight = std::max(0L, layout::kMainClientHeight - client.bottom);
    if (missingWidth || missingHeight) {
        ::SetWindowPos(window_, nullptr, 0, 0, layout::kMainWindow.width + missingWidth,
                       layout::kMainWindow.height + missingHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // Controls use the system's message font, not the bold system font bare controls get.
    font_.reset(CreateMessageFont());
    CreateControls(window_, instance_, font_.get(), layout::kMainControls, &preview_);
    list_ = ::GetDlgItem(::GetDlgItem(window_, layout::kListFrame), layout::kBackupList);

    // A group box keeps its children's notifications to itself; these forward them here.
    for (int frame : {layout::kListFrame, layout::kCommandFrame}) {
        ::SetWindowSubclass(::GetDlgItem(window_, frame), ForwardFromGroupBox, 1,
                            reinterpret_cast<DWORD_PTR>(window_));
    }
    services_.Attach(window_, list_, &preview_,
                     [this] { ShowAboutWindowModal(instance_, window_); });
    return list_ != nullptr && preview_.Window() != nullptr;
}

LRESULT CALLBACK MainWindow::ForwardFromGroupBox(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam, UINT_PTR, DWORD_PTR owner) {
    if (message == WM_COMMAND || message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLORBTN) {
        return ::SendMessageW(reinterpret_cast<HWND>(owner), message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, ForwardFromGroupBox, 1);
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int notification) {
    // A command can wait on another thread (printing the desktop) and answer messages sent
    // meanwhile; a click sent then must not start a second command inside the first.
    if (commandRunning_) return;
    for (const Route& route : kRoutes) {
        if (route.id == id && route.notification == notification) {
            commandRunning_ = true;
            (this->*route.handler)();
            commandRunning_ = false;
            return;
        }
    }
}

bool MainWindow::OnSetCursor() {
    if (!services_.WaitCursorShown()) return false;
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void MainWindow::OnMainWindowCreated() {
    velmora::OnMainWindowCreated(services_);
}
void MainWindow::OnBackupClicked() {
    velmora::OnBackupClicked(services_);
}
void MainWindow::OnRestoreClicked() {
    velmora::OnRestoreClicked(services_);
}
void MainWindow::OnDeleteClicked() {
    velmora::OnDeleteClicked(services_);
}
void MainWindow::OnAboutClicked() {
    services_.ShowAboutWindow();
}
void MainWindow::OnRefreshClicked() {
    velmora::OnRefreshClicked(services_);
}
void MainWindow::OnBackupSelected() {
    velmora::OnBackupSelected(services_);
}

}  // namespace velmora
