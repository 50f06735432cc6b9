#include "discovery/runtime_search.h"

#include "discovery/vm_library_check.h"
#include "launch/launcher.h"

#include <algorithm>

const RuntimeLayout& windowsRuntimeLayout() {
    static const RuntimeLayout layout{'\\',
                                      "bin\\java.dll",
                                      "bin\\server\\jvm.dll",
                                      "bin\\client\\jvm.dll",
                                      "bin\\classic\\jvm.dll",
                                      "bin\\hotspot\\jvm.dll",
                                      "bin\\jrockit\\jvm.dll",
                                      "jre\\",
                                      "jre64\\"};
    return layout;
}

const RuntimeLayout& posixRuntimeLayout() {
    static const RuntimeLayout layout{'/',
                                      "lib/libjava.so",
                                      "lib/server/libjvm.so",
                                      "lib/client/libjvm.so",
                                      "lib/classic/libjvm.so",
                                      "lib/hotspot/libjvm.so",
                                      "lib/jrockit/libjvm.so",
                                      "",
                                      "jre64/"};
    return layout;
}

namespace {

std::string withSeparator(std::string folder, char separator) {
    if (folder.empty() || folder.back() != separator)
        folder += separator;
    return folder;
}

} // namespace

std::string findVmLibrary(RuntimeHost& host, const std::string& home, JvmType type,
                          bool& hasServerVm) {
    const RuntimeLayout& layout = host.layout();
    struct Probe {
        const std::string& name;
        bool server;
    };
    // A server-only search stops after the server library; favor_server tries it first.
    if (type == JvmType::server || type == JvmType::favorServer) {
        if (host.fileExists(home + layout.serverLibrary)) {
            hasServerVm = true;
            return home + layout.serverLibrary;
        }
        if (type == JvmType::server)
            return {};
    }
    const Probe probes[] = {{layout.clientLibrary, false},
                            {layout.classicLibrary, false},
                            {layout.hotspotLibrary, false},
                            {layout.serverLibrary, true},
                            {layout.jrockitLibrary, false}};
    for (const Probe& probe : probes) {
        if (host.fileExists(home + probe.name)) {
            hasServerVm = probe.server;
            return home + probe.name;
        }
    }
    return {};
}

bool isJavaHome(RuntimeHost& host, const std::string& folder) {
    return host.fileExists(folder + host.layout().homeMarker);
}

bool findAdjacentRuntime(RuntimeHost& host, std::string& home) {
    home.clear();
    std::string executable;
    if (!host.modulePath(executable))
        return false;
    std::string folder = executable.substr(0, executable.rfind(host.layout().separator) + 1);
    if (isJavaHome(host, folder))
        home = folder;
    else if (isJavaHome(host, folder + host.layout().adjacentFolder))
        home = folder + host.layout().adjacentFolder;
    return true;
}

bool isRootSearched(const Launcher& launcher, const RegistryRoot& root) {
    bool kindWanted = launcher.kindFallback ||
                      (root.kind == RuntimeKind::jdk ? launcher.jdkWanted : launcher.jreWanted);
    switch (root.vendor) {
    case RuntimeVendor::sun:
        return kindWanted && (launcher.sunRuntimeAdmitted || launcher.sunRuntimeFavored);
    case RuntimeVendor::jrockit:
        return kindWanted && (launcher.jrockitRuntimeAdmitted || launcher.jrockitRuntimeFavored);
    case RuntimeVendor::ibm:
        return kindWanted && (launcher.ibmRuntimeAdmitted || launcher.ibmRuntimeFavored);
    }
    return false;
}

bool isRootFavored(const Launcher& launcher, const RegistryRoot& root) {
    bool kindWanted = root.kind == RuntimeKind::jdk ? launcher.jdkWanted : launcher.jreWanted;
    switch (root.vendor) {
    case RuntimeVendor::sun:
        return kindWanted && launcher.sunRuntimeFavored;
    case RuntimeVendor::jrockit:
        return kindWanted && launcher.jrockitRuntimeFavored;
    case RuntimeVendor::ibm:
        return kindWanted && launcher.ibmRuntimeFavored;
    }
    return false;
}

bool readCandidate(const Launcher& launcher, RuntimeHost& host, const RegistryRoot& root,
                   const std::string& subkey, RegistryView view, RuntimeCandidate& candidate) {
    std::string home = host.javaHome(root, subkey, view);
    if (home.empty())
        return false;
    home = withSeparator(home, host.layout().separator);
    if (root.kind == RuntimeKind::jdk)
        home += host.layout().jdkRuntimeFolder;
    // The JavaSoft JRE root probes client first even for favor_server, so its runtimes
    // count as server-capable only when they have no client VM.
    JvmType probeType = launcher.jvmType;
    if (root.vendor == RuntimeVendor::sun && root.kind == RuntimeKind::jre &&
        probeType == JvmType::favorServer)
        probeType = JvmType::client;
    bool hasServerVm = false;
    if (findVmLibrary(host, home, probeType, hasServerVm).empty())
        return false;
    JavaVersion::parse(host.versionText(root, subkey, view), 0, candidate.version);
    candidate.home = home;
    candidate.hasServerVm = hasServerVm;
    candidate.favored = isRootFavored(launcher, root);
    return true;
}

void collectCandidates(const Launcher& launcher, RuntimeHost& host, const RegistryRoot& root,
                       RegistryView view, std::vector<RuntimeCandidate>& candidates) {
    for (const std::string& subkey : host.subkeyNames(root, view)) {
        JavaVersion version;
        JavaVersion::parse(host.versionText(root, subkey, view), 0, version);
        if (compare(version, launcher.maxVersion) > 0 || compare(version, launcher.minVersion) < 0)
            continue;
        RuntimeCandidate candidate;
        if (readCandidate(launcher, host, root, subkey, view, candidate))
            candidates.push_back(candidate);
    }
}

void sortCandidates(const Launcher& launcher, std::vector<RuntimeCandidate>& candidates) {
    bool byFavor = launcher.kindFallback;
    bool byServer = launcher.jvmType == JvmType::favorServer;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [=](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                         if (byFavor && a.favored != b.favored)
                             return a.favored;
                         if (byServer && a.hasServerVm != b.hasServerVm)
                             return a.hasServerVm;
                         return compare(a.version, b.version) > 0;
                     });
}

const RuntimeCandidate& chooseCandidate(const Launcher& launcher,
                                        const std::vector<RuntimeCandidate>& candidates) {
    for (const std::string& preferred : launcher.preferredVersions) {
        JavaVersion pattern;
        JavaVersion::parse(preferred, 0, pattern);
        for (const RuntimeCandidate& candidate : candidates)
            if (matches(candidate.version, pattern))
                return candidate;
    }
    return candidates.front();
}

bool searchRegistry(const Launcher& launcher, RuntimeHost& host, RegistryView view,
                    std::string& home) {
    std::vector<RuntimeCandidate> candidates;
    for (const RegistryRoot& root : registryRoots)
        if (isRootSearched(launcher, root))
            collectCandidates(launcher, host, root, view, candidates);
    if (candidates.empty())
        return false;
    sortCandidates(launcher, candidates);
    home = chooseCandidate(launcher, candidates).home;
    return true;
}

bool locateRuntime(Launcher& launcher, RuntimeHost& host) {
    const char separator = host.layout().separator;
    bool hasServerVm = false;
    // The configured folder is taken as it is: bounds, kind and vendor do not apply.
    if (!launcher.jrePath.empty()) {
        std::string home = withSeparator(launcher.jrePath, separator);
        launcher.jvmPath = findVmLibrary(host, home, launcher.jvmType, hasServerVm);
        if (!launcher.jvmPath.empty()) {
            checkVmArchitecture(launcher, host);
            return true;
        }
    }
    // An empty home would probe relative names against whatever the current folder is.
    std::string home;
    if (findAdjacentRuntime(host, home) && !home.empty()) {
        launcher.jvmPath = findVmLibrary(host, home, launcher.jvmType, hasServerVm);
        if (!launcher.jvmPath.empty())
            return true;
    }
    bool found = searchRegistry(launcher, host, RegistryView::native, home);
    if (!found && !launcher.pairProduct.empty()) {
        found = searchRegistry(launcher, host, RegistryView::x86, home);
        // Only the paired 32-bit launcher can load a runtime of that view.
        if (found)
            launcher.usePairedLauncher = true;
    }
    if (found) {
        launcher.jvmPath = findVmLibrary(host, home, launcher.jvmType, hasServerVm);
        if (!launcher.jvmPath.empty())
            return true;
    }
    // The caller asks the user (askForRuntime) when every source failed.
    return false;
}
