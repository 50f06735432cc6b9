#include "vmhost/class_data_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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
        addFile(home + "/bin/java", 12000);
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
        texts.erase(path);
    }
    bool writeNew(const std::string& path, const std::string& text) override {
        if (!writable || stamps.count(path) > 0)
            return false;
        addFile(path, text.size());
        texts[path] = text;
        return true;
    }
    std::string uniqueName() override { return "42-7"; }
    char separator() override { return '/'; }

    std::vector<std::string> jobsStarted;
    bool jobsStart = true;
    bool startJob(const std::string& jobFile) override {
        jobsStarted.push_back(jobFile);
        return jobsStart;
    }
    // The java command: writes archiveSize bytes to the file it is told, then exits.
    uint64_t archiveSize = 1855488;
    int dumpExitCode = 0;
    std::vector<std::string> ran;
    int run(const std::vector<std::string>& command) override {
        ran = command;
        for (const std::string& part : command)
            if (part.rfind("-XX:SharedArchiveFile=", 0) == 0)
                addFile(part.substr(part.find('=') + 1), archiveSize);
        return dumpExitCode;
    }
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

    // A first start whose VM recorded its classes, and its job run to the end.
    ClassDataPlan firstStart() {
        ClassDataPlan plan = this->plan();
        ClassDataPlan started = plan;
        files.addFile(plan.stem + ".classes", 50000);
        startArchiveJob(started, files);
        if (!files.jobsStarted.empty())
            runArchiveJob(files.jobsStarted.back(), files);
        return plan;
    }
    std::vector<std::string> folder(const ClassDataPlan& plan) {
        std::vector<std::string> names = files.list(plan.folder);
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST(ClassDataCache, FeatureReleaseFollowsTheVersionText) {
    struct Case {
        const char* version;
        int feature;
        bool archives;
    };
    const Case cases[] = {
        {"1.8.0_202", 8, false}, {"11.0.22", 11, false},
        {"12", 12, false},       {"13", 13, true},
        {"18.0.2.1", 18, true},  {"19-ea", 19, true},
        {"25.0.3", 25, true},    {"", 0, false},
        {"openjdk", 0, false},   {"99999999999", 999999, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(featureRelease(c.version), c.feature);
        EXPECT_EQ(archivesClasses(featureRelease(c.version)), c.archives);
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

TEST(ClassDataCache, AFirstStartRecordsItsClassesAndTheNextMapsTheArchiveQuietly) {
    struct Case {
        std::string release;
        std::vector<std::string> quiet;
    };
    const Case cases[] = {
        {java17, {"-Xshare:auto", "-Xlog:cds*=off"}},
        {"JAVA_VERSION=\"13.0.2\"\n", {"-Xshare:auto", "-Xlog:cds*=off"}},
        {java25, {"-Xshare:auto", "-Xlog:cds*=off", "-Xlog:aot*=off"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release);
        App app(c.release);
        ClassDataPlan plan = app.firstStart();
        EXPECT_EQ(plan.folder.rfind("/cache/tool.ini-", 0), 0u) << plan.folder;
        EXPECT_EQ(plan.stem, plan.folder + "/" + plan.key + ".42-7");
        EXPECT_EQ(plan.options,
                  std::vector<std::string>{"-XX:DumpLoadedClassList=" + plan.stem + ".classes"});
        // The archive is built with the start's class path and layout options.
        EXPECT_EQ(app.files.ran, (std::vector<std::string>{
                                     "/jdk/bin/java", "-Xshare:dump",
                                     "-XX:SharedClassListFile=" + plan.stem + ".classes",
                                     "-XX:SharedArchiveFile=" + plan.stem + ".tmp",
                                     "-Djava.class.path=/app/app.jar:/app/lib.jar", "-Xmx512m"}));
        std::vector<std::string> mapping = c.quiet;
        mapping.push_back("-XX:SharedArchiveFile=" + plan.folder + "/" +
                          archiveFileName(plan.key, 1855488));
        EXPECT_EQ(app.plan().options, mapping);
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
        {"runtime without its java command", [](App& a) { a.files.stamps.erase("/jdk/bin/java"); }},
        {"line break in the class path",
         [](App& a) {
             a.files.addFile("/app/a\nb.jar", 1);
             a.input.classPath.push_back("/app/a\nb.jar");
         }},
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
        EXPECT_TRUE(plan.stem.empty());
    }
}

TEST(ClassDataCache, TheJobBuildsAndPublishesTheArchiveThatLaterStartsMap) {
    App app;
    ClassDataPlan plan = app.plan();
    std::string old = plan.folder + "/0123456789abcdef";
    // An archive of an older jar and the files of a start that ended long ago go; the list of
    // a start still running stays.
    app.files.addFile(old + "-4096.jsa", 4096);
    app.files.addFile(old + ".failed", 1);
    app.files.addFile(old + ".1-1.classes", 10);
    app.files.stamps[old + ".1-1.classes"].ageSeconds = 2 * 86400;
    app.files.addFile(old + ".2-2.classes", 10);

    struct Recorder : VmHookListener {
        std::vector<std::string> calls;
        void onExit(int32_t code) override { calls.push_back("exit " + std::to_string(code)); }
        void onAbort() override { calls.push_back("abort"); }
    } next;
    app.files.addFile(plan.stem + ".classes", 50000);
    ClassDataPublisher publisher(plan, app.files, &next);
    publisher.onExit(3);
    publisher.onAbort();
    publisher.publish(); // after DestroyJavaVM: the job has been started already
    EXPECT_EQ(next.calls, (std::vector<std::string>{"exit 3", "abort"}));
    ASSERT_EQ(app.files.jobsStarted, std::vector<std::string>{plan.stem + ".job"});
    EXPECT_TRUE(app.files.stamps.count(plan.folder + "/" + plan.key + ".making"));

    runArchiveJob(plan.stem + ".job", app.files);
    EXPECT_EQ(app.files.ran, plan.dumpCommand);
    std::string archive = plan.folder + "/" + archiveFileName(plan.key, 1855488);
    EXPECT_EQ(app.folder(plan), (std::vector<std::string>{"0123456789abcdef.2-2.classes",
                                                          plan.key + "-1855488.jsa"}));

    ClassDataPlan second = app.plan();
    EXPECT_EQ(second.options.back(), "-XX:SharedArchiveFile=" + archive);
    EXPECT_TRUE(second.stem.empty());

    // Truncated: removed, and the next start records its classes again.
    app.files.stamps[archive].size = 3000;
    ClassDataPlan third = app.plan();
    EXPECT_EQ(app.files.removed.back(), archive);
    EXPECT_FALSE(third.stem.empty());
}

TEST(ClassDataCache, AFailedBuildLeavesNothingBehindAndIsNotRetriedForever) {
    App app;
    app.files.dumpExitCode = 1; // the VM wrote part of the archive, then failed
    for (int start = 1; start <= 3; ++start) {
        ClassDataPlan plan = app.firstStart();
        ASSERT_FALSE(plan.stem.empty()) << start;
        EXPECT_EQ(app.folder(plan), std::vector<std::string>{plan.key + ".failed"});
        EXPECT_EQ(app.files.texts[plan.folder + "/" + plan.key + ".failed"], std::to_string(start));
    }
    ClassDataPlan given = app.plan();
    EXPECT_TRUE(given.options.empty());
    EXPECT_TRUE(given.stem.empty());

    // A week on, the runtime gets another chance, and a success forgets the failures.
    for (auto& entry : app.files.stamps)
        if (entry.first.find(".failed") != std::string::npos)
            entry.second.ageSeconds = 8 * 86400;
    app.files.dumpExitCode = 0;
    ClassDataPlan plan = app.firstStart();
    EXPECT_EQ(app.folder(plan), std::vector<std::string>{plan.key + "-1855488.jsa"});
}

TEST(ClassDataCache, OneJobAtATimeAndNoneWithoutARecordedList) {
    struct Case {
        const char* name;
        void (*before)(App&, const ClassDataPlan&);
        bool started;
    };
    const Case cases[] = {
        {"no list", [](App& a, const ClassDataPlan& p) { a.files.remove(p.stem + ".classes"); },
         false},
        {"empty list",
         [](App& a, const ClassDataPlan& p) { a.files.stamps[p.stem + ".classes"].size = 0; },
         false},
        {"another start's job",
         [](App& a, const ClassDataPlan& p) {
             a.files.addFile(p.folder + "/" + p.key + ".making", 5);
         },
         false},
        {"a killed job's marker",
         [](App& a, const ClassDataPlan& p) {
             a.files.addFile(p.folder + "/" + p.key + ".making", 5);
             a.files.stamps[p.folder + "/" + p.key + ".making"].ageSeconds = 3600;
         },
         true},
        {"archive published meanwhile",
         [](App& a, const ClassDataPlan& p) {
             a.files.addFile(p.folder + "/" + archiveFileName(p.key, 77), 77);
         },
         false},
        {"job cannot start", [](App& a, const ClassDataPlan&) { a.files.jobsStart = false; },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        ClassDataPlan plan = app.plan();
        std::string stem = plan.stem;
        app.files.addFile(stem + ".classes", 50000);
        c.before(app, plan);
        startArchiveJob(plan, app.files);
        startArchiveJob(plan, app.files); // a second call does nothing
        bool started = app.files.jobsStart && !app.files.jobsStarted.empty();
        EXPECT_EQ(started, c.started);
        EXPECT_LE(app.files.jobsStarted.size(), 1u);
        if (!started) {
            // The start's list and job file are gone; only another job's marker may stay.
            for (const char* suffix : {".classes", ".job"})
                EXPECT_EQ(app.files.stamps.count(stem + suffix), 0u) << suffix;
        }
    }
    // While a job runs, starts of the same key do not record lists at all.
    App app;
    ClassDataPlan plan = app.plan();
    app.files.addFile(plan.folder + "/" + plan.key + ".making", 5);
    EXPECT_TRUE(app.plan().options.empty());
}

TEST(ClassDataCache, AJobFileIsTakenOnlyForFilesOfItsApplicationsFolder) {
    ClassDataJob job{"/cache/tool..ini-1",
                     "k1",
                     "/cache/tool..ini-1/k1.42-7",
                     {"/jdk/bin/java", "-Xshare:dump", "-Djava.class.path=/a b.jar"}};
    ClassDataJob read;
    ASSERT_TRUE(parseJob(jobText(job), "/cache", '/', read));
    EXPECT_EQ(std::vector<std::string>({read.folder, read.key, read.stem}),
              std::vector<std::string>({job.folder, job.key, job.stem}));
    EXPECT_EQ(read.dumpCommand, job.dumpCommand);

    struct Case {
        const char* name;
        std::string text;
    };
    const Case refused[] = {
        {"other root", "/tmp/x\nk1\n/tmp/x/k1.1\njava\n-Xshare:dump\n"},
        {"stem of another folder", "/cache/a\nk1\n/cache/b/k1.1\njava\n-Xshare:dump\n"},
        {"stem of another key", "/cache/a\nk1\n/cache/a/k2.1\njava\n-Xshare:dump\n"},
        {"stem in a subfolder", "/cache/a\nk1\n/cache/a/k1.1/x\njava\n-Xshare:dump\n"},
        {"climbing out", "/cache/../etc\nk1\n/cache/../etc/k1.1\njava\n-Xshare:dump\n"},
        {"the root itself", "/cache/..\nk1\n/cache/../k1.1\njava\n-Xshare:dump\n"},
        {"no command", "/cache/a\nk1\n/cache/a/k1.1\n"},
        {"cut short", "/cache/a\nk1\n/cache/a/k1.1\njava\n-Xshare:dump"},
    };
    for (const Case& c : refused)
        EXPECT_FALSE(parseJob(c.text, "/cache", '/', read)) << c.name;
}

TEST(ClassDataCache, WindowsCommandLinesQuoteWhatTheRuntimeWouldSplit) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"C:\\jdk\\bin\\javaw.exe", "-Xshare:dump"}, "C:\\jdk\\bin\\javaw.exe -Xshare:dump"},
        {{"C:\\Program Files\\j.exe", ""}, "\"C:\\Program Files\\j.exe\" \"\""},
        {{"a\"b", "c\\ d\\"}, "\"a\\\"b\" \"c\\ d\\\\\""},
        {{"x\\\"y z"}, "\"x\\\\\\\"y z\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowsCommandLine(c.first), c.second);
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
