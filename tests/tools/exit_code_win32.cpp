// Test tool: runs a command line, waits for it, and prints the child's full 32-bit exit code
// in decimal (Wine's own status has 8 bits only). The command line is the environment
// variable CHILD_COMMAND_LINE when set (exact text, quotes and all), else the rest of this
// tool's own command line.

#include <windows.h>

#include <cstdio>

namespace {
// Skips the tool's own path, quoted or not, and the blanks after it.
const wchar_t* restOfCommandLine(const wchar_t* line) {
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"')
            ++line;
        if (*line)
            ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t')
            ++line;
    }
    while (*line == L' ' || *line == L'\t')
        ++line;
    return line;
}
} // namespace

int wmain() {
    static wchar_t fromEnvironment[32768];
    DWORD length = GetEnvironmentVariableW(L"CHILD_COMMAND_LINE", fromEnvironment, 32768);
    const wchar_t* line =
        length > 0 && length < 32768 ? fromEnvironment : restOfCommandLine(GetCommandLineW());
    SetEnvironmentVariableW(L"CHILD_COMMAND_LINE", nullptr);
    wchar_t* child = _wcsdup(line);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, child, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "exit_code: cannot start child (error %lu)\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("exit code: %lu\n", code);
    std::fflush(stdout);
    free(child);
    return 0;
}
