#include "vmhost/class_path.h"

#include "support/unique_resource.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <utility>

namespace {

struct DirectoryTraits {
    static DIR* invalid() { return nullptr; }
    static void release(DIR* directory) { closedir(directory); }
};

bool exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

} // namespace

char classPathSeparator() {
    return ':';
}

std::vector<std::string> listMatchingFiles(const std::string& pattern) {
    size_t last = pattern.rfind('/');
    std::string folder = last == std::string::npos ? "." : pattern.substr(0, last == 0 ? 1 : last);
    std::string namePattern = last == std::string::npos ? pattern : pattern.substr(last + 1);
    if (namePattern.empty() || namePattern == "." || namePattern == "..")
        return {};
    if (namePattern.find_first_of("*?") == std::string::npos)
        return exists(pattern) ? std::vector<std::string>{namePattern} : std::vector<std::string>{};

    std::vector<std::string> names;
    UniqueResource<DirectoryTraits> directory(opendir(folder.c_str()));
    if (!directory)
        return names;
    while (const dirent* entry = readdir(directory.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != ".." && matchesWildcard(name, namePattern))
            names.push_back(std::move(name));
    }
    // Directory order is arbitrary here (hash order on ext4); NTFS lists names sorted, and a
    // stable order keeps the class path the same from run to run.
    std::sort(names.begin(), names.end());
    return names;
}
