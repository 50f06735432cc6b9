#include "settings/settings.h"

#include "support/split_string.h"
#include "support/trace.h"

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
void applyJvmSource(RuntimeRequirements& runtime, const std::string& value) {
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
        runtime.jdkWanted = runtime.jreWanted = true;
        return;
    }
    Row chosen{"", false, false, false};
    for (const Row& row : rows) {
        if (value == row.value)
            chosen = row;
    }
    runtime.kindFallback = chosen.kindFallback;
    runtime.jdkWanted = chosen.jdkWanted;
    runtime.jreWanted = chosen.jreWanted;
}

// Which vendors' runtimes are admitted and favored (any letter case); an empty or unknown
// value keeps the defaults.
void applyVmProvider(RuntimeRequirements& runtime, const std::string& value) {
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
        runtime.jrockitAdmitted = row.jrockitAdmitted;
        runtime.jrockitFavored = row.jrockitFavored;
        runtime.sunAdmitted = row.sunAdmitted;
        runtime.sunFavored = row.sunFavored;
        runtime.ibmAdmitted = row.ibmAdmitted;
        runtime.ibmFavored = row.ibmFavored;
    }
}

// A per-user file that exists answers alone, even without the key; a service, a system outside
// the NT family and a missing per-user file take the layered lookup.
std::string jrePathSetting(const LaunchSettings& read, const SettingsContext& context,
                           LayeredSettings& settings) {
    if (context.ntPlatform && !read.isService) {
        std::string userPath =
            userSettingsPathFor(read.product, context, context.executablePath, false);
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

std::optional<LaunchSettings> loadSettings(const SettingsContext& context) {
    LaunchSettings read;
    // The product's identity never comes from the built-in text.
    SettingsFile file(context.settingsPath);
    read.product.code = file.fileValue(Section::productInformation, Key::productCode);
    read.product.name = file.fileValue(Section::productInformation, Key::productName);

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
    RuntimeRequirements& runtime = read.runtime;
    runtime.minVersion = minimumVersionSetting(runtimeValue(Key::minimumVersion));
    runtime.maxVersion = maximumVersionSetting(runtimeValue(Key::maximumVersion));
    read.isService = applicationValue(Key::applicationType) == "service";
    read.singleInstance = applicationValue(Key::singleInstance) == "yes";
    splitString(runtimeValue(Key::preferredVersions), ";", runtime.preferredVersions);
    // Takes the product and isService read above.
    runtime.jrePath = jrePathSetting(read, context, settings);
    runtime.jvmType = jvmTypeSetting(runtimeValue(Key::jvmType));
    applyJvmSource(runtime, runtimeValue(Key::jvmSource));
    applyVmProvider(runtime, runtimeValue(Key::vmProvider));
    read.mainClassName = runtimeValue(Key::mainClass);
    std::replace(read.mainClassName.begin(), read.mainClassName.end(), '.', '/');
    if (read.mainClassName.empty())
        return std::nullopt;

    read.showExceptionDialog = isYesInAnyCase(applicationValue(Key::failureCheck));
    read.overrideWorkingDir = isYesInAnyCase(applicationValue(Key::overrideWorkingDir));
    read.systemPath = runtimeValue(Key::systemPath);
    read.libraryPath = runtimeValue(Key::libraryPath);
    read.pairProduct = applicationValue(Key::pairProduct);
    runtime.pairProductSet = !read.pairProduct.empty();
    read.pairReturnCode = isYesInAnyCase(applicationValue(Key::pairReturnCode));
    return read;
}
