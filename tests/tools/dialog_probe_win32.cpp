// Test tool: looks at and handles a dialog of another process from outside, as the Wine tests
// need where xdotool cannot see inside Wine's windows. The dialog is found by its caption.
//   dialog_probe state CAPTION     geometry, owner, work area and every control, one a line
//   dialog_probe trace CAPTION ID  the UTF-8 text of control ID on standard output
//   dialog_probe size CAPTION W H  resizes the dialog as a sizing frame would
//   dialog_probe notify CAPTION maximized|restored
//                                  sends the size notification of a maximise or a restore
//   dialog_probe close CAPTION     what the close box does
//   dialog_probe scroll CAPTION ID scrolls control ID to its end; prints its first visible
//                                  line and its line count
// Waits up to 180 seconds for the dialog; exit code 2 when it never appears.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// A message to the dialog's thread; 0 when that thread does not answer within a minute.
LRESULT ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 60000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// Asked by message: for another process's window, GetWindowText gives only the caption that
// the system keeps, never an edit control's own text.
std::wstring windowText(HWND window) {
    auto length = static_cast<size_t>(ask(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<size_t>(
        ask(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

HWND findDialog(const wchar_t* caption) {
    for (int i = 0; i < 1800; ++i) {
        HWND dialog = FindWindowW(L"#32770", caption);
        if (dialog != nullptr && IsWindowVisible(dialog))
            return dialog;
        Sleep(100);
    }
    return nullptr;
}

void printRect(const char* label, const RECT& rect) {
    std::printf("%s %ld %ld %ld %ld\n", label, rect.left, rect.top, rect.right, rect.bottom);
}

void printState(HWND dialog) {
    RECT window{};
    GetWindowRect(dialog, &window);
    printRect("window", window);
    RECT client{};
    GetClientRect(dialog, &client);
    printRect("client", client);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    std::printf("origin %ld %ld\n", origin.x, origin.y);
    std::printf("owned %d\n", GetWindow(dialog, GW_OWNER) != nullptr ? 1 : 0);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    printRect("work", monitor.rcWork);
    std::printf("maximized %d\n", IsZoomed(dialog) ? 1 : 0);
    for (HWND control = GetWindow(dialog, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(control);
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        std::printf("control %d %d %ld %ld %ld %ld %lx\n", id, IsWindowVisible(control) ? 1 : 0,
                    rect.left, rect.top, rect.right, rect.bottom,
                    static_cast<unsigned long>(GetWindowLongW(control, GWL_STYLE)));
        // The trace box is checked by length; its text may be megabytes long.
        if (id == 208)
            std::printf("length %d %d\n", id,
                        static_cast<int>(ask(control, WM_GETTEXTLENGTH, 0, 0)));
        else
            std::printf("text %d %s\n", id, utf8(windowText(control)).c_str());
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3)
        return 1;
    std::wstring command = argv[1];
    HWND dialog = findDialog(argv[2]);
    if (dialog == nullptr)
        return 2;
    if (command == L"state") {
        printState(dialog);
    } else if (command == L"trace" && argc == 4) {
        std::string text = utf8(windowText(GetDlgItem(dialog, _wtoi(argv[3]))));
        _setmode(_fileno(stdout), _O_BINARY);
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else if (command == L"size" && argc == 5) {
        SetWindowPos(dialog, nullptr, 0, 0, _wtoi(argv[3]), _wtoi(argv[4]),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (command == L"notify" && argc == 4) {
        // Without a window manager Wine cannot keep a window maximised; the dialog gets the
        // notification that a maximise or a restore would send, with its current client size.
        RECT client{};
        GetClientRect(dialog, &client);
        WPARAM type = std::wstring(argv[3]) == L"maximized" ? SIZE_MAXIMIZED : SIZE_RESTORED;
        ask(dialog, WM_SIZE, type, MAKELPARAM(client.right, client.bottom));
    } else if (command == L"close") {
        PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (command == L"scroll" && argc == 4) {
        HWND control = GetDlgItem(dialog, _wtoi(argv[3]));
        DWORD_PTR line = 0;
        DWORD_PTR lines = 0;
        // A dialog that hangs while scrolling is an error, not a wait.
        UINT flags = SMTO_ABORTIFHUNG;
        if (!SendMessageTimeoutW(control, WM_VSCROLL, SB_BOTTOM, 0, flags, 30000, nullptr) ||
            !SendMessageTimeoutW(control, EM_GETFIRSTVISIBLELINE, 0, 0, flags, 30000, &line) ||
            !SendMessageTimeoutW(control, EM_GETLINECOUNT, 0, 0, flags, 30000, &lines))
            return 3;
        std::printf("first-line %lu\nlines %lu\n", static_cast<unsigned long>(line),
                    static_cast<unsigned long>(lines));
    } else {
        return 1;
    }
    std::fflush(stdout);
    return 0;
}
