#pragma once

// The operating-system side of the launcher settings (settings_win32.cpp, settings_posix.cpp).

#include <string>
#include <vector>

// Windows: GetVersionExW reports the NT platform (extended record first, then the plain one;
// not NT when both fail). POSIX: always, so the per-user file is used as on NT.
bool isNtPlatform();
// Makes each folder in order, failures ignored. POSIX first makes the per-user folder itself
// (private to the user) when it is missing.
void createUserSettingsFolders(const std::string& appData, const std::vector<std::string>& folders);
