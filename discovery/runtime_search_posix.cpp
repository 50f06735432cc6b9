#include "discovery/runtime_search.h"

#include "discovery/missing_runtime.h"
#include "discovery/missing_runtime_window.h"
#include "discovery/runtime_inventory.h"
#include "discovery/vm_library_check.h"
#include "launch/process_environment.h"
#include "support/paths.h"
#include "support/unique_resource.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>

namespace {

struct DirectoryTraits {
    static DIR* invalid() { return nullptr; }
    static void release(DIR* directory) { closedir(directory); }
};

struct InstalledRuntime {
    std::string folder; // the record's subkey name and its "JavaHome"
    std::string versionText;
    const RegistryRoot* root;
    RegistryView view;
};

// Entry names in byte order, so the records come in the same order on every run.
std::vector<std::string> sortedEntries(const std::string& folder) {
    std::vector<std::string> names;
    UniqueResource<DirectoryTraits> directory(opendir(folder.c_str()));
    if (!directory)
        return names;
    while (const dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

// The whole file with plain reads: a stream's setup costs more than reading a release file.
bool readFile(const std::string& path, std::string& text) {
    UniqueResource<DescriptorTraits> file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file)
        return false;
    text.clear();
    char buffer[4096];
    for (;;) {
        ssize_t got = read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        text.append(buffer, static_cast<size_t>(got));
    }
}

std::vector<InstalledRuntime> takeInventory(const std::vector<std::string>& folders) {
    std::vector<InstalledRuntime> runtimes;
    for (std::string folder : folders) {
        if (folder.empty())
            continue;
        if (folder.back() != '/')
            folder += '/';
        for (const std::string& name : sortedEntries(folder)) {
            std::string runtime = folder + name + "/";
            std::string release;
            if (!readFile(runtime + "release", release))
                continue;
            ReleaseInfo info = parseReleaseFile(release);
            bool isJdk = fileExists(runtime + "bin/javac");
            runtimes.push_back({folder + name, info.javaVersion, &inventoryRoot(info, isJdk),
                                inventoryView(info)});
        }
    }
    return runtimes;
}

// Presents the inventory as the registry's roots; it is taken the first time it is asked for.
class InventoryRuntimeHost : public RuntimeHost {
  public:
    explicit InventoryRuntimeHost(std::vector<std::string> folders)
        : folders_(std::move(folders)) {}

    const RuntimeLayout& layout() const override { return posixRuntimeLayout(); }

    bool fileExists(const std::string& path) override { return ::fileExists(path); }

    bool modulePath(std::string& path) override { return ::modulePath(path); }

    std::vector<std::string> subkeyNames(const RegistryRoot& root, RegistryView view) override {
        std::vector<std::string> names;
        for (const InstalledRuntime& runtime : inventory())
            if (*runtime.root == root && runtime.view == view)
                names.push_back(runtime.folder);
        return names;
    }

    std::string versionText(const RegistryRoot& root, const std::string& subkey,
                            RegistryView view) override {
        const InstalledRuntime* runtime = find(root, subkey, view);
        return runtime ? runtime->versionText : std::string();
    }

    std::string javaHome(const RegistryRoot& root, const std::string& subkey,
                         RegistryView view) override {
        const InstalledRuntime* runtime = find(root, subkey, view);
        return runtime ? runtime->folder : std::string();
    }

    bool isX86VmLibrary(const std::string& path) override { return ::isX86VmLibrary(path); }

    bool readTextFile(const std::string& path, std::string& text) override {
        return readFile(path, text);
    }

    bool environmentVariable(const std::string& name, std::string& value) override {
        return readEnvironmentVariable(name, value);
    }

  private:
    const std::vector<InstalledRuntime>& inventory() {
        if (!taken_) {
            inventory_ = takeInventory(folders_);
            // The search asks for every record by name several times: a scan each time would
            // make it quadratic in the number of runtimes. The first record of a name answers.
            for (size_t i = 0; i < inventory_.size(); ++i)
                byFolder_.emplace(inventory_[i].folder, i);
            taken_ = true;
        }
        return inventory_;
    }

    const InstalledRuntime* find(const RegistryRoot& root, const std::string& subkey,
                                 RegistryView view) {
        const std::vector<InstalledRuntime>& runtimes = inventory();
        auto found = byFolder_.find(subkey);
        if (found == byFolder_.end())
            return nullptr;
        const InstalledRuntime& runtime = runtimes[found->second];
        return *runtime.root == root && runtime.view == view ? &runtime : nullptr;
    }

    std::vector<std::string> folders_;
    std::vector<InstalledRuntime> inventory_;
    std::unordered_map<std::string, size_t> byFolder_;
    bool taken_ = false;
};

} // namespace

bool locateRuntimeInFolders(Launcher& launcher, const std::vector<std::string>& folders) {
    InventoryRuntimeHost host(folders);
    return locateRuntime(launcher, host);
}

std::string vmLibraryInFolder(const std::string& folder, JvmType type) {
    InventoryRuntimeHost host({}); // probes files only, takes no inventory
    RuntimeFolderPick pick(host, type);
    pick.pick(folder);
    return pick.vmLibraryPath();
}

bool locateRuntime(Launcher& launcher) {
    std::string home;
    if (!readEnvironmentVariable("HOME", home))
        home.clear();
    InventoryRuntimeHost host(inventoryFolders(home));
    return locateRuntime(launcher, host) || askForRuntime(launcher, host);
}
