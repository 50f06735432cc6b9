// Test tool standing in for a pair product: records the command line it was started with
// and its working folder as JSON in "<own path without extension>.record", then ends with
// the exit code in PAIR_RECORDER_EXIT_CODE (0 when unset).

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
    return text;
}

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring record(self, length);
    record = record.substr(0, record.rfind(L'.')) + L".record";
    wchar_t folder[MAX_PATH];
    DWORD folderLength = GetCurrentDirectoryW(MAX_PATH, folder);

    std::string json = "{\"command_line\": " + jsonString(utf8(GetCommandLineW())) +
                       ", \"folder\": " + jsonString(utf8(std::wstring(folder, folderLength))) +
                       "}\n";
    // Written aside and renamed, so a reader never sees half a record.
    std::wstring partial = record + L".partial";
    HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    WriteFile(file, json.data(), static_cast<DWORD>(json.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);

    wchar_t code[32];
    DWORD codeLength = GetEnvironmentVariableW(L"PAIR_RECORDER_EXIT_CODE", code, 32);
    return codeLength > 0 && codeLength < 32 ? static_cast<int>(std::wcstoul(code, nullptr, 10))
                                             : 0;
}
