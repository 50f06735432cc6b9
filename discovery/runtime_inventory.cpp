#include "discovery/runtime_inventory.h"

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

const RegistryRoot& rootOf(RuntimeKind kind, RuntimeVendor vendor) {
    for (const RegistryRoot& root : registryRoots)
        if (root.kind == kind && root.vendor == vendor)
            return root;
    // Only IBM lacks a JDK root; its JDKs join its one root.
    return rootOf(RuntimeKind::jre, vendor);
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

const RegistryRoot& inventoryRoot(const ReleaseInfo& release, bool isJdk) {
    RuntimeKind kind = isJdk ? RuntimeKind::jdk : RuntimeKind::jre;
    std::string vendor = lowerCase(release.implementor + " " + release.jvmVariant);
    if (vendor.find("ibm") != std::string::npos || vendor.find("openj9") != std::string::npos)
        return rootOf(kind, RuntimeVendor::ibm);
    if (vendor.find("jrockit") != std::string::npos)
        return rootOf(kind, RuntimeVendor::jrockit);
    return rootOf(kind, RuntimeVendor::sun);
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
