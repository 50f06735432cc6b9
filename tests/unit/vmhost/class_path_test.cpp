#include "vmhost/class_path.h"

#include "support/paths.h"

#include <gtest/gtest.h>

#include <map>

namespace {

// A launcher in <sep>app with a fake directory search: pattern -> names found.
struct FakeFolder {
    std::string separator = std::string(1, pathSeparator());
    std::string end = std::string(1, classPathSeparator()); // follows every class-path entry
    std::map<std::string, std::vector<std::string>> listings;
    std::vector<std::string> searched;

    std::string path(std::initializer_list<const char*> parts) const {
        std::string result = separator == "\\" ? "C:" : "";
        for (const char* part : parts)
            result += separator + part;
        return result;
    }

    ClassPathSources sources() {
        ClassPathSources s;
        s.expandEnvironment = [](std::string& text) {
            size_t at = text.find("%LIB%");
            if (at != std::string::npos)
                text.replace(at, 5, "lib");
        };
        s.launcherPath = [this] { return path({"app", "tool"}); };
        s.listMatchingFiles = [this](const std::string& pattern) {
            searched.push_back(pattern);
            auto found = listings.find(pattern);
            return found == listings.end() ? std::vector<std::string>() : found->second;
        };
        return s;
    }
};

TEST(Wildcard, MatchesStarAndQuestionMark) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    } cases[] = {
        {"a.jar", "*.jar", true},
        {"a.jar.bak", "*.jar", false},
        {"a.jar", "?.jar", true},
        {"ab.jar", "?.jar", false},
        {"x", "*", true},
        {"", "*", true},
        {"abcabd", "*abd", true},
        {"A.JAR", "*.jar", false},
        {"a.jar", "a.jar", true},
        {"lib-1.2.jar", "lib-*.*.jar", true},
        // Names may hold "*" themselves; the pattern's "*" still stands for any text.
        {"*?*x", "*?*", true},
        {"*a", "*b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesWildcard(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
}

TEST(ClassPath, ResolvesRelativeEntriesInTheLauncherFolder) {
    FakeFolder folder;
    const std::string lib = folder.path({"app", "lib"}) + folder.separator;
    folder.listings[lib + "*.jar"] = {"a.jar", "b.jar"};
    folder.listings[folder.path({"app", "app.jar"})] = {"app.jar"};
    const std::string expected = lib + "a.jar" + folder.end + lib + "b.jar" + folder.end +
                                 folder.path({"app", "app.jar"}) + folder.end;
    std::string entries = "lib" + folder.separator + "*.jar;app.jar;missing.jar";
    EXPECT_EQ(buildClassPath(entries, false, folder.sources()), expected);
    // On Windows a leading backslash marks a relative entry as well and names the same files.
    if (folder.separator == "\\") {
        EXPECT_EQ(buildClassPath("\\" + entries, false, folder.sources()), expected);
    }
}

TEST(ClassPath, KeepsAbsoluteEntriesAndSearchesAbsoluteWildcards) {
    FakeFolder folder;
    const std::string absent = folder.path({"opt", "absent.jar"});
    const std::string ext = folder.path({"opt", "ext"}) + folder.separator;
    folder.listings[ext + "*"] = {"x.jar", "classes"};
    EXPECT_EQ(buildClassPath(absent + ";" + ext + "*", false, folder.sources()),
              absent + folder.end + ext + "x.jar" + folder.end + ext + "classes" + folder.end);
    EXPECT_EQ(folder.searched, std::vector<std::string>{ext + "*"});
}

TEST(ClassPath, ExpandsVariablesBeforeDecidingAndPutsAnEmbeddedJarFirst) {
    FakeFolder folder;
    const std::string lib = folder.path({"app", "lib"}) + folder.separator;
    folder.listings[lib + "*.jar"] = {"a.jar"};
    std::string entries = "%LIB%" + folder.separator + "*.jar";
    EXPECT_EQ(buildClassPath(entries, true, folder.sources()),
              folder.path({"app", "tool"}) + folder.end + lib + "a.jar" + folder.end);
    EXPECT_EQ(buildClassPath("", true, folder.sources()),
              folder.path({"app", "tool"}) + folder.end);
}

TEST(ClassPath, IsEmptyWhenNoEntryResolves) {
    FakeFolder folder;
    EXPECT_EQ(buildClassPath("lib" + folder.separator + "*.jar;;", false, folder.sources()), "");
    EXPECT_EQ(buildClassPath("", false, folder.sources()), "");
}

} // namespace
