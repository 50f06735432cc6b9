#include "settings/settings.h"
#include "settings/settings_platform.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (!home.empty())
        return home;
    const passwd* entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "";
}

} // namespace

std::string appDataFolder() {
    // The base-directory rules ignore a relative XDG_CONFIG_HOME.
    std::string config = environmentValue("XDG_CONFIG_HOME");
    if (!config.empty() && config[0] == '/')
        return config;
    std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

bool isNtPlatform() {
    return true;
}

void createUserSettingsFolders(const std::string& appData,
                               const std::vector<std::string>& folders) {
    if (!appData.empty())
        mkdir(appData.c_str(), 0700);
    for (const std::string& folder : folders)
        mkdir(folder.c_str(), 0700);
}
