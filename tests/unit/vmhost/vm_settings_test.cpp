#include "vmhost/vm_settings.h"

#include "support/paths.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Fixture {
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> expanded;

    VmOptionSources sources() {
        VmOptionSources s;
        s.setting = [this](const std::string& section, const std::string& key) {
            auto found = values.find({section, key});
            return found == values.end() ? std::string() : found->second;
        };
        s.classPath.expandEnvironment = [this](std::string& text) {
            expanded.push_back(text);
            size_t at;
            while ((at = text.find("%HOME%")) != std::string::npos)
                text.replace(at, 6, "/home/u");
        };
        s.classPath.launcherPath = [] { return std::string("/app/tool"); };
        s.classPath.listMatchingFiles = [](const std::string&) {
            return std::vector<std::string>{};
        };
        s.memoryStatus = [] {
            MemoryStatus memory;
            memory.totalPhysical = uint64_t{16} << 30;
            return memory;
        };
        // A stand-in splitter: blanks separate, empty items are kept.
        s.splitArguments = [](const std::string& text, std::vector<std::string>& items) {
            size_t start = 0;
            for (size_t end; (end = text.find(' ', start)) != std::string::npos; start = end + 1)
                items.push_back(text.substr(start, end - start));
            items.push_back(text.substr(start));
        };
        s.toOptionText = [](const std::string& text) { return "<" + text + ">"; };
        return s;
    }
    void set(const char* section, const char* key, const char* value) {
        values[{section, key}] = value;
    }
};

std::string absoluteJar() {
    return pathSeparator() == '\\' ? "C:\\abs\\app.jar" : "/abs/app.jar";
}

TEST(VmSettings, BuildsTheOptionsInOrderExpandedAndConverted) {
    Fixture f;
    f.set("Class Path", "Class Path", absoluteJar().c_str());
    f.set("Java Runtime Environment", "Virtual Machine Parameters",
          " -Dname=\"a b\" -Xmx50:256:1024P -Duser=%HOME% -Xss512k");
    std::optional<VmOptionsResult> result = collectVmOptions(f.sources());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->options,
              (std::vector<std::string>{
                  "<-Djava.class.path=" + absoluteJar() + classPathSeparator() + ">",
                  "<-Dname=a b>", "<-Xmx1048576K>", "<-Duser=/home/u>", "<-Xss512k>"}));
    EXPECT_EQ(result->mainStackSize, 512u * 1024);
    EXPECT_FALSE(result->classDataPublisher);
}

TEST(VmSettings, ReadsTheStreamFilesWithCaseSensitiveAppend) {
    Fixture f;
    f.set("Class Path", "Class Path", absoluteJar().c_str());
    f.set("Application", "Output File", "%HOME%/out-%yyyy%.log");
    f.set("Application", "Output Append", "Yes");
    f.set("Application", "Error File", "err.log");
    f.set("Application", "Error Append", "yes");
    std::optional<VmOptionsResult> result = collectVmOptions(f.sources());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->streams.outputFile, "/home/u/out-%yyyy%.log");
    EXPECT_FALSE(result->streams.outputAppend);
    EXPECT_EQ(result->streams.errorFile, "err.log");
    EXPECT_TRUE(result->streams.errorAppend);
}

TEST(VmSettings, TakesTheNonEmptyCmdItemsExpanded) {
    Fixture f;
    f.set("Class Path", "Class Path", absoluteJar().c_str());
    f.set("Application", "Cmd", " x  %HOME%");
    std::optional<VmOptionsResult> result = collectVmOptions(f.sources());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->cmdArguments, (std::vector<std::string>{"x", "/home/u"}));
}

TEST(VmSettings, EmbeddedJarCountsInAnyCaseAndMakesAnEmptyClassPathUsable) {
    Fixture f;
    f.set("Application", "Embedded Jar", "YES");
    std::optional<VmOptionsResult> result = collectVmOptions(f.sources());
    ASSERT_TRUE(result);
    EXPECT_EQ(result->options,
              std::vector<std::string>{std::string("<-Djava.class.path=/app/tool") +
                                       classPathSeparator() + ">"});
}

TEST(VmSettings, AnEmptyClassPathGivesNothing) {
    Fixture f;
    f.set("Java Runtime Environment", "Virtual Machine Parameters", "-Xss1m");
    f.set("Application", "Output File", "out.log");
    f.set("Application", "Cmd", "x");
    EXPECT_FALSE(collectVmOptions(f.sources()));
}

} // namespace

TEST(VmSettings, TheClassDataCacheAddsItsOptionsBeforeTheUserParametersOnlyWhenOn) {
    for (const char* value : {"", "no", "yes", "YES", "Yes "}) {
        SCOPED_TRACE(value);
        Fixture f;
        std::string jar = absoluteJar();
        f.set("Class Path", "Class Path", (jar + ";" + jar + "2").c_str());
        f.set("Java Runtime Environment", "Virtual Machine Parameters", "-Duser=%HOME% -Xmx1g");
        f.set("Java Runtime Environment", "Class Data Cache", value);
        std::vector<std::vector<std::string>> asked;
        VmOptionSources sources = f.sources();
        sources.classDataOptions = [&asked](const std::vector<std::string>& classPath,
                                            const std::vector<std::string>& userOptions) {
            asked = {classPath, userOptions};
            return std::vector<std::string>{"-Xshare:auto", "-XX:SharedArchiveFile=a.jsa"};
        };
        std::optional<VmOptionsResult> result = collectVmOptions(sources);
        ASSERT_TRUE(result);
        char separator = classPathSeparator();
        std::vector<std::string> expected{"<-Djava.class.path=" + jar + separator + jar + "2" +
                                          separator + ">"};
        bool on = std::string(value) == "yes" || std::string(value) == "YES";
        if (on)
            expected.insert(expected.end(), {"<-Xshare:auto>", "<-XX:SharedArchiveFile=a.jsa>"});
        expected.insert(expected.end(), {"<-Duser=/home/u>", "<-Xmx1g>"});
        EXPECT_EQ(result->options, expected);
        if (on)
            EXPECT_EQ(asked, (std::vector<std::vector<std::string>>{{jar, jar + "2"},
                                                                    {"-Duser=/home/u", "-Xmx1g"}}));
        else
            EXPECT_TRUE(asked.empty());
    }
}
