#include "discovery/runtime_search.h"

#include "discovery/missing_runtime.h"
#include "discovery/missing_runtime_window.h"
#include "discovery/runtime_inventory.h"
#include "discovery/vm_library_check.h"
#include "support/paths.h"
#include "support/process_environment.h"
#include "support/unique_resource.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DirectoryTraits {
    static DIR* invalid() { return nullptr; }
    static void release(DIR* directory) { closedir(directory); }
};

// Entry names in byte order, so the runtimes come in the same order on every run.
bool sortedEntries(const std::string& folder, std::vector<FolderEntry>& entries) {
    entries.clear();
    UniqueResource<DirectoryTraits> directory(opendir(folder.c_str()));
    if (!directory)
        return false;
    while (const dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool isFolder = entry->d_type == DT_DIR;
        // A link counts as what it points to.
        struct stat target {};
        if ((entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) &&
            stat((folder + name).c_str(), &target) == 0)
            isFolder = S_ISDIR(target.st_mode);
        entries.push_back({name, isFolder});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

// The whole file with plain reads: a stream's setup costs more than reading a release file.
bool readFile(const std::string& path, std::string& text) {
    // Without blocking: a FIFO planted as a release file must not stop the search.
    UniqueResource<DescriptorTraits> file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!file || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
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

// The installed runtimes are the folders below the inventory folders.
class InventoryRuntimeHost : public RuntimeHost {
  public:
    explicit InventoryRuntimeHost(std::vector<std::string> folders)
        : folders_(std::move(folders)) {}

    const RuntimeLayout& layout() const override { return posixRuntimeLayout(); }

    bool fileExists(const std::string& path) override { return ::fileExists(path); }

    bool modulePath(std::string& path) override { return ::modulePath(path); }

    // No registry here: the search asks for runtimeFolders instead.
    std::vector<std::string> subkeyNames(const RegistryRoot&, RegistryView) override { return {}; }

    std::string javaHome(const RegistryRoot&, const std::string&, RegistryView) override {
        return {};
    }

    bool isX86VmLibrary(const std::string& path) override { return ::isX86VmLibrary(path); }

    bool readTextFile(const std::string& path, std::string& text) override {
        return readFile(path, text);
    }

    bool environmentVariable(const std::string& name, std::string& value) override {
        return readEnvironmentVariable(name, value);
    }

    bool runtimeFolders(std::vector<std::string>& folders) override {
        folders.clear();
        for (const std::string& folder : folders_)
            if (!folder.empty())
                folders.push_back(folder.back() == '/' ? folder : folder + '/');
        return true;
    }

    bool listFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
        return sortedEntries(folder, entries);
    }

  private:
    std::vector<std::string> folders_;
};

} // namespace

std::optional<RuntimeChoice> locateRuntimeInFolders(const RuntimeRequirements& requirements,
                                                    const std::vector<std::string>& folders) {
    InventoryRuntimeHost host(folders);
    return locateRuntime(requirements, host);
}

std::string vmLibraryInFolder(const std::string& folder, JvmType type) {
    InventoryRuntimeHost host({}); // probes files only
    RuntimeFolderPick pick(host, type);
    pick.pick(folder);
    return pick.vmLibraryPath();
}

std::optional<RuntimeChoice> locateRuntime(const RuntimeRequirements& requirements) {
    std::string home;
    if (!readEnvironmentVariable("HOME", home))
        home.clear();
    InventoryRuntimeHost host(inventoryFolders(home));
    if (std::optional<RuntimeChoice> choice = locateRuntime(requirements, host))
        return choice;
    return askForRuntime(requirements, host);
}
