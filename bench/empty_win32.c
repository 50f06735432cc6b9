/* The empty Win32 GUI programs that launcher.exe's start is measured against under Wine: built
 * like the launcher (GUI subsystem, wide entry point, static C runtime), they return at once.
 * With WITH_USER32 the program also links user32, as the launcher does for its message boxes,
 * so that the start of the windowing library shows apart from the launcher's own work. */
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)show;
#ifdef WITH_USER32
    /* Never true when run by the benchmark; it makes user32 a real import. */
    if (commandLine[0] == L'!')
        MessageBoxW(NULL, commandLine, L"empty", MB_OK);
#else
    (void)commandLine;
#endif
    return 0;
}
