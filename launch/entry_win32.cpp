// Process entry of the Windows GUI executable.

#include "launch/launcher.h"
#include "vmhost/class_data_cache.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A copy of this executable started to build a class-data archive does only that.
    runArchiveJobIfMarked();
    Launcher launcher;
    // Every resource lookup on this thread then uses the system's default language.
    SetThreadLocale(GetSystemDefaultLCID());
    // Any first call into the window manager creates this thread's message queue; a secondary
    // instance receives the primary's answer there, so it must exist before the request.
    DefWindowProcW(nullptr, WM_NULL, 0, 0);
    return launcher.launch();
}
