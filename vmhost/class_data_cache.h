#pragma once

// The class-data cache: an archive of the application's classes that later starts map, kept
// per user, per application, per runtime and per class path. Portable; the file system and
// processes come in through ClassDataFiles (class_data_cache_win32.cpp and
// class_data_cache_posix.cpp give the real one).
//
// A start either maps a complete archive (-XX:SharedArchiveFile=<folder>/<key>-<size>-<header
// digest>.jsa) or has the VM record the classes it loads (<key>.<unique>.classes, a file the
// launcher creates and holds open). Once the program has ended, a detached low-priority copy of
// the launcher (the archive job) has the runtime's java command build an archive from that
// list without running the program (<key>.<unique>.tmp), maps it once with sharing required,
// and moves it into place. Writing the archive costs as much as a start, so it never delays
// the program's own. The published name carries the archive's size and a digest of its first
// bytes: a file that does not match them (damaged, cut short, another program's or runtime's
// archive) is never handed to a VM, which would then run without any sharing; it is removed
// and the start records its classes again. The key follows the content of every jar (its
// central directory), so a jar replaced by one of the same size and time gets a new archive.
// Every step that cannot be taken leaves the start as it would be without the cache; nothing
// is reported beyond the trace.

#include "vmhost/vm_hook_listener.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct FileStamp {
    uint64_t size = 0;
    uint64_t modified = 0;    // the platform's finest last-write units
    uint64_t ageSeconds = 0;  // since the last write
    bool regularFile = false; // false for folders and anything else
    bool folder = false;
    bool link = false; // the name itself is a symbolic link (or another reparse point)
};

// The class list a start's VM writes: created by the launcher and held open until the program
// has ended, so the VM always finds it.
class ClassListFile {
  public:
    virtual ~ClassListFile() = default;
    // The name to hand the VM: one that reaches the open file even when its folder is removed
    // meanwhile (/proc/self/fd/N on Linux), else its path.
    virtual std::string vmName() const = 0;
};

// The file system and processes as the cache sees them; tests hand in a fake.
class ClassDataFiles {
  public:
    virtual ~ClassDataFiles() = default;
    // The per-user folder that holds every application's archives (created on demand);
    // empty when there is none (Windows: below LOCALAPPDATA; POSIX: $XDG_CACHE_HOME or
    // ~/.cache).
    virtual std::string cacheRoot() = 0;
    // A small text file's contents; empty when it cannot be read.
    virtual std::string readText(const std::string& path) = 0;
    // Reads length bytes from offset; false when they cannot all be read.
    virtual bool readRange(const std::string& path, uint64_t offset, size_t length,
                           std::string& bytes) = 0;
    // Follows links for everything but the link flag.
    virtual bool stamp(const std::string& path, FileStamp& stamp) = 0;
    // Names of the entries of a folder; none when the folder is a link.
    virtual std::vector<std::string> list(const std::string& folder) = 0;
    virtual bool makeFolders(const std::string& folder) = 0;
    // Creates path as a new file (never through a link) and keeps it open; null when it
    // cannot.
    virtual std::shared_ptr<ClassListFile> createClassList(const std::string& path) = 0;
    // Bytes free for this user on the volume of folder; 0 when unknown.
    virtual uint64_t freeSpace(const std::string& folder) = 0;
    // Moves a finished file into place. Windows never replaces an existing file; POSIX
    // replaces it atomically (a VM that mapped the old one keeps it).
    virtual bool move(const std::string& from, const std::string& to) = 0;
    // Removes the name; never one in a folder that is a link.
    virtual void remove(const std::string& path) = 0;
    // Creates path as a new file holding text; false when it exists or cannot be written.
    virtual bool writeNew(const std::string& path, const std::string& text) = 0;
    // Replaces the text of an existing file; false when it cannot.
    virtual bool rewrite(const std::string& path, const std::string& text) = 0;
    // Text that no other start running at the same time has (process id and time).
    virtual std::string uniqueName() = 0;
    virtual char separator() = 0;
    // True while a process of that id runs (or may run: one of another user).
    virtual bool processAlive(uint64_t processId) = 0;
    // Seconds since 1970 (UTC).
    virtual uint64_t currentTime() = 0;
    // An environment variable's value; empty when unset.
    virtual std::string variable(const char* name) = 0;
    // Starts the archive job of jobFile in a detached process of low priority that inherits
    // no handles and whose output goes nowhere; does not wait for it. processId: the job's.
    virtual bool startJob(const std::string& jobFile, uint64_t& processId) = 0;
    // Runs command (program first) with no output and waits; its exit code, -1 when it could
    // not be started.
    virtual int run(const std::vector<std::string>& command) = 0;
};

// The cache files of the running system.
ClassDataFiles& systemClassDataFiles();

// The feature release of a JAVA_VERSION text ("17.0.15" -> 17, "1.8.0_202" -> 8); 0 when it
// has no leading number.
int featureRelease(const std::string& javaVersion);
// Runtimes from 13 on record class lists and build and map archives of application classes
// with the options used here; older ones, or an unknown version, get nothing.
bool archivesClasses(int featureRelease);

// True when the user's own parameters already decide about class sharing (-Xshare:...,
// -XX:SharedArchiveFile, -XX:AOTCache, ...) or could keep the VM from mapping its own archive
// or writing one (-Xbootclasspath..., -XX:-UseCompressedClassPointers): the cache then stays
// out of the way.
bool userDecidesSharing(const std::vector<std::string>& userOptions);

// The variables through which the java command would take options the program's VM never
// sees (JDK_JAVA_OPTIONS) or that the build gets from the start's own options instead; the
// archive job runs without them.
extern const char* const buildIgnoredVariables[3];

// The options the program's VM reads from its environment, split as the VM splits them:
// JAVA_TOOL_OPTIONS comes before the launcher's options, _JAVA_OPTIONS after them.
std::vector<std::string> splitEnvironmentOptions(const std::string& text);

// Options that keep the VM's archive messages away from the program's output and let it start
// without sharing when an archive cannot be mapped.
std::vector<std::string> quietSharingOptions(int featureRelease);

// The application's folder below the cache root: its settings file's name (letters, digits,
// '.', '-' and '_' only) and a hash of its full path, so two installations never meet.
// caseInsensitive: Windows, where the same file has paths in several letter cases.
std::string applicationFolderName(const std::string& settingsPath, bool caseInsensitive);

// The digest of an archive that its name records: its first bytes (the header, which names
// the runtime, the class path and the layout of every region) and its size.
constexpr size_t archiveHeaderBytes = 4096;
std::string archiveDigest(const std::string& firstBytes, uint64_t size);

// "<key>-<size>-<digest>.jsa", and its reverse: true when name has that form with the same
// key.
std::string archiveFileName(const std::string& key, uint64_t size, const std::string& digest);
bool parseArchiveFileName(const std::string& name, const std::string& key, uint64_t& size,
                          std::string& digest);

// A name the cache makes: "<key>-<size>[-<digest>].jsa", "<key>.failed", "<key>.making" or
// "<key>.<process>-<time>.classes|.tmp|.job"; clean-up touches no other name.
struct CacheFileName {
    std::string key;
    std::string suffix;     // ".jsa", ".failed", ".making", ".classes", ".tmp" or ".job"
    uint64_t processId = 0; // of the start that made a ".classes", ".tmp" or ".job"
};
bool parseCacheFileName(const std::string& name, CacheFileName& parsed);

// What the cache needs to know about a start.
struct ClassDataInput {
    std::string settingsPath;             // the application's settings file, full path
    std::string vmLibrary;                // the chosen VM library (jvmPath)
    std::vector<std::string> classPath;   // the class path's entries, in order
    std::vector<std::string> userOptions; // the user's VM parameters, normalised
};

// What the cache adds to a start.
struct ClassDataPlan {
    std::vector<std::string> options;         // placed before the user's parameters
    std::shared_ptr<ClassListFile> classList; // while the start records its classes
    std::string folder;                       // the application's cache folder
    std::string key;                          // the runtime and class path's part of archive names
    // "<folder>/<key>.<unique>": the class list this start records (".classes") and the names
    // of its archive job; empty when the start maps an archive or the cache is not used.
    std::string stem;
    // The runtime's java command with the options that build the archive from the class list.
    std::vector<std::string> dumpCommand;
    std::string offReason; // why the start goes without the cache; empty when it does not
};

// The archive's key: the VM library (path, size, time), the runtime's version, every class
// path entry (path, size, time, content digest) and the -XX and -Xmx options the VM gets
// (layoutOptions), hashed.
std::string archiveKey(const ClassDataInput& input, const FileStamp& vmLibrary,
                       const std::string& javaVersion,
                       const std::vector<FileStamp>& classPathStamps,
                       const std::vector<uint64_t>& jarDigests,
                       const std::vector<std::string>& layoutOptions);

// The options of one start; none when the runtime (not a HotSpot server VM of 13 or later with
// its own archives classes.jsa and classes_nocoops.jsa and its java command), the class path
// (anything but zip files), the user's parameters, the cache folder, a job under way or
// repeated failed builds rule the cache out; the trace says which.
ClassDataPlan planClassData(const ClassDataInput& input, ClassDataFiles& files);

// After the program has ended: starts the archive job for the class list the start recorded,
// unless another start's job for the same key is under way, the archive exists by now or the
// list is empty. Closes the class list and clears stem, so a second call does nothing.
void startArchiveJob(ClassDataPlan& plan, ClassDataFiles& files);

// A Windows command line whose arguments the C runtime's rules read back as the given ones.
std::string windowsCommandLine(const std::vector<std::string>& arguments);

// The job file's text and its reverse; false for text that is not a job of the cache root.
struct ClassDataJob {
    std::string folder;
    std::string key;
    std::string stem;
    std::vector<std::string> dumpCommand;
};
std::string jobText(const ClassDataJob& job);
bool parseJob(const std::string& text, const std::string& cacheRoot, char separator,
              ClassDataJob& job);

// The archive job's process: removes what killed starts and jobs of the application left
// behind, builds the archive, maps it once with sharing required, publishes it under its size
// and digest and removes the application's other archives; a failed build leaves nothing
// behind and is counted, so that a runtime that always fails is not tried at every start.
void runArchiveJob(const std::string& jobFile, ClassDataFiles& files);

// A start that finds the environment mark of an archive job runs that job and ends the
// process; any other returns at once. Called first thing in the process.
void runArchiveJobIfMarked();

// Starts the archive job once the program has ended: from the VM's exit hook when the program
// calls System.exit (the class list is complete by then), else after DestroyJavaVM has
// returned. Stands in front of the listener that was installed before it (single-instance
// mode's) and hands both hooks on to it.
class ClassDataPublisher final : public VmHookListener {
  public:
    ClassDataPublisher(ClassDataPlan plan, ClassDataFiles& files, VmHookListener* next)
        : plan_(std::move(plan)), files_(files), next_(next) {}
    void publish() { startArchiveJob(plan_, files_); }
    VmHookListener* next() const { return next_; }
    void onExit(int32_t exitCode) override {
        publish();
        if (next_ != nullptr)
            next_->onExit(exitCode);
    }
    void onAbort() override {
        if (next_ != nullptr)
            next_->onAbort();
    }

  private:
    ClassDataPlan plan_;
    ClassDataFiles& files_;
    VmHookListener* next_;
};
