#include "discovery/runtime_search.h"

#include "discovery/runtime_filter.h"
#include "discovery/runtime_inventory.h"
#include "discovery/vm_library_check.h"
#include "support/trace.h"

#include <algorithm>

namespace {

constexpr RuntimeLayout windowsLayout = {'\\',    {"bin\\"}, "java.dll",      "jvm.dll",
                                         "jre\\", "jre64\\", "bin\\javac.exe"};

constexpr RuntimeLayout posixLayout = {
    '/',        {"lib/", "lib/amd64/", "jre/lib/amd64/"}, "libjava.so", "libjvm.so", "", "jre64/",
    "bin/javac"};

} // namespace

const RuntimeLayout& windowsRuntimeLayout() {
    return windowsLayout;
}

const RuntimeLayout& posixRuntimeLayout() {
    return posixLayout;
}

namespace {

std::string withSeparator(std::string folder, char separator) {
    if (folder.empty() || folder.back() != separator)
        folder += separator;
    return folder;
}

// A folder without its final separator, as the existence test wants it ("/" and "C:\" stay).
std::string withoutSeparator(const std::string& folder) {
    if (folder.size() < 2 || folder[folder.size() - 2] == ':')
        return folder;
    return folder.substr(0, folder.size() - 1);
}

struct Probe {
    const char* flavour;
    bool server;
};

constexpr Probe serverOnly[] = {{"server", true}};
constexpr Probe serverFirst[] = {{"server", true},
                                 {"client", false},
                                 {"classic", false},
                                 {"hotspot", false},
                                 {"jrockit", false}};
constexpr Probe clientFirst[] = {{"client", false},
                                 {"classic", false},
                                 {"hotspot", false},
                                 {"server", true},
                                 {"jrockit", false}};

// Constant tables: no guarded first use.
struct ProbeOrder {
    const Probe* first;
    const Probe* last;
    const Probe* begin() const { return first; }
    const Probe* end() const { return last; }
};

// The flavours in the order the type accepts them: server alone, server then the others, or
// the others with server among them.
ProbeOrder probeOrder(JvmType type) {
    if (type == JvmType::server)
        return {std::begin(serverOnly), std::end(serverOnly)};
    if (type == JvmType::favorServer)
        return {std::begin(serverFirst), std::end(serverFirst)};
    return {std::begin(clientFirst), std::end(clientFirst)};
}

} // namespace

std::string findVmLibrary(RuntimeHost& host, const std::string& home, JvmType type,
                          bool& hasServerVm) {
    const RuntimeLayout& layout = host.layout();
    // A home keeps its VM libraries in one library folder: the first that holds an accepted
    // flavour is the home's. Most homes answer in their first folder, as before Java 8 support.
    std::string path;
    for (const char* folder : layout.libraryFolders) {
        if (folder == nullptr)
            break;
        for (const Probe& probe : probeOrder(type)) {
            // One buffer for every probe: the search makes thousands over many runtimes.
            path.assign(home).append(folder).append(probe.flavour);
            path.append(1, layout.separator).append(layout.vmLibrary);
            if (host.fileExists(path)) {
                hasServerVm = probe.server;
                return path;
            }
        }
    }
    return {};
}

bool isJavaHome(RuntimeHost& host, const std::string& folder) {
    const RuntimeLayout& layout = host.layout();
    for (const char* libraries : layout.libraryFolders)
        if (libraries != nullptr && host.fileExists(folder + libraries + layout.marker))
            return true;
    return false;
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

namespace {

// Builds the line only while the trace is on.
template <typename Build> void traceSearch(Build build) {
    if (isTracing())
        traceLine("runtime search: " + build());
}

// The bounds, "JVM Source" and "VM Provider" admit the candidate.
bool isAdmitted(const RuntimeRequirements& requirements, const RuntimeCandidate& candidate,
                const char* source) {
    if (isInBounds(requirements, candidate.version) &&
        isSearched(requirements, candidate.kind, candidate.vendor))
        return true;
    traceSearch([&] {
        return std::string(source) + "rejected " + describe(candidate) + ": " +
               rejection(requirements, candidate);
    });
    return false;
}

// The version a home's release file states; empty without one.
std::string releaseVersion(RuntimeHost& host, const std::string& home) {
    std::string text;
    if (!host.readTextFile(home + "release", text))
        return {};
    return parseReleaseFile(text).javaVersion;
}

// The JavaSoft JRE records probe client first even for favor_server, so their runtimes count
// as server-capable only when they have no client VM.
JvmType probeTypeFor(const RuntimeRequirements& requirements, const RuntimeCandidate& candidate) {
    if (candidate.vendor == RuntimeVendor::sun && candidate.kind == RuntimeKind::jre &&
        requirements.jvmType == JvmType::favorServer)
        return JvmType::client;
    return requirements.jvmType;
}

// Probes the home; fills the candidate when it holds a library for the probe type.
bool probeCandidate(const RuntimeRequirements& requirements, RuntimeHost& host, JvmType probeType,
                    RuntimeCandidate& candidate) {
    bool hasServerVm = false;
    if (findVmLibrary(host, candidate.home, probeType, hasServerVm).empty()) {
        traceSearch([&] {
            return "  rejected " + describe(candidate) + ": no VM library for JVM Type " +
                   typeName(probeType);
        });
        return false;
    }
    candidate.hasServerVm = hasServerVm;
    candidate.favored = isFavored(requirements, candidate.kind, candidate.vendor);
    traceSearch([&] { return "  candidate " + describe(candidate); });
    return true;
}

// A record of today's installers: the home first, since its release file gives the version.
bool readCurrentCandidate(const RuntimeRequirements& requirements, RuntimeHost& host,
                          const RegistryRoot& root, const std::string& subkey, RegistryView view,
                          RuntimeCandidate& candidate) {
    std::string home = host.javaHome(root, subkey, view);
    if (home.empty()) {
        traceSearch([&] {
            return "  rejected " + recordName(root, subkey) + ": no \"" + root.homeValue +
                   "\" value";
        });
        return false;
    }
    candidate.home = withSeparator(home, host.layout().separator);
    std::string version = releaseVersion(host, candidate.home);
    JavaVersion::parse(version.empty() ? subkey : version, 0, candidate.version);
    candidate.kind = root.kind;
    if (root.kind == RuntimeKind::byContents)
        candidate.kind = isJdkHome(host, candidate.home) ? RuntimeKind::jdk : RuntimeKind::jre;
    candidate.vendor = root.vendor;
    if (!isAdmitted(requirements, candidate, "  "))
        return false;
    return probeCandidate(requirements, host, requirements.jvmType, candidate);
}

} // namespace

bool isJdkHome(RuntimeHost& host, const std::string& home) {
    return host.fileExists(home + host.layout().compiler);
}

std::string jdkRuntimeHome(RuntimeHost& host, const std::string& home) {
    const std::string folder = host.layout().jdkRuntimeFolder;
    // JDKs since Java 9 have no jre folder: they are their own runtime.
    if (folder.empty() || !host.fileExists(home + folder.substr(0, folder.size() - 1)))
        return home;
    return home + folder;
}

bool isRootSearched(const RuntimeRequirements& requirements, const RegistryRoot& root) {
    return isSearched(requirements, root.kind, root.vendor);
}

bool isRootFavored(const RuntimeRequirements& requirements, const RegistryRoot& root) {
    return isFavored(requirements, root.kind, root.vendor);
}

bool readCandidate(const RuntimeRequirements& requirements, RuntimeHost& host,
                   const RegistryRoot& root, const std::string& subkey, RegistryView view,
                   RuntimeCandidate& candidate) {
    std::string home = host.javaHome(root, subkey, view);
    if (home.empty()) {
        traceSearch([&] { return "  rejected " + recordName(root, subkey) + ": no JavaHome"; });
        return false;
    }
    home = withSeparator(home, host.layout().separator);
    if (root.kind == RuntimeKind::jdk)
        home = jdkRuntimeHome(host, home);
    JavaVersion::parse(host.versionText(root, subkey, view), 0, candidate.version);
    candidate.home = home;
    candidate.kind = root.kind;
    candidate.vendor = root.vendor;
    return probeCandidate(requirements, host, probeTypeFor(requirements, candidate), candidate);
}

void collectCandidates(const RuntimeRequirements& requirements, RuntimeHost& host,
                       const RegistryRoot& root, RegistryView view,
                       std::vector<RuntimeCandidate>& candidates) {
    std::vector<std::string> subkeys = host.subkeyNames(root, view);
    traceSearch(
        [&] { return rootLabel(root, view) + ": " + std::to_string(subkeys.size()) + " records"; });
    for (const std::string& subkey : subkeys) {
        RuntimeCandidate candidate;
        if (root.current) {
            if (readCurrentCandidate(requirements, host, root, subkey, view, candidate))
                candidates.push_back(candidate);
            continue;
        }
        JavaVersion version;
        JavaVersion::parse(host.versionText(root, subkey, view), 0, version);
        if (!isInBounds(requirements, version)) {
            traceSearch([&] {
                return "  rejected " + recordName(root, subkey) + ": " +
                       rejection(requirements, version);
            });
            continue;
        }
        if (readCandidate(requirements, host, root, subkey, view, candidate))
            candidates.push_back(candidate);
    }
}

void sortCandidates(const RuntimeRequirements& requirements,
                    std::vector<RuntimeCandidate>& candidates) {
    bool byFavor = requirements.kindFallback;
    bool byServer = requirements.jvmType == JvmType::favorServer;
    std::stable_sort(candidates.begin(), candidates.end(),
                     [=](const RuntimeCandidate& a, const RuntimeCandidate& b) {
                         if (byFavor && a.favored != b.favored)
                             return a.favored;
                         if (byServer && a.hasServerVm != b.hasServerVm)
                             return a.hasServerVm;
                         return compare(a.version, b.version) > 0;
                     });
    traceSearch([&] {
        std::string keys = std::string(byFavor ? "favored first, " : "") +
                           (byServer ? "server VM first, " : "") + "newest first";
        std::string lines = "ranking (" + keys + "):";
        for (size_t i = 0; i < candidates.size(); ++i)
            lines += "\n  " + std::to_string(i + 1) + ". " + describe(candidates[i]) +
                     (candidates[i].favored ? ", favored" : "") +
                     (candidates[i].hasServerVm ? ", server VM" : "");
        return lines;
    });
}

const RuntimeCandidate& chooseCandidate(const RuntimeRequirements& requirements,
                                        const std::vector<RuntimeCandidate>& candidates) {
    for (const std::string& preferred : requirements.preferredVersions) {
        JavaVersion pattern;
        JavaVersion::parse(preferred, 0, pattern);
        for (const RuntimeCandidate& candidate : candidates)
            if (matches(candidate.version, pattern)) {
                traceSearch([&] {
                    return "chosen " + describe(candidate) + ": matches the preferred version \"" +
                           preferred + "\"";
                });
                return candidate;
            }
    }
    traceSearch([&] { return "chosen " + describe(candidates.front()) + ": top of the ranking"; });
    return candidates.front();
}

bool searchRegistry(const RuntimeRequirements& requirements, RuntimeHost& host, RegistryView view,
                    std::string& home) {
    std::vector<RuntimeCandidate> candidates;
    auto collect = [&](const RegistryRoot& root) {
        if (isRootSearched(requirements, root))
            collectCandidates(requirements, host, root, view, candidates);
        else
            traceSearch([&] {
                return rootLabel(root, view) + ": not searched, its kind or vendor is not admitted";
            });
    };
    for (const RegistryRoot& root : registryRoots)
        collect(root);
    for (const RegistryRoot& root : currentRegistryRoots)
        collect(root);
    if (candidates.empty())
        return false;
    sortCandidates(requirements, candidates);
    home = chooseCandidate(requirements, candidates).home;
    return true;
}

bool searchInventory(const RuntimeRequirements& requirements, RuntimeHost& host,
                     const std::vector<std::string>& folders, std::string& home, bool& forPair) {
    std::vector<RuntimeCandidate> native, x86;
    scanRuntimeFolders(host, folders, [&](InstalledRuntime& runtime) {
        RuntimeCandidate& candidate = runtime.candidate;
        bool isX86 = runtime.view == RegistryView::x86;
        if (isX86 && !requirements.pairProductSet) {
            traceSearch([&] {
                return "  rejected " + describe(candidate) +
                       ": a 32-bit x86 runtime, and no \"Pair Product\" is set to run it";
            });
            return;
        }
        if (isAdmitted(requirements, candidate, "  ") &&
            probeCandidate(requirements, host, probeTypeFor(requirements, candidate), candidate))
            (isX86 ? x86 : native).push_back(candidate);
    });
    // As in the registry: the 32-bit runtimes count only when no native one is admitted.
    forPair = native.empty();
    std::vector<RuntimeCandidate>& candidates = forPair ? x86 : native;
    if (candidates.empty())
        return false;
    if (forPair)
        traceSearch([] {
            return std::string("no 64-bit runtime: the 32-bit x86 ones, for the \"Pair Product\"");
        });
    sortCandidates(requirements, candidates);
    home = chooseCandidate(requirements, candidates).home;
    return true;
}

bool searchJavaHome(const RuntimeRequirements& requirements, RuntimeHost& host,
                    std::string& jvmPath) {
    jvmPath.clear();
    std::string value;
    if (!host.environmentVariable("JAVA_HOME", value) || value.empty()) {
        traceSearch([] { return std::string("JAVA_HOME: not set"); });
        return false;
    }
    const std::string installation = withSeparator(value, host.layout().separator);
    if (!host.fileExists(withoutSeparator(installation))) {
        traceSearch([&] { return "JAVA_HOME " + installation + ": no such folder"; });
        return false;
    }
    std::string text, versionFault;
    if (!host.readTextFile(installation + "release", text))
        versionFault = "no release file";
    ReleaseInfo release = parseReleaseFile(text);
    if (versionFault.empty() && release.javaVersion.empty())
        versionFault = "no JAVA_VERSION in its release file";
    RuntimeCandidate candidate;
    JavaVersion::parse(release.javaVersion, 0, candidate.version);
    bool isJdk = isJdkHome(host, installation);
    candidate.kind = isJdk ? RuntimeKind::jdk : RuntimeKind::jre;
    candidate.vendor = inventoryVendor(release);
    candidate.home = isJdk ? jdkRuntimeHome(host, installation) : installation;
    bool hasServerVm = false;
    std::string library = findVmLibrary(host, candidate.home, requirements.jvmType, hasServerVm);
    // Say every fault at once: a folder that is not a runtime at all is not "too old".
    bool unknownVersionFails =
        !versionFault.empty() && !isInBounds(requirements, candidate.version);
    if (library.empty() || unknownVersionFails) {
        traceSearch([&] {
            std::string faults;
            if (!versionFault.empty())
                faults = versionFault + (unknownVersionFails
                                             ? ", so its version is unknown and cannot meet the "
                                               "minimum " +
                                                   toString(requirements.minVersion)
                                             : std::string());
            if (library.empty())
                faults += std::string(faults.empty() ? "" : "; ") + "no VM library for JVM Type " +
                          typeName(requirements.jvmType);
            return "JAVA_HOME " + installation + ": " + faults;
        });
        return false;
    }
    if (!isAdmitted(requirements, candidate, "JAVA_HOME: "))
        return false;
    jvmPath = library;
    traceSearch([&] {
        return "JAVA_HOME: " + describe(candidate) +
               (versionFault.empty() ? "" : " (" + versionFault + ")") + ": VM library " + jvmPath;
    });
    return true;
}

std::optional<RuntimeChoice> locateRuntime(const RuntimeRequirements& requirements,
                                           RuntimeHost& host) {
    const char separator = host.layout().separator;
    const JvmType type = requirements.jvmType;
    RuntimeChoice choice;
    std::string& jvmPath = choice.jvmPath;
    bool hasServerVm = false;
    // The configured folder is taken as it is: bounds, kind and vendor do not apply.
    if (!requirements.jrePath.empty()) {
        std::string home = withSeparator(requirements.jrePath, separator);
        jvmPath = findVmLibrary(host, home, type, hasServerVm);
        traceSearch([&] {
            return "JRE Path " + home +
                   (jvmPath.empty() ? std::string(": no VM library for JVM Type ") + typeName(type)
                                    : ": VM library " + jvmPath);
        });
        if (!jvmPath.empty()) {
            choice.usePairedLauncher =
                checkVmArchitecture(host, jvmPath, requirements.pairProductSet);
            return choice;
        }
    } else {
        traceSearch([] { return std::string("JRE Path: not set"); });
    }
    // An empty home would probe relative names against whatever the current folder is.
    std::string home;
    if (findAdjacentRuntime(host, home) && !home.empty()) {
        jvmPath = findVmLibrary(host, home, type, hasServerVm);
        traceSearch([&] {
            return "beside the launcher: " + home +
                   (jvmPath.empty() ? std::string(", no VM library for JVM Type ") + typeName(type)
                                    : ", VM library " + jvmPath);
        });
        if (!jvmPath.empty())
            return choice;
    } else {
        traceSearch([] { return std::string("beside the launcher: no Java home"); });
    }
    std::vector<std::string> folders;
    bool found = false;
    if (host.runtimeFolders(folders)) {
        bool forPair = false;
        found = searchInventory(requirements, host, folders, home, forPair);
        if (found && forPair)
            choice.usePairedLauncher = true;
    } else {
        found = searchRegistry(requirements, host, RegistryView::native, home);
        if (!found && requirements.pairProductSet) {
            found = searchRegistry(requirements, host, RegistryView::x86, home);
            // Only the paired 32-bit launcher can load a runtime of that view.
            if (found)
                choice.usePairedLauncher = true;
        }
    }
    if (found) {
        jvmPath = findVmLibrary(host, home, type, hasServerVm);
        if (!jvmPath.empty())
            return choice;
    }
    if (searchJavaHome(requirements, host, jvmPath)) {
        // A 32-bit runtime named by JAVA_HOME is for the pair product, or for no one.
        if (!host.isX86VmLibrary(jvmPath))
            return choice;
        if (requirements.pairProductSet) {
            choice.usePairedLauncher = true;
            return choice;
        }
        traceSearch(
            [] { return std::string("JAVA_HOME: a 32-bit VM library without a pair product"); });
    }
    traceSearch([] { return std::string("no runtime found"); });
    // The caller asks the user (askForRuntime) when every source failed.
    return std::nullopt;
}
