// The runtime search over 500 installed runtimes: the portable search against an inventory
// held in memory (as the registry answers on Windows), and the POSIX search that takes the
// inventory from 500 runtime folders on disk.

#include "bench/bench_folder.h"
#include "discovery/runtime_inventory.h"
#include "discovery/runtime_search.h"

#include <benchmark/benchmark.h>

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

constexpr int runtimeCount = 500;

// One installed runtime of the machine the benchmarks describe: spread over the five roots,
// versions from 1.6 to 21 with their updates, every one with a server VM, some with a client
// VM too, a few 32-bit ones for the second view.
struct InstalledRuntime {
    int root;
    std::string version;
    std::string name;
    bool client;
    bool x86;
};

std::vector<InstalledRuntime> installedRuntimes() {
    static const int majors[] = {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
    static const int rootShares[] = {2, 2, 1, 1, 1}; // JavaSoft JDK and JRE, JRockit, IBM
    std::vector<int> rootCycle;
    for (int root = 0; root < 5; ++root)
        rootCycle.insert(rootCycle.end(), rootShares[root], root);
    std::vector<InstalledRuntime> runtimes;
    for (int i = 0; i < runtimeCount; ++i) {
        int major = majors[i % 16];
        // The update number keeps every version, and so every registry subkey, unique.
        std::string version = major < 9 ? "1." + std::to_string(major) + ".0_" + std::to_string(i)
                                        : std::to_string(major) + ".0." + std::to_string(i);
        std::string name = "runtime-" + std::to_string(i) + "-" + version;
        runtimes.push_back({rootCycle[static_cast<size_t>(i) % rootCycle.size()], version, name,
                            i % 3 == 0, i % 50 == 49});
    }
    return runtimes;
}

// The registry of that machine in memory; lookups by key, as the registry opens a subkey.
class RegistryHost : public RuntimeHost {
  public:
    RegistryHost() {
        for (const InstalledRuntime& runtime : installedRuntimes()) {
            const std::string home = "/opt/runtimes/" + runtime.name + "/";
            files_.insert(home + "lib/libjava.so");
            files_.insert(home + "lib/server/libjvm.so");
            if (runtime.client)
                files_.insert(home + "lib/client/libjvm.so");
            View& view = views_[viewIndex(runtime.root,
                                          runtime.x86 ? RegistryView::x86 : RegistryView::native)];
            view.subkeys.push_back(runtime.version);
            view.homes[runtime.version] = home;
        }
    }

    const RuntimeLayout& layout() const override { return posixRuntimeLayout(); }
    bool fileExists(const std::string& path) override { return files_.count(path) > 0; }
    bool modulePath(std::string& path) override {
        path = "/opt/app/tool";
        return true;
    }
    std::vector<std::string> subkeyNames(const RegistryRoot& root, RegistryView view) override {
        if (!isOlderRoot(root))
            return {};
        return views_[viewIndex(rootIndex(root), view)].subkeys;
    }
    std::string javaHome(const RegistryRoot& root, const std::string& subkey,
                         RegistryView view) override {
        const auto& homes = views_[viewIndex(rootIndex(root), view)].homes;
        auto found = homes.find(subkey);
        return found == homes.end() ? std::string() : found->second;
    }
    bool isX86VmLibrary(const std::string&) override { return false; }
    bool readTextFile(const std::string&, std::string&) override { return false; }
    bool environmentVariable(const std::string&, std::string&) override { return false; }

  private:
    struct View {
        std::vector<std::string> subkeys;
        std::unordered_map<std::string, std::string> homes;
    };
    // The records of the five older roots; today's roots hold none here.
    static bool isOlderRoot(const RegistryRoot& root) {
        for (const RegistryRoot& older : registryRoots)
            if (&older == &root)
                return true;
        return false;
    }
    static size_t rootIndex(const RegistryRoot& root) {
        return static_cast<size_t>(&root - registryRoots);
    }
    static size_t viewIndex(size_t root, RegistryView view) {
        return root * 2 + (view == RegistryView::x86 ? 1 : 0);
    }
    static size_t viewIndex(int root, RegistryView view) {
        return viewIndex(static_cast<size_t>(root), view);
    }

    std::unordered_set<std::string> files_;
    View views_[10];
};

// Settings of an application that takes Java 11 or later, prefers 17 and a server VM and
// admits every vendor: every root is searched and most records pass the bounds.
void configureSearch(RuntimeRequirements& requirements) {
    requirements.minVersion = minimumVersionSetting("11");
    requirements.maxVersion = maximumVersionSetting("any");
    requirements.preferredVersions = {"17", "21"};
    requirements.jvmType = JvmType::favorServer;
    requirements.jdkWanted = true;
    requirements.jreWanted = false;
    requirements.kindFallback = true;
    requirements.sunAdmitted = requirements.jrockitAdmitted = true;
    requirements.ibmAdmitted = true;
    requirements.sunFavored = true;
}

void searchInMemory(benchmark::State& state) {
    RegistryHost host;
    for (auto _ : state) {
        RuntimeRequirements requirements;
        configureSearch(requirements);
        std::optional<RuntimeChoice> choice = locateRuntime(requirements, host);
        if (!choice) {
            state.SkipWithError("no runtime chosen");
            break;
        }
        benchmark::DoNotOptimize(choice->jvmPath.data());
    }
    state.SetLabel(std::to_string(runtimeCount) + " runtimes");
}

std::string releaseFile(const InstalledRuntime& runtime) {
    static const char* const implementors[] = {"Eclipse Adoptium", "Eclipse Adoptium",
                                               "Oracle Corporation", "BEA JRockit",
                                               "IBM Corporation"};
    std::string text = "IMPLEMENTOR=\"" + std::string(implementors[runtime.root]) + "\"\n";
    text += "JAVA_VERSION=\"" + runtime.version + "\"\n";
    text += "OS_ARCH=\"" + std::string(runtime.x86 ? "x86" : "x86_64") + "\"\n";
    text += "SOURCE=\".:git:0123456789ab\"\n"
            "MODULES=\"java.base java.compiler java.datatransfer java.desktop java.logging\"\n";
    return text;
}

void searchInventoryFolders(benchmark::State& state) {
    BenchFolder folder("launcher-bench-runtimes");
    for (const InstalledRuntime& runtime : installedRuntimes()) {
        const std::string home = "jvm/" + runtime.name + "/";
        folder.write(home + "release", releaseFile(runtime));
        folder.write(home + "lib/libjava.so");
        folder.write(home + "lib/server/libjvm.so");
        if (runtime.client)
            folder.write(home + "lib/client/libjvm.so");
        if (runtime.root == 0 || runtime.root == 3)
            folder.write(home + "bin/javac");
    }
    const std::vector<std::string> folders{folder.path("jvm")};
    for (auto _ : state) {
        RuntimeRequirements requirements;
        configureSearch(requirements);
        std::optional<RuntimeChoice> choice = locateRuntimeInFolders(requirements, folders);
        if (!choice) {
            state.SkipWithError("no runtime chosen");
            break;
        }
        benchmark::DoNotOptimize(choice->jvmPath.data());
    }
    state.SetLabel(std::to_string(runtimeCount) + " runtime folders");
}

} // namespace

BENCHMARK(searchInMemory)->Name("runtime_search/registry_in_memory")->Unit(benchmark::kMicrosecond);
BENCHMARK(searchInventoryFolders)
    ->Name("runtime_search/inventory_folders")
    ->Unit(benchmark::kMicrosecond);
