#pragma once

// The "Class Path" setting: ";"-separated entries, each an absolute file (taken as it stands)
// or a relative or wildcard entry resolved through a directory search. Portable; the search
// is the platform's (class_path_win32.cpp / class_path_posix.cpp).

#include <functional>
#include <string>
#include <vector>

// Names (not paths) of the entries that pattern matches, in the order the platform lists
// them; "*" and "?" are wildcards in the last component only. "." and ".." never appear.
std::vector<std::string> listMatchingFiles(const std::string& pattern);

// The separator of the VM's class path: ";" on Windows, ":" on POSIX. The setting itself
// separates its entries with ";" on both.
char classPathSeparator();

// True when name matches pattern, where "*" stands for any text and "?" for one character.
// Case-sensitive (the POSIX search; Windows matches in the file system).
bool matchesWildcard(const std::string& name, const std::string& pattern);

// What resolving the class path needs from its surroundings; tests hand in fakes.
struct ClassPathSources {
    std::function<void(std::string&)> expandEnvironment;
    // The launcher executable's full path; empty when it cannot be had (the user was told).
    std::function<std::string()> launcherPath;
    std::function<std::vector<std::string>(const std::string&)> listMatchingFiles;
};

// Appends every file that a relative or wildcard entry names, each followed by the class-path
// separator. A relative
// entry is looked for in the launcher's folder.
void expandClassPathEntry(const std::string& entry, std::string& classPath,
                          const ClassPathSources& sources);

// The class path of the setting's entries, environment variables expanded, every entry
// followed by the class-path separator; with embeddedJar the launcher itself comes first. Empty
// when nothing remains.
std::string buildClassPath(const std::string& setting, bool embeddedJar,
                           const ClassPathSources& sources);
