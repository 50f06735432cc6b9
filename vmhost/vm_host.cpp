#include "vmhost/vm_host.h"

#include "settings/settings.h"
#include "settings/settings_source.h"
#include "support/paths.h"
#include "support/process_environment.h"
#include "ui/messages.h"
#include "vmhost/class_data_cache.h"
#include "vmhost/vm_settings.h"

#include <memory>

namespace {

// The services of the running process; the settings are those of the launcher's settings file
// over the built-in text, read afresh.
VmOptionSources processSources(LayeredSettings& settings) {
    VmOptionSources sources;
    sources.setting = [&settings](const std::string& section, const std::string& key) {
        return settings.value(section, key);
    };
    sources.classPath.expandEnvironment = expandEnvironment;
    sources.classPath.launcherPath = [] {
        // modulePath has told the user when it fails; an empty path takes its place.
        std::string path;
        return modulePath(path) ? path : std::string();
    };
    sources.classPath.listMatchingFiles = listMatchingFiles;
    sources.memoryStatus = queryMemoryStatus;
    sources.splitArguments = splitArguments;
    sources.toOptionText = toVmOptionText;
    return sources;
}

} // namespace

std::optional<VmOptionsResult> buildVmOptions(const std::string& jvmPath,
                                              const std::atomic<OsHandle>& errorOwner) {
    std::string path;
    if (!settingsFilePath(path))
        return std::nullopt;
    LayeredSettings settings(path, builtInSettingsText());
    VmOptionSources sources = processSources(settings);
    ClassDataPlan plan;
    sources.classDataOptions = [&](const std::vector<std::string>& classPath,
                                   const std::vector<std::string>& userOptions) {
        plan = planClassData({path, jvmPath, classPath, userOptions}, systemClassDataFiles());
        return plan.options;
    };
    std::optional<VmOptionsResult> result = collectVmOptions(sources);
    if (!result) {
        reportError(errorOwner, loadResourceString(MessageId::classPathMissing));
        return std::nullopt;
    }
    if (!plan.stem.empty()) {
        result->classDataPublisher = std::make_unique<ClassDataPublisher>(
            std::move(plan), systemClassDataFiles(), vmHookListener());
        setVmHookListener(result->classDataPublisher.get());
    }
    return result;
}
