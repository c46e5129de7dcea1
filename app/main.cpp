// Velmora: saves and restores the arrangement of the desktop icons.
#include <windows.h>

#include <commctrl.h>

#include "app/main_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);

    velmora::MainWindow window;
    if (!window.Create(instance, showCommand)) return 1;
    window.OnMainWindowCreated();

    MSG message;
    int result;
    while ((result = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
        // Tab and the arrow keys move between the controls, as in a dialog.
        if (::IsDialogMessageW(window.Window(), &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return result < 0 ? 1 : static_cast<int>(message.wParam);
}
