#include "launch/settings.h"

#include "launch/launcher.h"
#include "support/split_string.h"
#include "support/trace.h"
#include "ui/messages.h"

#include <algorithm>

namespace {

namespace Section = SettingsSection;
namespace Key = SettingsKey;

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsInAnyCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

JvmType jvmTypeSetting(const std::string& value) {
    if (value == "server")
        return JvmType::server;
    if (value == "favor_server")
        return JvmType::favorServer;
    return JvmType::client;
}

// Which kinds of runtime the search wants (exact comparisons).
void applyJvmSource(Launcher& launcher, const std::string& value) {
    struct Row {
        const char* value;
        bool kindFallback, jdkWanted, jreWanted;
    };
    static const Row rows[] = {
        {"favor_JRE", true, false, true},
        {"favor_JDK", true, true, false},
        {"only_JRE", false, false, true},
        {"only_JDK", false, true, false},
    };
    if (value.empty()) {
        launcher.jdkWanted = launcher.jreWanted = true;
        return;
    }
    Row chosen{"", false, false, false};
    for (const Row& row : rows) {
        if (value == row.value)
            chosen = row;
    }
    launcher.kindFallback = chosen.kindFallback;
    launcher.jdkWanted = chosen.jdkWanted;
    launcher.jreWanted = chosen.jreWanted;
}

// Which vendors' runtimes are admitted and favored (any letter case); an empty or unknown
// value keeps the defaults.
void applyVmProvider(Launcher& launcher, const std::string& value) {
    struct Row {
        const char* value;
        bool jrockitAdmitted, jrockitFavored, sunAdmitted, sunFavored, ibmAdmitted, ibmFavored;
    };
    static const Row rows[] = {
        {"jrockit", true, true, false, false, false, false},
        {"ibm", false, false, false, false, true, true},
        {"favor_sun", true, false, true, true, true, false},
        {"favor_jrockit", true, true, true, false, true, false},
        {"favor_ibm", true, false, true, false, true, true},
        {"any", true, false, true, false, true, false},
    };
    for (const Row& row : rows) {
        if (!equalsInAnyCase(value, row.value))
            continue;
        launcher.jrockitRuntimeAdmitted = row.jrockitAdmitted;
        launcher.jrockitRuntimeFavored = row.jrockitFavored;
        launcher.sunRuntimeAdmitted = row.sunAdmitted;
        launcher.sunRuntimeFavored = row.sunFavored;
        launcher.ibmRuntimeAdmitted = row.ibmAdmitted;
        launcher.ibmRuntimeFavored = row.ibmFavored;
    }
}

// A per-user file that exists answers alone, even without the key; a service, a system outside
// the NT family and a missing per-user file take the layered lookup.
std::string jrePathSetting(const Launcher& launcher, const SettingsContext& context,
                           LayeredSettings& settings) {
    if (context.ntPlatform && !launcher.isService) {
        std::string userPath =
            userSettingsPathFor(launcher, context, context.executablePath, false);
        if (FileFinder().find(userPath)) {
            std::string value =
                SettingsFile(userPath).fileValue(Section::javaRuntimeEnvironment, Key::jrePath);
            traceSetting(Section::javaRuntimeEnvironment, Key::jrePath, value,
                         "the per-user file " + userPath);
            return value;
        }
    }
    return settings.value(Section::javaRuntimeEnvironment, Key::jrePath);
}

} // namespace

bool isYesInAnyCase(const std::string& value) {
    return equalsInAnyCase(value, "Yes");
}

bool loadSettings(Launcher& launcher, const SettingsContext& context) {
    // The product's identity never comes from the built-in text.
    SettingsFile file(context.settingsPath);
    launcher.productCode = file.fileValue(Section::productInformation, Key::productCode);
    launcher.upgradeCode = file.fileValue(Section::productInformation, Key::upgradeCode);
    launcher.productName = file.fileValue(Section::productInformation, Key::productName);

    LayeredSettings settings(context.settingsPath, context.builtInText);
    if (isTracing())
        traceLine("settings file " + context.settingsPath +
                  (context.builtInText.empty() ? "" : " over the built-in settings text"));
    auto runtimeValue = [&](const char* key) {
        return settings.value(Section::javaRuntimeEnvironment, key);
    };
    auto applicationValue = [&](const char* key) {
        return settings.value(Section::application, key);
    };
    launcher.minVersion = minimumVersionSetting(runtimeValue(Key::minimumVersion));
    launcher.maxVersion = maximumVersionSetting(runtimeValue(Key::maximumVersion));
    launcher.isService = applicationValue(Key::applicationType) == "service";
    launcher.singleInstance = applicationValue(Key::singleInstance) == "yes";
    splitString(runtimeValue(Key::preferredVersions), ";", launcher.preferredVersions);
    launcher.jrePath = jrePathSetting(launcher, context, settings);
    launcher.jvmType = jvmTypeSetting(runtimeValue(Key::jvmType));
    applyJvmSource(launcher, runtimeValue(Key::jvmSource));
    applyVmProvider(launcher, runtimeValue(Key::vmProvider));
    launcher.mainClassName = runtimeValue(Key::mainClass);
    std::replace(launcher.mainClassName.begin(), launcher.mainClassName.end(), '.', '/');
    if (launcher.mainClassName.empty())
        return false;

    launcher.showExceptionDialog = isYesInAnyCase(applicationValue(Key::failureCheck));
    launcher.overrideWorkingDir = isYesInAnyCase(applicationValue(Key::overrideWorkingDir));
    launcher.systemPath = runtimeValue(Key::systemPath);
    launcher.libraryPath = runtimeValue(Key::libraryPath);
    launcher.pairProduct = applicationValue(Key::pairProduct);
    launcher.pairReturnCode = isYesInAnyCase(applicationValue(Key::pairReturnCode));
    return true;
}

bool readSettings(Launcher& launcher) {
    SettingsContext context;
    if (!currentSettingsContext(context))
        return false;
    if (loadSettings(launcher, context))
        return true;
    reportError(launcher.splashWindowHandle, loadResourceString(MessageId::mainClassMissing));
    return false;
}
