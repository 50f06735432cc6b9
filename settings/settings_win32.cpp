#include "settings/settings.h"
#include "settings/settings_platform.h"

#include "support/wide_text.h"

#include <windows.h>

namespace {

// APPDATA is read into a buffer of this many characters; a longer value counts as unset.
constexpr DWORD appDataBufferSize = 260;

} // namespace

std::string appDataFolder() {
    wchar_t buffer[appDataBufferSize];
    DWORD length = GetEnvironmentVariableW(L"APPDATA", buffer, appDataBufferSize);
    if (length == 0 || length >= appDataBufferSize)
        return {};
    return toUtf8(buffer, length);
}

bool isNtPlatform() {
    OSVERSIONINFOEXW extended{};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended)))
        return extended.dwPlatformId == VER_PLATFORM_WIN32_NT;
    OSVERSIONINFOW plain{};
    plain.dwOSVersionInfoSize = sizeof plain;
    return GetVersionExW(&plain) && plain.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

void createUserSettingsFolders(const std::string&, const std::vector<std::string>& folders) {
    for (const std::string& folder : folders)
        CreateDirectoryW(toWide(folder).c_str(), nullptr);
}
