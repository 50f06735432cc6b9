#include "vmhost/vm_settings.h"

#include "settings/settings.h"

namespace {

// A redirection target and whether it appends ("yes" exactly, in lower case).
void readStreamFile(const VmOptionSources& sources, const char* fileKey, const char* appendKey,
                    std::string& file, bool& append) {
    file = sources.setting(SettingsSection::application, fileKey);
    if (!file.empty())
        sources.classPath.expandEnvironment(file);
    append = sources.setting(SettingsSection::application, appendKey) == "yes";
}

std::vector<std::string> cmdArguments(const VmOptionSources& sources) {
    std::vector<std::string> arguments;
    std::string text = sources.setting(SettingsSection::application, SettingsKey::cmd);
    if (text.empty())
        return arguments;
    sources.classPath.expandEnvironment(text);
    std::vector<std::string> items;
    sources.splitArguments(text, items);
    for (std::string& item : items) {
        if (!item.empty())
            arguments.push_back(std::move(item));
    }
    return arguments;
}

// The entries of a class-path option as the VM will read them.
std::vector<std::string> classPathEntries(const std::string& option) {
    std::vector<std::string> entries;
    size_t start = option.find('=') + 1;
    while (start < option.size()) {
        size_t end = option.find(classPathSeparator(), start);
        if (end == std::string::npos)
            end = option.size();
        if (end > start)
            entries.push_back(option.substr(start, end - start));
        start = end + 1;
    }
    return entries;
}

} // namespace

std::optional<VmOptionsResult> collectVmOptions(const VmOptionSources& sources) {
    bool embeddedJar =
        isYesInAnyCase(sources.setting(SettingsSection::application, SettingsKey::embeddedJar));
    std::string classPath =
        buildClassPath(sources.setting(SettingsSection::classPath, SettingsKey::classPath),
                       embeddedJar, sources.classPath);
    if (classPath.empty())
        return std::nullopt;

    std::string classPathOption = "-Djava.class.path=" + classPath;
    sources.classPath.expandEnvironment(classPathOption);
    VmParameterList parameters(sources.memoryStatus);
    splitVmParameters(sources.setting(SettingsSection::javaRuntimeEnvironment,
                                      SettingsKey::virtualMachineParameters),
                      parameters);
    for (std::string& option : parameters.options)
        sources.classPath.expandEnvironment(option);

    std::vector<std::string> options{classPathOption};
    if (isYesInAnyCase(sources.setting(SettingsSection::javaRuntimeEnvironment,
                                       SettingsKey::classDataCache)) &&
        sources.classDataOptions) {
        for (std::string& option :
             sources.classDataOptions(classPathEntries(classPathOption), parameters.options))
            options.push_back(std::move(option));
    }
    options.insert(options.end(), parameters.options.begin(), parameters.options.end());
    VmOptionsResult result;
    for (const std::string& option : options)
        result.options.push_back(sources.toOptionText(option));
    result.mainStackSize = parameters.mainStackSize;

    StreamFiles& streams = result.streams;
    readStreamFile(sources, SettingsKey::outputFile, SettingsKey::outputAppend, streams.outputFile,
                   streams.outputAppend);
    readStreamFile(sources, SettingsKey::errorFile, SettingsKey::errorAppend, streams.errorFile,
                   streams.errorAppend);
    result.cmdArguments = cmdArguments(sources);
    return result;
}
