#include "vmhost/class_data_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

// A file system in memory: files with their stamps and texts, folders by path.
class FakeFiles : public ClassDataFiles {
  public:
    std::map<std::string, FileStamp> stamps;
    std::map<std::string, std::string> texts;
    std::set<std::string> folders;
    std::string root = "/cache";
    uint64_t free = uint64_t{8} << 30;
    bool writable = true;
    std::vector<std::string> removed;

    void addFile(const std::string& path, uint64_t size, uint64_t modified = 1) {
        FileStamp stamp;
        stamp.size = size;
        stamp.modified = modified;
        stamp.regularFile = true;
        stamps[path] = stamp;
    }
    void addRuntime(const std::string& home, const std::string& release) {
        addFile(home + "/lib/server/libjvm.so", 20000000);
        addFile(home + "/lib/server/classes.jsa", 13000000);
        addFile(home + "/lib/server/classes_nocoops.jsa", 13000000);
        texts[home + "/release"] = release;
    }

    std::string cacheRoot() override { return root; }
    std::string readText(const std::string& path) override { return texts[path]; }
    bool stamp(const std::string& path, FileStamp& stamp) override {
        auto found = stamps.find(path);
        if (found == stamps.end())
            return false;
        stamp = found->second;
        return true;
    }
    std::vector<std::string> list(const std::string& folder) override {
        std::vector<std::string> names;
        for (const auto& entry : stamps)
            if (entry.first.rfind(folder + "/", 0) == 0)
                names.push_back(entry.first.substr(folder.size() + 1));
        return names;
    }
    bool makeFolders(const std::string& folder) override {
        if (writable)
            folders.insert(folder);
        return writable;
    }
    bool canCreate(const std::string& path) override {
        return writable && folders.count(path.substr(0, path.rfind('/'))) > 0;
    }
    uint64_t freeSpace(const std::string&) override { return free; }
    bool move(const std::string& from, const std::string& to) override {
        if (stamps.count(from) == 0)
            return false;
        stamps[to] = stamps[from];
        stamps.erase(from);
        return true;
    }
    void remove(const std::string& path) override {
        removed.push_back(path);
        stamps.erase(path);
    }
    std::string uniqueName() override { return "42-7"; }
    char separator() override { return '/'; }
};

const char java17[] = "JAVA_VERSION=\"17.0.15\"\nIMPLEMENTOR=\"Debian\"\n";
const char java25[] = "IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"25.0.3\"\n"
                      "JVM_VARIANT=\"Hotspot\"\n";

struct App {
    FakeFiles files;
    ClassDataInput input;

    explicit App(const std::string& release = java17) {
        files.addRuntime("/jdk", release);
        files.addFile("/app/app.jar", 1000);
        files.addFile("/app/lib.jar", 2000);
        input.settingsPath = "/app/tool.ini";
        input.vmLibrary = "/jdk/lib/server/libjvm.so";
        input.classPath = {"/app/app.jar", "/app/lib.jar"};
        input.userOptions = {"-Dx=1", "-Xmx512m"};
    }
    ClassDataPlan plan() { return planClassData(input, files); }
};

TEST(ClassDataCache, FeatureReleaseAndMethodFollowTheVersionText) {
    struct Case {
        const char* version;
        int feature;
        ArchiveMethod method;
    };
    const Case cases[] = {
        {"1.8.0_202", 8, ArchiveMethod::none},
        {"11.0.22", 11, ArchiveMethod::none},
        {"12", 12, ArchiveMethod::none},
        {"13", 13, ArchiveMethod::archiveAtExit},
        {"18.0.2.1", 18, ArchiveMethod::archiveAtExit},
        {"19-ea", 19, ArchiveMethod::autoCreate},
        {"25.0.3", 25, ArchiveMethod::autoCreate},
        {"", 0, ArchiveMethod::none},
        {"openjdk", 0, ArchiveMethod::none},
        {"99999999999", 999999, ArchiveMethod::autoCreate},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(featureRelease(c.version), c.feature);
        EXPECT_EQ(archiveMethod(featureRelease(c.version)), c.method);
    }
}

TEST(ClassDataCache, TheUserDecidesWhenParametersTouchSharing) {
    const char* const deciding[] = {"-Xshare:off",
                                    "-Xshare:on",
                                    "-XX:SharedArchiveFile=/x.jsa",
                                    "-XX:ArchiveClassesAtExit=/x.jsa",
                                    "-XX:+AutoCreateSharedArchive",
                                    "-XX:-AutoCreateSharedArchive",
                                    "-XX:AOTCache=app.aot",
                                    "-XX:AOTCacheOutput=app.aot",
                                    "-XX:AOTMode=off",
                                    "-XX:-UseSharedSpaces",
                                    "-XX:-UseCompressedClassPointers",
                                    "-Xbootclasspath/a:/x.jar"};
    for (const char* option : deciding) {
        SCOPED_TRACE(option);
        EXPECT_TRUE(userDecidesSharing({"-Dx=1", option}));
    }
    const char* const others[] = {"-Xmx1g",      "-XX:+UseG1GC",
                                  "-Dshare=off", "-XX:SharedArchiveFileX=1",
                                  "-Xlog:cds",   "-XX:AOTCaches"};
    for (const char* option : others) {
        SCOPED_TRACE(option);
        EXPECT_FALSE(userDecidesSharing({option}));
    }
}

TEST(ClassDataCache, AFirstStartHasTheVmWriteAnArchiveByItsVersionBand) {
    struct Case {
        std::string release;
        std::vector<std::string> create;
    };
    std::string pending = "/cache/tool.ini-";
    const Case cases[] = {
        {java17, {"-Xshare:auto", "-Xlog:cds*=off", "-XX:ArchiveClassesAtExit="}},
        {"JAVA_VERSION=\"13.0.2\"\n",
         {"-Xshare:auto", "-Xlog:cds*=off", "-XX:ArchiveClassesAtExit="}},
        {"JAVA_VERSION=\"21.0.1\"\n",
         {"-Xshare:auto", "-Xlog:cds*=off", "-XX:+AutoCreateSharedArchive",
          "-XX:SharedArchiveFile="}},
        {java25,
         {"-Xshare:auto", "-Xlog:cds*=off", "-Xlog:aot*=off", "-XX:+AutoCreateSharedArchive",
          "-XX:SharedArchiveFile="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        App app(c.release);
        ClassDataPlan plan = app.plan();
        ASSERT_EQ(plan.options.size(), c.create.size());
        EXPECT_EQ(plan.pendingArchive, plan.folder + "/" + plan.key + ".42-7.tmp");
        EXPECT_EQ(plan.folder.rfind("/cache/tool.ini-", 0), 0u) << plan.folder;
        for (size_t i = 0; i < c.create.size(); ++i) {
            bool takesPath = c.create[i].back() == '=';
            EXPECT_EQ(plan.options[i], takesPath ? c.create[i] + plan.pendingArchive : c.create[i]);
        }
    }
}

TEST(ClassDataCache, NothingIsAddedWhereTheCacheCannotHelpOrCannotWrite) {
    struct Case {
        const char* name;
        void (*change)(App&);
    };
    const Case cases[] = {
        {"Java 11", [](App& a) { a.files.texts["/jdk/release"] = "JAVA_VERSION=\"11.0.2\"\n"; }},
        {"no release file", [](App& a) { a.files.texts.erase("/jdk/release"); }},
        {"OpenJ9",
         [](App& a) {
             a.files.texts["/jdk/release"] = "JAVA_VERSION=\"17\"\nJVM_VARIANT=\"Openj9\"\n";
         }},
        {"client VM",
         [](App& a) {
             for (const char* name : {"libjvm.so", "classes.jsa", "classes_nocoops.jsa"})
                 a.files.addFile(std::string("/jdk/lib/client/") + name, 1);
             a.input.vmLibrary = "/jdk/lib/client/libjvm.so";
         }},
        {"runtime without its own archive",
         [](App& a) { a.files.stamps.erase("/jdk/lib/server/classes_nocoops.jsa"); }},
        {"user turns sharing off", [](App& a) { a.input.userOptions.push_back("-Xshare:off"); }},
        {"folder of classes",
         [](App& a) {
             a.files.stamps["/app/classes"] = FileStamp();
             a.input.classPath.push_back("/app/classes");
         }},
        {"missing jar", [](App& a) { a.input.classPath.push_back("/app/gone.jar"); }},
        {"no cache folder", [](App& a) { a.files.root.clear(); }},
        {"unwritable folder", [](App& a) { a.files.writable = false; }},
        {"nearly full disk", [](App& a) { a.files.free = uint64_t{100} << 20; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        c.change(app);
        ClassDataPlan plan = app.plan();
        EXPECT_TRUE(plan.options.empty());
        EXPECT_TRUE(plan.pendingArchive.empty());
    }
}

TEST(ClassDataCache, ALaterStartMapsThePublishedArchiveAndNeverADamagedOne) {
    App app;
    ClassDataPlan first = app.plan();
    app.files.addFile(first.pendingArchive, 1855488);
    // An archive of an older jar and the file of a start that ended long ago go; the file of
    // a start still writing stays.
    app.files.addFile(first.folder + "/0123456789abcdef-4096.jsa", 4096);
    app.files.addFile(first.folder + "/0123456789abcdef.1-1.tmp", 10);
    app.files.stamps[first.folder + "/0123456789abcdef.1-1.tmp"].ageSeconds = 2 * 86400;
    app.files.addFile(first.folder + "/0123456789abcdef.2-2.tmp", 10);
    publishArchive(first, app.files);
    EXPECT_TRUE(first.pendingArchive.empty());
    std::string archive = first.folder + "/" + archiveFileName(first.key, 1855488);
    std::vector<std::string> left = app.files.list(first.folder);
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected{first.key + "-1855488.jsa", "0123456789abcdef.2-2.tmp"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected);

    ClassDataPlan second = app.plan();
    EXPECT_EQ(second.options, (std::vector<std::string>{"-Xshare:auto", "-Xlog:cds*=off",
                                                        "-XX:SharedArchiveFile=" + archive}));
    EXPECT_TRUE(second.pendingArchive.empty());

    // Truncated: removed, and a new one is made.
    app.files.stamps[archive].size = 3000;
    ClassDataPlan third = app.plan();
    EXPECT_EQ(app.files.removed.back(), archive);
    EXPECT_FALSE(third.pendingArchive.empty());
}

TEST(ClassDataCache, PublishingPassesOverWhatTheVmDidNotWrite) {
    App app;
    ClassDataPlan plan = app.plan();
    publishArchive(plan, app.files); // the VM ended before writing
    EXPECT_TRUE(app.files.list(plan.folder).empty());

    plan = app.plan();
    app.files.addFile(plan.pendingArchive, 0);
    std::string pending = plan.pendingArchive;
    publishArchive(plan, app.files);
    EXPECT_EQ(app.files.removed, std::vector<std::string>{pending});
    EXPECT_TRUE(app.files.list(plan.folder).empty());
    publishArchive(plan, app.files); // a second call does nothing
    EXPECT_EQ(app.files.removed.size(), 1u);
}

TEST(ClassDataCache, ThePublisherPublishesOnExitAndHandsBothHooksOn) {
    struct Recorder : VmHookListener {
        std::vector<std::string> calls;
        void onExit(int32_t code) override { calls.push_back("exit " + std::to_string(code)); }
        void onAbort() override { calls.push_back("abort"); }
    } next;
    App app;
    ClassDataPlan plan = app.plan();
    app.files.addFile(plan.pendingArchive, 8192);
    ClassDataPublisher publisher(plan, app.files, &next);
    publisher.onExit(3);
    publisher.onAbort();
    EXPECT_EQ(next.calls, (std::vector<std::string>{"exit 3", "abort"}));
    EXPECT_EQ(app.files.list(plan.folder),
              std::vector<std::string>{archiveFileName(plan.key, 8192)});
}

TEST(ClassDataCache, TheKeyFollowsRuntimeClassPathAndLayoutOptionsOnly) {
    App base;
    std::string key = base.plan().key;
    struct Case {
        const char* name;
        void (*change)(App&);
        bool same;
    };
    const Case cases[] = {
        {"changed jar size", [](App& a) { a.files.stamps["/app/lib.jar"].size = 2001; }, false},
        {"changed jar time", [](App& a) { a.files.stamps["/app/lib.jar"].modified = 2; }, false},
        {"updated VM library",
         [](App& a) { a.files.stamps["/jdk/lib/server/libjvm.so"].modified = 9; }, false},
        {"other runtime",
         [](App& a) {
             a.files.addRuntime("/jdk25", java25);
             a.input.vmLibrary = "/jdk25/lib/server/libjvm.so";
         },
         false},
        {"other class path order",
         [](App& a) {
             a.input.classPath = {"/app/lib.jar", "/app/app.jar"};
         },
         false},
        {"other heap", [](App& a) { a.input.userOptions = {"-Xmx1g"}; }, false},
        {"VM flag", [](App& a) { a.input.userOptions.push_back("-XX:+UseSerialGC"); }, false},
        {"system property", [](App& a) { a.input.userOptions.push_back("-Dother=2"); }, true},
        {"other application", [](App& a) { a.input.settingsPath = "/other/tool.ini"; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        c.change(app);
        EXPECT_EQ(app.plan().key == key, c.same);
    }
}

TEST(ClassDataCache, EachApplicationHasAFolderOfItsOwn) {
    std::string name = applicationFolderName("C:\\Apps\\My Tool\\tool.ini", true);
    EXPECT_EQ(name.rfind("tool.ini-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("tool.ini-").size() + 16);
    EXPECT_EQ(applicationFolderName("c:\\apps\\my tool\\TOOL.INI", true).substr(9), name.substr(9));
    EXPECT_NE(applicationFolderName("/opt/a/tool.ini", false),
              applicationFolderName("/opt/b/tool.ini", false));
    EXPECT_NE(applicationFolderName("/opt/a/Tool.ini", false).substr(9),
              applicationFolderName("/opt/a/tool.ini", false).substr(9));
    EXPECT_EQ(applicationFolderName("/opt/日本/", false).substr(0, 4), "app-");
    // The names are folders on disk: the same path keeps its name from one version to the
    // next (FNV-1a of the path, sixteen lowercase digits with leading zeros).
    EXPECT_EQ(applicationFolderName("/opt/a/tool.ini", false), "tool.ini-b864367c1304dd5f");
    EXPECT_EQ(applicationFolderName("/opt/149/tool.ini", false), "tool.ini-00ae086b7b92a1c8");

    uint64_t size = 0;
    EXPECT_TRUE(parseArchiveFileName(archiveFileName("k1", 123), "k1", size));
    EXPECT_EQ(size, 123u);
    for (const char* name : {"k1-.jsa", "k1-12x.jsa", "k2-12.jsa", "k1-12.jsa.tmp", "k1.1-1.tmp",
                             "k1-123456789012345678901.jsa"})
        EXPECT_FALSE(parseArchiveFileName(name, "k1", size)) << name;
}

} // namespace
