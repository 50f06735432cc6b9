// Test tool for the harness's own tests: shows its first argument in an error message box
// (as the launcher does) and ends with the exit code given as second argument.

#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const wchar_t* text = count > 1 ? arguments[1] : L"";
    unsigned long code = count > 2 ? std::wcstoul(arguments[2], nullptr, 10) : 0;
    MessageBoxW(nullptr, text, nullptr, MB_OK | MB_ICONERROR);
    LocalFree(arguments);
    return static_cast<int>(code);
}
