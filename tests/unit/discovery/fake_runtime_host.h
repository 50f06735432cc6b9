#pragma once

// A machine for the runtime search that exists only in memory: a set of files, registry
// records per root and view, the executable's path and the 32-bit x86 libraries. It notes
// which views were enumerated and which libraries were opened.

#include "discovery/runtime_host.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

class FakeRuntimeHost : public RuntimeHost {
  public:
    struct Record {
        std::string subkey;
        std::string javaHome;
    };

    std::set<std::string> files;
    std::map<std::pair<std::string, RegistryView>, std::vector<Record>> registry;
    std::string executable = "C:\\App\\tool.exe";
    bool executableKnown = true;
    std::set<std::string> x86Libraries;
    const RuntimeLayout* runtimeLayout = &windowsRuntimeLayout();
    std::map<std::string, std::string> textFiles; // path -> contents
    std::map<std::string, std::string> environment;

    std::set<RegistryView> enumeratedViews;
    std::vector<std::string> openedLibraries;

    // A runtime home with the given libraries ("client", "server", ...) and bin\java.dll.
    void addHome(const std::string& home, const std::vector<const char*>& flavours) {
        files.insert(home + "bin\\java.dll");
        for (const char* flavour : flavours)
            files.insert(home + "bin\\" + flavour + "\\jvm.dll");
    }

    void addRecord(const RegistryRoot& root, const std::string& subkey, const std::string& home,
                   RegistryView view = RegistryView::native) {
        registry[{recordKey(root), view}].push_back({subkey, home});
    }

    const RuntimeLayout& layout() const override { return *runtimeLayout; }
    // A file, or a folder that holds one.
    bool fileExists(const std::string& path) override {
        const std::string folder = path + runtimeLayout->separator;
        auto inside = files.lower_bound(folder);
        return files.count(path) > 0 ||
               (inside != files.end() && inside->compare(0, folder.size(), folder) == 0);
    }
    bool modulePath(std::string& path) override {
        path = executable;
        return executableKnown;
    }
    std::vector<std::string> subkeyNames(const RegistryRoot& root, RegistryView view) override {
        enumeratedViews.insert(view);
        std::vector<std::string> names;
        for (const Record& record : registry[{recordKey(root), view}])
            names.push_back(record.subkey);
        return names;
    }
    std::string javaHome(const RegistryRoot& root, const std::string& subkey,
                         RegistryView view) override {
        for (const Record& record : registry[{recordKey(root), view}])
            if (record.subkey == subkey)
                return record.javaHome;
        return {};
    }
    bool isX86VmLibrary(const std::string& path) override {
        openedLibraries.push_back(path);
        return x86Libraries.count(path) > 0;
    }
    bool readTextFile(const std::string& path, std::string& text) override {
        auto found = textFiles.find(path);
        if (found == textFiles.end())
            return false;
        text = found->second;
        return true;
    }
    bool environmentVariable(const std::string& name, std::string& value) override {
        auto found = environment.find(name);
        if (found == environment.end())
            return false;
        value = found->second;
        return true;
    }

  private:
    // Two roots of today's installers share a key and differ in the record below it.
    static std::string recordKey(const RegistryRoot& root) {
        return std::string(root.key) + "*" + root.record;
    }
};

// The roots by their order in the search (1 to 5).
inline const RegistryRoot& root(int order) {
    return registryRoots[order - 1];
}
