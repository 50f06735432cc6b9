#include "bench/option_sources.h"

#include "support/process_environment.h"

VmOptionSources launcherOptionSources(LayeredSettings& settings, const std::string& launcherPath) {
    VmOptionSources sources;
    sources.setting = [&settings](const std::string& section, const std::string& key) {
        return settings.value(section, key);
    };
    sources.classPath.expandEnvironment = expandEnvironment;
    sources.classPath.launcherPath = [launcherPath] { return launcherPath; };
    sources.classPath.listMatchingFiles = listMatchingFiles;
    sources.memoryStatus = queryMemoryStatus;
    sources.splitArguments = splitArguments;
    sources.toOptionText = toVmOptionText;
    return sources;
}
