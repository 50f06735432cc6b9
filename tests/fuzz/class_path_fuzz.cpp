// The "Class Path" setting on any text. matchesWildcard agrees with a plain table-driven
// matcher on the input's first line (the pattern) and the rest (the name). buildClassPath,
// with a fake folder whose files match by matchesWildcard, searches only below a folder,
// gives one class-path entry per absolute entry and per file found, each followed by the
// separator, and puts the launcher first when the jar is embedded.

#include "fuzz_check.h"
#include "settings/settings_source.h"
#include "vmhost/class_path.h"

#include <algorithm>

namespace {

// Whether name matches pattern, "*" any text and "?" one character, by dynamic programming.
bool referenceMatch(const std::string& name, const std::string& pattern) {
    std::vector<bool> row(name.size() + 1, false);
    row[0] = true;
    for (char p : pattern) {
        std::vector<bool> next(name.size() + 1, false);
        next[0] = p == '*' && row[0];
        for (size_t n = 1; n <= name.size(); ++n) {
            if (p == '*')
                next[n] = next[n - 1] || row[n];
            else
                next[n] = row[n - 1] && (p == '?' || p == name[n - 1]);
        }
        row.swap(next);
    }
    return row[name.size()];
}

const std::vector<std::string> folderFiles = {"a.jar", "b.jar", "lib", "app.jar", "x*y", ""};

std::vector<std::string> fakeListing(const std::string& pattern) {
    const std::string last = pattern.substr(pattern.find_last_of("/\\") + 1);
    std::vector<std::string> names;
    for (const std::string& file : folderFiles) {
        if (!file.empty() && matchesWildcard(file, last))
            names.push_back(file);
    }
    return names;
}

size_t count(const std::string& text, char c) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzText(data, size);
    const size_t lineEnd = text.find('\n');
    const std::string pattern = text.substr(0, lineEnd);
    const std::string name = lineEnd == std::string::npos ? "" : text.substr(lineEnd + 1);
    if (pattern.size() <= 64 && name.size() <= 64)
        FUZZ_CHECK(matchesWildcard(name, pattern) == referenceMatch(name, pattern));

    // The fuzz targets run on the POSIX host: ":" separates the VM's class path, "/" paths.
    FUZZ_CHECK(classPathSeparator() == ':');
    size_t listed = 0;
    ClassPathSources sources;
    sources.expandEnvironment = [](std::string&) {};
    sources.launcherPath = [] { return std::string("/opt/app/tool"); };
    sources.listMatchingFiles = [&listed](const std::string& searched) {
        FUZZ_CHECK(searched.compare(0, 9, "/opt/app/") == 0 || searched[0] == '/');
        std::vector<std::string> names = fakeListing(searched);
        listed += names.size();
        return names;
    };
    std::vector<std::string> entries;
    splitString(text, ";", entries);
    size_t taken = 0;
    for (const std::string& entry : entries)
        taken += entry.find('*') == std::string::npos && !entry.empty() && entry[0] == '/';
    for (bool embedded : {false, true}) {
        listed = 0;
        const std::string classPath = buildClassPath(text, embedded, sources);
        FUZZ_CHECK(classPath.empty() || classPath.back() == ':');
        if (embedded)
            FUZZ_CHECK(classPath.compare(0, 14, "/opt/app/tool:") == 0);
        // Entries that hold ":" themselves would blur the count.
        if (text.find(':') == std::string::npos)
            FUZZ_CHECK(count(classPath, ':') == taken + listed + (embedded ? 1 : 0));
    }
    return 0;
}
