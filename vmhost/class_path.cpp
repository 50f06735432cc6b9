#include "vmhost/class_path.h"

#include "settings/settings_source.h"
#include "support/paths.h"

namespace {

bool needsSearch(const std::string& entry) {
    return entry.find('*') != std::string::npos || !isAbsolutePath(entry);
}

// The folder of path without its last separator: the launcher's folder.
std::string folderOf(const std::string& path) {
    size_t last = path.rfind(pathSeparator());
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

// Text up to and including the last separator; empty without one.
std::string folderPart(const std::string& path) {
    size_t last = path.rfind(pathSeparator());
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

} // namespace

bool matchesWildcard(const std::string& name, const std::string& pattern) {
    size_t n = 0;
    size_t p = 0;
    size_t starPattern = std::string::npos;
    size_t starName = 0;
    while (n < name.size()) {
        // A "*" is a wildcard even where the name holds a "*" too.
        if (p < pattern.size() && pattern[p] == '*') {
            starPattern = p++;
            starName = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++n;
            ++p;
        } else if (starPattern != std::string::npos) {
            // Let the last "*" take one more character and try again from there.
            p = starPattern + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

void expandClassPathEntry(const std::string& entry, std::string& classPath,
                          const ClassPathSources& sources) {
    std::string pattern = entry;
    if (!isAbsolutePath(entry)) {
        // The launcher's folder and the entry meet at exactly one separator, whether or not
        // the entry starts with one ("\lib\*.jar" and "lib\*.jar" name the same files).
        const char separator = pathSeparator();
        std::string relative = entry;
        if (!relative.empty() && relative[0] == separator)
            relative.erase(0, 1);
        pattern = folderOf(sources.launcherPath()) + separator + relative;
    }
    const std::string prefix = folderPart(pattern);
    // Appended piece by piece: a folder of thousands of jars would otherwise build a
    // temporary string for each.
    for (const std::string& name : sources.listMatchingFiles(pattern))
        classPath.append(prefix).append(name).push_back(classPathSeparator());
}

std::string buildClassPath(const std::string& setting, bool embeddedJar,
                           const ClassPathSources& sources) {
    std::vector<std::string> entries;
    splitString(setting, ";", entries);
    std::string classPath;
    for (std::string entry : entries) {
        sources.expandEnvironment(entry);
        if (needsSearch(entry))
            expandClassPathEntry(entry, classPath, sources);
        else
            classPath += entry + classPathSeparator();
    }
    if (embeddedJar)
        classPath = sources.launcherPath() + classPathSeparator() + classPath;
    return classPath;
}
