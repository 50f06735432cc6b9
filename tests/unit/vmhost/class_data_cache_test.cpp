#include "vmhost/class_data_cache.h"
#include "vmhost/class_data_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace {

// A zip file of size bytes whose central directory is directory: entry data (zeros), the
// directory, the end record.
std::string zipFile(const std::string& directory, size_t size) {
    size_t offset = size - directory.size() - 22;
    auto little = [](uint64_t value, size_t width) {
        std::string bytes;
        for (size_t i = 0; i < width; ++i, value >>= 8)
            bytes += static_cast<char>(value & 0xff);
        return bytes;
    };
    return std::string(offset, '\0') + directory + "PK\5\6" + std::string(6, '\0') + little(1, 2) +
           little(directory.size(), 4) + little(offset, 4) + little(0, 2);
}

struct FakeClassList : ClassListFile {
    explicit FakeClassList(std::string path) : path(std::move(path)) {}
    std::string vmName() const override { return path; }
    std::string path;
};

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
    // A jar whose central directory is directory, of the same size whatever that holds.
    void addJar(const std::string& path, const std::string& directory = "PK\1\2 one entry") {
        addFile(path, 1000);
        texts[path] = zipFile(directory, 1000);
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
    bool readRange(const std::string& path, uint64_t offset, size_t length,
                   std::string& bytes) override {
        auto found = texts.find(path);
        if (found == texts.end() || offset + length > found->second.size())
            return false;
        bytes = found->second.substr(offset, length);
        return true;
    }
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
        if (writable) {
            folders.insert(folder);
            stamps[folder].folder = true;
        }
        return writable;
    }
    std::shared_ptr<ClassListFile> createClassList(const std::string& path) override {
        if (!writable || folders.count(path.substr(0, path.rfind('/'))) == 0)
            return nullptr;
        addFile(path, 0);
        return std::make_shared<FakeClassList>(path);
    }
    uint64_t freeSpace(const std::string&) override { return free; }
    bool move(const std::string& from, const std::string& to) override {
        if (stamps.count(from) == 0)
            return false;
        stamps[to] = stamps[from];
        texts[to] = texts[from];
        stamps.erase(from);
        texts.erase(from);
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
    bool rewrite(const std::string& path, const std::string& text) override {
        if (stamps.count(path) == 0)
            return false;
        texts[path] = text;
        return true;
    }
    std::string uniqueName() override { return "42-7"; }
    char separator() override { return '/'; }
    std::set<uint64_t> running{42, 99};
    bool processAlive(uint64_t process) override { return running.count(process) > 0; }
    uint64_t currentTime() override { return 1765280000; } // 2025-12-09 11:33:20 UTC
    std::map<std::string, std::string> variables;
    std::string variable(const char* name) override { return variables[name]; }

    std::vector<std::string> jobsStarted;
    bool jobsStart = true;
    bool startJob(const std::string& jobFile, uint64_t& process) override {
        jobsStarted.push_back(jobFile);
        process = 99;
        return jobsStart;
    }
    // The java command: the dump writes archiveSize bytes of archiveByte to the file it is
    // told; the trial exits with trialExitCode.
    uint64_t archiveSize = 1855488;
    char archiveByte = 'A';
    int dumpExitCode = 0;
    int trialExitCode = 0;
    std::vector<std::vector<std::string>> ran;
    int run(const std::vector<std::string>& command) override {
        ran.push_back(command);
        if (command[1] == "-Xshare:on")
            return trialExitCode;
        for (const std::string& part : command)
            if (part.rfind("-XX:SharedArchiveFile=", 0) == 0) {
                addFile(part.substr(part.find('=') + 1), archiveSize);
                texts[part.substr(part.find('=') + 1)] = std::string(archiveSize, archiveByte);
            }
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
        files.addJar("/app/app.jar");
        files.addJar("/app/lib.jar", "PK\1\2 another entry");
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
    // The name the job publishes the fake java command's archive under.
    std::string archiveName(const ClassDataPlan& plan) const {
        return archiveFileName(
            plan.key, files.archiveSize,
            archiveDigest(std::string(4096, files.archiveByte), files.archiveSize));
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

TEST(ClassDataCache, DatesInTheTraceAreUtcCalendarDates) {
    const std::pair<uint64_t, const char*> cases[] = {
        {0, "1970-01-01 00:00 UTC"},          {951782400, "2000-02-29 00:00 UTC"},
        {1765280000, "2025-12-09 11:33 UTC"}, {4107542399, "2100-02-28 23:59 UTC"},
        {4107542400, "2100-03-01 00:00 UTC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(class_data_text::utcText(c.first), c.second) << c.first;
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
        // The archive is built with the start's class path and layout options, then mapped
        // once with sharing required.
        EXPECT_EQ(app.files.ran,
                  (std::vector<std::vector<std::string>>{
                      {"/jdk/bin/java", "-Xshare:dump",
                       "-XX:SharedClassListFile=" + plan.stem + ".classes",
                       "-XX:SharedArchiveFile=" + plan.stem + ".tmp",
                       "-Djava.class.path=/app/app.jar:/app/lib.jar", "-Xmx512m"},
                      {"/jdk/bin/java", "-Xshare:on", "-XX:SharedArchiveFile=" + plan.stem + ".tmp",
                       "-Djava.class.path=/app/app.jar:/app/lib.jar", "-Xmx512m", "-version"}}));
        std::vector<std::string> mapping = c.quiet;
        mapping.push_back("-XX:SharedArchiveFile=" + plan.folder + "/" + app.archiveName(plan));
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
        {"no zip file", [](App& a) { a.files.texts["/app/lib.jar"].assign(1000, 'x'); }},
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
    // An archive of an older jar and its failure count go.
    app.files.addFile(old + "-4096-0123456789abcdef.jsa", 4096);
    app.files.addFile(old + ".failed", 1);

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
    EXPECT_EQ(app.files.ran.front(), plan.dumpCommand);
    std::string archive = plan.folder + "/" + app.archiveName(plan);
    EXPECT_EQ(app.folder(plan), std::vector<std::string>{app.archiveName(plan)});

    ClassDataPlan second = app.plan();
    EXPECT_EQ(second.options.back(), "-XX:SharedArchiveFile=" + archive);
    EXPECT_TRUE(second.stem.empty());
}

TEST(ClassDataCache, AnArchiveThatIsNotTheOneItsNameDescribesIsReplaced) {
    struct Case {
        const char* name;
        void (*spoil)(FakeFiles&, const std::string& archive);
    };
    const Case cases[] = {
        {"damaged header", [](FakeFiles& f, const std::string& a) { f.texts[a][100] = 'Z'; }},
        {"cut short and renamed to its size",
         [](FakeFiles& f, const std::string& a) {
             std::string renamed =
                 a.substr(0, a.rfind('/') + 17) + "-3000-" + a.substr(a.rfind('-') + 1);
             f.addFile(renamed, 3000);
             f.texts[renamed] = f.texts[a].substr(0, 3000);
             f.remove(a);
         }},
        {"a link", [](FakeFiles& f, const std::string& a) { f.stamps[a].link = true; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        App app;
        ClassDataPlan first = app.firstStart();
        std::string archive = first.folder + "/" + app.archiveName(first);
        c.spoil(app.files, archive);
        std::string spoiled = app.folder(first).at(0);
        // The start records its classes again; its job publishes a new archive that the
        // next start maps.
        app.files.archiveByte = 'B';
        ClassDataPlan again = app.firstStart();
        ASSERT_FALSE(again.stem.empty());
        EXPECT_EQ(app.folder(again), std::vector<std::string>{app.archiveName(again)});
        EXPECT_NE(app.archiveName(again), spoiled);
        EXPECT_EQ(app.plan().options.back(),
                  "-XX:SharedArchiveFile=" + again.folder + "/" + app.archiveName(again));
    }
    // An archive the runtime refuses to map is never published, and counts as a failure.
    App app;
    app.files.trialExitCode = 1;
    ClassDataPlan plan = app.firstStart();
    EXPECT_EQ(app.folder(plan), std::vector<std::string>{plan.key + ".failed"});
}

TEST(ClassDataCache, TheJobRemovesOnlyItsOwnNamesAndWhatStoppedProcessesLeft) {
    App app;
    ClassDataPlan plan = app.plan();
    std::string busy = plan.folder + "/fedcba9876543210";
    const std::vector<std::string> kept = {
        // The user's own files, however old, and names the cache does not make.
        "notes.txt", "backup.jsa", "x.failed", "0123456789abcdef.1-1.txt",
        "0123456789ABCDEF.7-1.tmp",
        // The class list of a start still running, and the files of another key's live job.
        plan.key + ".99-5.classes", "fedcba9876543210.making", "fedcba9876543210.99-1.tmp",
        "fedcba9876543210.77-1.classes"};
    const std::vector<std::string> gone = {
        // A killed job's archive of this key and of a key without a job, killed starts' lists.
        plan.key + ".77-1.tmp", "0123456789abcdef.77-2.tmp", "0123456789abcdef.77-3.classes",
        "0123456789abcdef.77-4.job", plan.key + ".77-5.classes",
        // Archives of earlier jars, in this version's names and the earlier one's.
        "0123456789abcdef-4096.jsa", "0123456789abcdef-4096-0123456789abcdef.jsa",
        "0123456789abcdef.failed"};
    for (const auto* names : {&kept, &gone})
        for (const std::string& name : *names) {
            app.files.addFile(plan.folder + "/" + name, 10);
            app.files.stamps[plan.folder + "/" + name].ageSeconds = 30 * 86400;
        }
    app.files.stamps[busy + ".making"].ageSeconds = 5;
    app.files.texts[busy + ".making"] = "99";
    app.files.addFile(plan.stem + ".classes", 50000);
    startArchiveJob(plan, app.files);
    runArchiveJob(app.files.jobsStarted.at(0), app.files);
    std::vector<std::string> expected = kept;
    expected.push_back(app.archiveName(plan));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(app.folder(plan), expected);

    // A folder that is a link is not used at all.
    App linked;
    linked.files.stamps[linked.plan().folder].link = true;
    EXPECT_TRUE(linked.plan().options.empty());
}

TEST(ClassDataCache, OptionsFromTheEnvironmentReachTheKeyAndTheBuildAsTheVmReadsThem) {
    App app;
    std::string key = app.plan().key;
    app.files.variables["JAVA_TOOL_OPTIONS"] = "-Dx=1 '-XX:ObjectAlignmentInBytes=16'";
    app.files.variables["_JAVA_OPTIONS"] = "-Xmx1g";
    ClassDataPlan plan = app.plan();
    EXPECT_NE(plan.key, key);
    std::vector<std::string> tail(plan.dumpCommand.end() - 3, plan.dumpCommand.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"-XX:ObjectAlignmentInBytes=16", "-Xmx512m", "-Xmx1g"}));
    app.files.variables["JAVA_TOOL_OPTIONS"] = "-Xshare:off";
    EXPECT_TRUE(app.plan().options.empty());

    const std::pair<const char*, std::vector<std::string>> splits[] = {
        {"", {}},
        {"  -Xmx1g\t-Da=b  ", {"-Xmx1g", "-Da=b"}},
        {"-Dp=\"a b\" '-Dq=c d'", {"-Dp=a b", "-Dq=c d"}},
        {"-Dempty='' x", {"-Dempty=", "x"}},
        {"\"unclosed", {"unclosed"}},
    };
    for (const auto& c : splits)
        EXPECT_EQ(splitEnvironmentOptions(c.first), c.second) << c.first;
    EXPECT_EQ(std::vector<std::string>(buildIgnoredVariables, buildIgnoredVariables + 3),
              (std::vector<std::string>{"JDK_JAVA_OPTIONS", "JAVA_TOOL_OPTIONS", "_JAVA_OPTIONS"}));
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
    EXPECT_EQ(app.folder(plan), std::vector<std::string>{app.archiveName(plan)});
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
             std::string header(77, 'x');
             a.files.addFile(p.folder + "/" + archiveFileName(p.key, 77, archiveDigest(header, 77)),
                             77);
             a.files.texts[p.folder + "/" + archiveFileName(p.key, 77, archiveDigest(header, 77))] =
                 header;
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
        {"changed jar size",
         [](App& a) {
             a.files.stamps["/app/lib.jar"].size = 2001;
             a.files.texts["/app/lib.jar"] = zipFile("PK\1\2 another entry", 2001);
         },
         false},
        {"changed jar time", [](App& a) { a.files.stamps["/app/lib.jar"].modified = 2; }, false},
        // Replaced by a jar of the same size and time that holds other classes.
        {"swapped jar",
         [](App& a) { a.files.texts["/app/lib.jar"] = zipFile("PK\1\2 changed entry", 1000); },
         false},
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
    std::string digest;
    EXPECT_TRUE(
        parseArchiveFileName(archiveFileName("k1", 123, "00112233445566ff"), "k1", size, digest));
    EXPECT_EQ(size, 123u);
    EXPECT_EQ(digest, "00112233445566ff");
    for (const char* name :
         {"k1-.jsa", "k1-12.jsa", "k1-12x-00112233445566ff.jsa", "k2-12-00112233445566ff.jsa",
          "k1-12-0011.jsa", "k1-12-00112233445566FF.jsa",
          "k1-123456789012345678901-00112233445566ff.jsa"})
        EXPECT_FALSE(parseArchiveFileName(name, "k1", size, digest)) << name;
}

} // namespace
