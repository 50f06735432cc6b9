#pragma once

// The class-data cache: an archive of the application's classes that the VM writes at the end
// of one start and maps at the next, kept per user, per application, per runtime and per class
// path. Portable; the file system comes in through ClassDataFiles (class_data_cache_win32.cpp
// and class_data_cache_posix.cpp give the real one).
//
// A start either maps a complete archive (-XX:SharedArchiveFile=<folder>/<key>-<size>.jsa) or
// lets the VM write a new one under a name of its own (<key>.<unique>.tmp), which
// publishArchive moves into place once the VM has ended. The published name carries the
// archive's size: a file of another size is damaged and is never handed to a VM (Java 17
// crashes on a truncated archive). Every step that cannot be taken leaves the start as it
// would be without the cache; nothing is reported.

#include "vmhost/vm_hook_listener.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct FileStamp {
    uint64_t size = 0;
    uint64_t modified = 0;    // the platform's finest last-write units
    uint64_t ageSeconds = 0;  // since the last write
    bool regularFile = false; // false for folders and anything else
};

// The file system as the cache sees it; tests hand in a fake.
class ClassDataFiles {
  public:
    virtual ~ClassDataFiles() = default;
    // The per-user folder that holds every application's archives (created on demand);
    // empty when there is none (Windows: below LOCALAPPDATA; POSIX: $XDG_CACHE_HOME or
    // ~/.cache).
    virtual std::string cacheRoot() = 0;
    // A small text file's contents; empty when it cannot be read.
    virtual std::string readText(const std::string& path) = 0;
    virtual bool stamp(const std::string& path, FileStamp& stamp) = 0;
    // Names of the entries of a folder.
    virtual std::vector<std::string> list(const std::string& folder) = 0;
    virtual bool makeFolders(const std::string& folder) = 0;
    // Creates path as a new file and removes it again: the VM will be able to write there.
    virtual bool canCreate(const std::string& path) = 0;
    // Bytes free for this user on the volume of folder; 0 when unknown.
    virtual uint64_t freeSpace(const std::string& folder) = 0;
    // Moves a finished file into place. Windows never replaces an existing file; POSIX
    // replaces it atomically (a VM that mapped the old one keeps it).
    virtual bool move(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
    // Text that no other start running at the same time has (process id and time).
    virtual std::string uniqueName() = 0;
    virtual char separator() = 0;
};

// The cache files of the running system.
ClassDataFiles& systemClassDataFiles();

// How a runtime makes an archive of the application's classes.
enum class ArchiveMethod {
    none,          // before 13, or the version is unknown
    archiveAtExit, // 13 to 18: -XX:ArchiveClassesAtExit
    autoCreate,    // 19 and later: -XX:+AutoCreateSharedArchive with -XX:SharedArchiveFile
};

// The feature release of a JAVA_VERSION text ("17.0.15" -> 17, "1.8.0_202" -> 8); 0 when it
// has no leading number.
int featureRelease(const std::string& javaVersion);
ArchiveMethod archiveMethod(int featureRelease);

// True when the user's own parameters already decide about class sharing (-Xshare:...,
// -XX:SharedArchiveFile, -XX:AOTCache, ...) or could keep the VM from mapping its own archive
// or writing one (-Xbootclasspath..., -XX:-UseCompressedClassPointers): the cache then stays
// out of the way.
bool userDecidesSharing(const std::vector<std::string>& userOptions);

// Options that keep the VM's archive messages away from the program's output and let it start
// without sharing when an archive cannot be mapped.
std::vector<std::string> quietSharingOptions(int featureRelease);

// The application's folder below the cache root: its settings file's name (letters, digits,
// '.', '-' and '_' only) and a hash of its full path, so two installations never meet.
// caseInsensitive: Windows, where the same file has paths in several letter cases.
std::string applicationFolderName(const std::string& settingsPath, bool caseInsensitive);

// "<key>-<size>.jsa", and its reverse: true when name has that form with the same key.
std::string archiveFileName(const std::string& key, uint64_t size);
bool parseArchiveFileName(const std::string& name, const std::string& key, uint64_t& size);

// What the cache needs to know about a start.
struct ClassDataInput {
    std::string settingsPath;             // the application's settings file, full path
    std::string vmLibrary;                // the chosen VM library (jvmPath)
    std::vector<std::string> classPath;   // the class path's entries, in order
    std::vector<std::string> userOptions; // the user's VM parameters, normalised
};

// What the cache adds to a start.
struct ClassDataPlan {
    std::vector<std::string> options; // placed before the user's parameters
    std::string folder;               // the application's cache folder
    std::string key;                  // the runtime and class path's part of archive names
    std::string pendingArchive;       // the file the VM writes at its end; empty when none
};

// The archive's key: the VM library (path, size, time), the runtime's version, every class
// path entry (path, size, time) and the user's -XX and -Xmx options, hashed.
std::string archiveKey(const ClassDataInput& input, const FileStamp& vmLibrary,
                       const std::string& javaVersion,
                       const std::vector<FileStamp>& classPathStamps);

// The options of one start; none when the runtime (not a HotSpot server VM of 13 or later with
// its own archives classes.jsa and classes_nocoops.jsa), the class path (anything but files),
// the user's parameters or the cache folder rule the cache out.
ClassDataPlan planClassData(const ClassDataInput& input, ClassDataFiles& files);

// After the VM has ended: moves the archive it wrote into place under its published name and
// removes the application's other archives. Does nothing when there is no pending archive or
// the VM wrote none; clears pendingArchive, so a second call does nothing.
void publishArchive(ClassDataPlan& plan, ClassDataFiles& files);

// Publishes the archive of a start once its VM has ended: from the VM's exit hook when the
// program calls System.exit (the VM has written the archive by then), else after
// DestroyJavaVM has returned. Stands in front of the listener that was installed before it
// (single-instance mode's) and hands both hooks on to it.
class ClassDataPublisher final : public VmHookListener {
  public:
    ClassDataPublisher(ClassDataPlan plan, ClassDataFiles& files, VmHookListener* next)
        : plan_(std::move(plan)), files_(files), next_(next) {}
    void publish() { publishArchive(plan_, files_); }
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
