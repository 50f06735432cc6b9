#include "discovery/runtime_inventory.h"

#include "support/trace.h"

#include <algorithm>
#include <cctype>

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string unquoted(std::string value) {
    while (!value.empty() && (value.back() == '\r' || value.back() == ' '))
        value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

template <typename Build> void traceScan(Build build) {
    if (isTracing())
        traceLine("runtime search: " + build());
}

// The runtime in folder (ending in the separator); false, with the reason traced, when the
// folder holds none.
bool readInstalledRuntime(RuntimeHost& host, const std::string& folder, InstalledRuntime& runtime) {
    std::string text;
    if (!host.readTextFile(folder + "release", text)) {
        traceScan([&] { return "  skipped " + folder + ": no release file"; });
        return false;
    }
    ReleaseInfo release = parseReleaseFile(text);
    RuntimeCandidate& candidate = runtime.candidate;
    JavaVersion::parse(release.javaVersion, 0, candidate.version);
    bool isJdk = isJdkHome(host, folder);
    candidate.kind = isJdk ? RuntimeKind::jdk : RuntimeKind::jre;
    candidate.vendor = inventoryVendor(release);
    candidate.home = isJdk ? jdkRuntimeHome(host, folder) : folder;
    runtime.view = inventoryView(release);
    if (release.javaVersion.empty())
        traceScan([&] { return "  " + folder + ": no JAVA_VERSION in its release file"; });
    return true;
}

} // namespace

ReleaseInfo parseReleaseFile(const std::string& text) {
    ReleaseInfo release;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        size_t equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        std::string key = line.substr(0, equals);
        std::string value = unquoted(line.substr(equals + 1));
        if (key == "JAVA_VERSION")
            release.javaVersion = value;
        else if (key == "IMPLEMENTOR")
            release.implementor = value;
        else if (key == "JVM_VARIANT")
            release.jvmVariant = value;
        else if (key == "OS_ARCH")
            release.osArch = value;
    }
    return release;
}

RuntimeVendor inventoryVendor(const ReleaseInfo& release) {
    std::string vendor = lowerCase(release.implementor + " " + release.jvmVariant);
    if (vendor.find("ibm") != std::string::npos || vendor.find("openj9") != std::string::npos)
        return RuntimeVendor::ibm;
    if (vendor.find("jrockit") != std::string::npos)
        return RuntimeVendor::jrockit;
    return RuntimeVendor::sun;
}

RegistryView inventoryView(const ReleaseInfo& release) {
    static const char* const x86Names[] = {"x86", "i386", "i486", "i586", "i686"};
    std::string arch = lowerCase(release.osArch);
    for (const char* name : x86Names)
        if (arch == name)
            return RegistryView::x86;
    return RegistryView::native;
}

std::vector<std::string> inventoryFolders(const std::string& userHome) {
    std::vector<std::string> folders{"/usr/lib/jvm", "/usr/lib64/jvm", "/usr/java",
                                     "/usr/local/java", "/opt/java"};
    if (userHome.empty())
        return folders;
    std::string home = userHome.back() == '/' ? userHome : userHome + "/";
    for (const char* tool : {".sdkman/candidates/java", ".jdks", ".gradle/jdks"})
        folders.push_back(home + tool);
    return folders;
}

void scanRuntimeFolders(RuntimeHost& host, const std::vector<std::string>& folders,
                        const std::function<void(InstalledRuntime&)>& found) {
    const char separator = host.layout().separator;
    std::vector<FolderEntry> entries;
    for (const std::string& folder : folders) {
        if (!host.listFolder(folder, entries)) {
            traceScan([&] {
                bool exists = host.fileExists(folder.substr(0, folder.size() - 1));
                return "folder " + folder + (exists ? ": cannot be read" : ": no such folder");
            });
            continue;
        }
        traceScan([&] {
            return "folder " + folder + ": " + std::to_string(entries.size()) + " entries";
        });
        for (const FolderEntry& entry : entries) {
            if (!entry.isFolder) {
                traceScan([&] { return "  skipped " + folder + entry.name + ": not a folder"; });
                continue;
            }
            InstalledRuntime runtime;
            if (readInstalledRuntime(host, folder + entry.name + separator, runtime))
                found(runtime);
        }
    }
}
