// Lists the top-level windows of one class in the Wine session, one line each, for the splash
// tests: styles, class styles, the window rectangle and whether it is visible. The screen size
// comes first. Usage: window_probe <class name>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    std::wstring className;
    int found = 0;
};

BOOL CALLBACK report(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<Search*>(context);
    wchar_t name[256];
    if (GetClassNameW(window, name, 256) == 0 || search->className != name)
        return TRUE;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("window style=0x%08lx exstyle=0x%08lx classstyle=0x%08lx rect=%ld,%ld,%ld,%ld "
                "visible=%d\n",
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                static_cast<unsigned long>(GetClassLongPtrW(window, GCL_STYLE)), rect.left,
                rect.top, rect.right, rect.bottom, IsWindowVisible(window) ? 1 : 0);
    ++search->found;
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    Search search{argv[1]};
    EnumWindows(report, reinterpret_cast<LPARAM>(&search));
    std::fflush(stdout);
    return 0;
}
