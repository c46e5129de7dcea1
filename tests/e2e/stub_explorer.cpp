// explorer.exe for the refresh tests: a process that carries the shell's image name and does
// nothing but wait, so that the tests can see when the program ends it. It gives up by itself
// after a while, so that a failed test leaves nothing running for long.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ::Sleep(120000);
    return 0;
}
