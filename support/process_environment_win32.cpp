#include "support/process_environment.h"

#include "support/wide_text.h"

#include <cwchar>
#include <cwctype>
#include <windows.h>

void parseCommandLine(std::vector<std::string>& arguments) {
    std::wstring line = GetCommandLineW();
    size_t first = 0;
    size_t end = line.size();
    while (first < end && std::iswspace(line[first]))
        ++first;
    while (end > first && std::iswspace(line[end - 1]))
        --end;
    splitCommandLine(toUtf8(line.substr(first, end - first)), arguments);
}

void expandEnvironment(std::string& text) {
    std::wstring source = toWide(text);
    DWORD size = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (size == 0)
        return;
    std::wstring buffer(size, L'\0');
    if (ExpandEnvironmentStringsW(source.c_str(), buffer.data(), size) == 0)
        return;
    text = toUtf8(buffer.c_str(), std::wcslen(buffer.c_str()));
}

bool readEnvironmentVariable(const std::string& name, std::string& value) {
    std::wstring wideName = toWide(name);
    // The size counts the closing NUL, so a defined but empty variable gives 1.
    DWORD size = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (size == 0)
        return false;
    std::wstring buffer(size, L'\0');
    // A length of 0 is both an empty value and a failure; only the error code tells them apart.
    SetLastError(ERROR_SUCCESS);
    DWORD length = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), size);
    if ((length == 0 && GetLastError() != ERROR_SUCCESS) || length >= size)
        return false;
    value = toUtf8(buffer.data(), length);
    return true;
}

void writeEnvironmentVariable(const std::string& name, const std::string& value) {
    SetEnvironmentVariableW(toWide(name).c_str(), toWide(value).c_str());
}

void setCurrentFolder(const std::string& folder) {
    SetCurrentDirectoryW(toWide(folder).c_str());
}

std::string narrowOptionText(const std::string& utf8) {
    return toAnsi(toWide(utf8));
}
