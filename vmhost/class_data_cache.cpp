#include "vmhost/class_data_cache.h"

#include "discovery/runtime_inventory.h"
#include "support/trace.h"
#include "vmhost/class_data_text.h"
#include "vmhost/jar_digest.h"

#include <algorithm>

using namespace class_data_text;

namespace {

// An archive is made only with room to spare: a VM that runs out of space while writing it
// ends the program with an error of its own.
constexpr uint64_t minimumFreeSpace = uint64_t{512} << 20;
// A job's marker names the job's process; one older than this belongs to a job that was killed
// even when its process id has been given to another process since: building an archive takes
// seconds.
constexpr uint64_t staleJobSeconds = 15 * 60;
// Builds that failed this often in a row are not tried again before the count is this old.
constexpr unsigned maximumFailures = 3;
constexpr uint64_t failureMemorySeconds = 7 * 24 * 60 * 60;

void traceClassData(const std::string& text) {
    if (isTracing())
        traceLine("class-data cache: " + text);
}

std::string folderOf(const std::string& path, char separator) {
    size_t last = path.rfind(separator);
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string nameOf(const std::string& path, char separator) {
    return path.substr(path.rfind(separator) + 1);
}

// The VM library's flavour folder ("server" in home/lib/server/libjvm.so) and the home.
std::string flavourOf(const std::string& vmLibrary, char separator) {
    return nameOf(folderOf(vmLibrary, separator), separator);
}

std::string homeOf(const std::string& vmLibrary, char separator) {
    return folderOf(folderOf(folderOf(vmLibrary, separator), separator), separator);
}

// Only the HotSpot server VM knows the archive options; any other VM would refuse to start on
// an option it does not recognise.
bool isHotSpotServer(const ReleaseInfo& release, const std::string& flavour) {
    return (release.jvmVariant.empty() || equalsIgnoringCase(release.jvmVariant, "hotspot")) &&
           flavour == "server";
}

// The runtime's own archives beside its VM library, with compressed pointers and without:
// before 19, asking to write an archive when the VM cannot map its own ends the start.
bool hasDefaultArchives(const std::string& vmLibrary, ClassDataFiles& files) {
    char separator = files.separator();
    std::string folder = folderOf(vmLibrary, separator) + separator;
    FileStamp stamp;
    for (const char* name : {"classes.jsa", "classes_nocoops.jsa"})
        if (!files.stamp(folder + name, stamp) || !stamp.regularFile)
            return false;
    return true;
}

ReadFileRange reader(const std::string& path, ClassDataFiles& files) {
    return [&files, path](uint64_t offset, size_t length, std::string& bytes) {
        return files.readRange(path, offset, length, bytes);
    };
}

// The stamps and content digests of every class-path entry; false when one is not a zip file
// (a folder of classes makes the VM fail when it writes the archive).
bool stampClassPath(const std::vector<std::string>& classPath, ClassDataFiles& files,
                    std::vector<FileStamp>& stamps, std::vector<uint64_t>& digests) {
    if (classPath.empty())
        return false;
    for (const std::string& entry : classPath) {
        FileStamp stamp;
        uint64_t digest = 0;
        if (!files.stamp(entry, stamp) || !stamp.regularFile ||
            !jarDigest(stamp.size, reader(entry, files), digest))
            return false;
        stamps.push_back(stamp);
        digests.push_back(digest);
    }
    return true;
}

// A file the cache wrote itself: a regular file, not a link to one elsewhere.
bool ownFile(const std::string& path, ClassDataFiles& files, FileStamp& stamp) {
    return files.stamp(path, stamp) && stamp.regularFile && !stamp.link;
}

// The archive's digest as the file has it now; empty when it cannot be read.
std::string digestOf(const std::string& path, uint64_t size, ClassDataFiles& files) {
    std::string header;
    size_t length = static_cast<size_t>(std::min<uint64_t>(size, archiveHeaderBytes));
    return files.readRange(path, 0, length, header) ? archiveDigest(header, size) : std::string();
}

// The published archive of key in folder whose size and digest are the ones its name records;
// archives of the key that do not match are damaged or not the cache's and are removed.
std::string completeArchive(const std::string& folder, const std::string& key,
                            ClassDataFiles& files) {
    std::string found;
    for (const std::string& name : files.list(folder)) {
        uint64_t size = 0;
        std::string digest;
        if (!parseArchiveFileName(name, key, size, digest))
            continue;
        std::string path = folder + files.separator() + name;
        FileStamp stamp;
        if (found.empty() && ownFile(path, files, stamp) && stamp.size == size &&
            digestOf(path, size, files) == digest) {
            found = path;
            continue;
        }
        traceClassData("removed " + path + ": not the archive its name describes");
        files.remove(path);
    }
    return found;
}

std::string keyFile(const std::string& folder, const std::string& key, char separator,
                    const char* suffix) {
    return folder + separator + key + suffix;
}

// The process id at the start of a marker's text ("<process>" or "<process>-<time>").
uint64_t markerProcess(const std::string& text) {
    return number(text.substr(0, text.find('-')));
}

// True while a job for key is under way: its marker is young and names a process that runs.
// A marker left by a killed job is removed.
bool jobUnderWay(const std::string& marker, ClassDataFiles& files) {
    FileStamp stamp;
    if (!files.stamp(marker, stamp))
        return false;
    // A marker being written has no text yet: its job is under way.
    uint64_t process = markerProcess(files.readText(marker));
    if (stamp.ageSeconds <= staleJobSeconds && (process == 0 || files.processAlive(process)))
        return true;
    files.remove(marker);
    return false;
}

unsigned failureCount(const std::string& path, ClassDataFiles& files, FileStamp& stamp) {
    if (!files.stamp(path, stamp) || stamp.ageSeconds > failureMemorySeconds)
        return 0;
    std::string text = files.readText(path);
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9'
               ? static_cast<unsigned>(text[0] - '0')
               : 0;
}

void countFailure(const std::string& path, ClassDataFiles& files) {
    FileStamp stamp;
    unsigned count = failureCount(path, files, stamp) + 1;
    files.remove(path);
    files.writeNew(path, std::to_string(count < 9 ? count : 9));
}

// Why the application's folder cannot take a recording start; empty when it can.
std::string folderProblem(const std::string& folder, ClassDataFiles& files) {
    FileStamp stamp;
    if (!files.stamp(folder, stamp) && !files.makeFolders(folder))
        return "the cache folder " + folder + " cannot be made";
    if (!files.stamp(folder, stamp))
        return "the cache folder " + folder + " has gone";
    if (stamp.link)
        return "the cache folder " + folder + " is a link";
    if (!stamp.folder)
        return "the cache folder " + folder + " is a file";
    uint64_t free = files.freeSpace(folder);
    if (free < minimumFreeSpace)
        return "under 512 MB free for " + folder + " (" + std::to_string(free >> 20) + " MB)";
    return {};
}

// The runtime's own java command: javaw.exe on Windows, which has no console.
std::string javaCommand(const std::string& home, char separator) {
    return home + separator + "bin" + separator + (separator == '\\' ? "javaw.exe" : "java");
}

bool isLayoutOption(const std::string& option) {
    return startsWith(option, "-XX:") || startsWith(option, "-Xmx");
}

// The options the program's VM reads: JAVA_TOOL_OPTIONS first, then the launcher's, then
// _JAVA_OPTIONS.
std::vector<std::string> optionsTheVmReads(const ClassDataInput& input, ClassDataFiles& files) {
    std::vector<std::string> options = splitEnvironmentOptions(files.variable("JAVA_TOOL_OPTIONS"));
    options.insert(options.end(), input.userOptions.begin(), input.userOptions.end());
    for (std::string& option : splitEnvironmentOptions(files.variable("_JAVA_OPTIONS")))
        options.push_back(std::move(option));
    return options;
}

std::vector<std::string> layoutOptions(const std::vector<std::string>& options) {
    std::vector<std::string> layout;
    for (const std::string& option : options)
        if (isLayoutOption(option))
            layout.push_back(option);
    return layout;
}

// Builds the archive from the class list, with the class path and layout options the start
// had: the VM maps an archive only when they match. The job runs it without the variables
// that would add options of their own.
std::vector<std::string> dumpCommand(const ClassDataInput& input,
                                     const std::vector<std::string>& layout,
                                     const std::string& java, const std::string& stem,
                                     char separator) {
    std::string classPath;
    for (const std::string& entry : input.classPath)
        classPath +=
            (classPath.empty() ? "" : std::string(1, separator == '\\' ? ';' : ':')) + entry;
    std::vector<std::string> command{
        java, "-Xshare:dump", "-XX:SharedClassListFile=" + stem + classListSuffix,
        "-XX:SharedArchiveFile=" + stem + pendingSuffix, "-Djava.class.path=" + classPath};
    command.insert(command.end(), layout.begin(), layout.end());
    return command;
}

// The dump command turned into a start that must map the archive it wrote: a VM that cannot
// use it fails instead of running without sharing.
std::vector<std::string> trialCommand(const std::vector<std::string>& dump) {
    std::vector<std::string> command;
    for (const std::string& part : dump)
        if (part == "-Xshare:dump")
            command.push_back("-Xshare:on");
        else if (!startsWith(part, "-XX:SharedClassListFile="))
            command.push_back(part);
    command.push_back("-version");
    return command;
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

// Removes what killed starts and jobs left in the application's folder, whatever its age: the
// class lists of starts that no longer run, and the temporary archives and job files of keys
// that no job builds now (the job of ownKey is this one).
void removeStaleFiles(const ClassDataJob& job, ClassDataFiles& files) {
    char separator = files.separator();
    for (const std::string& name : files.list(job.folder)) {
        CacheFileName parsed;
        std::string path = job.folder + separator + name;
        if (!parseCacheFileName(name, parsed) || parsed.processId == 0 ||
            startsWith(path, job.stem + "."))
            continue;
        if (parsed.key != job.key &&
            jobUnderWay(keyFile(job.folder, parsed.key, separator, jobMarkSuffix), files))
            continue;
        if (parsed.suffix != classListSuffix || !files.processAlive(parsed.processId))
            files.remove(path);
    }
}

// After an archive has been published: the archives of older jars and other runtimes, and
// their failure counts.
void removeOtherArchives(const std::string& folder, const std::string& keep,
                         ClassDataFiles& files) {
    for (const std::string& name : files.list(folder)) {
        CacheFileName parsed;
        if (name != keep && parseCacheFileName(name, parsed) &&
            (parsed.suffix == archiveSuffix || parsed.suffix == failureSuffix))
            files.remove(folder + files.separator() + name);
    }
}

// Builds, tries and publishes the archive; false when any step fails.
bool buildArchive(const ClassDataJob& job, ClassDataFiles& files) {
    char separator = files.separator();
    std::string archive = job.stem + pendingSuffix;
    FileStamp stamp;
    if (files.run(job.dumpCommand) != 0 || !ownFile(archive, files, stamp) || stamp.size == 0 ||
        files.run(trialCommand(job.dumpCommand)) != 0)
        return false;
    std::string digest = digestOf(archive, stamp.size, files);
    std::string name = archiveFileName(job.key, stamp.size, digest);
    if (digest.empty() || !files.move(archive, job.folder + separator + name))
        return false;
    removeOtherArchives(job.folder, name, files);
    return true;
}

} // namespace

ClassDataPlan planClassData(const ClassDataInput& input, ClassDataFiles& files) {
    ClassDataPlan plan;
    auto off = [&plan](const std::string& reason) {
        traceClassData("off: " + reason);
        plan.offReason = reason;
        return std::move(plan);
    };
    char separator = files.separator();
    std::string home = homeOf(input.vmLibrary, separator);
    ReleaseInfo release = parseReleaseFile(files.readText(home + separator + "release"));
    int feature = featureRelease(release.javaVersion);
    std::vector<std::string> vmOptions = optionsTheVmReads(input, files);
    if (userDecidesSharing(vmOptions)) {
        return off("the VM parameters decide about sharing");
    }
    if (!archivesClasses(feature) ||
        !isHotSpotServer(release, flavourOf(input.vmLibrary, separator))) {
        return off("the runtime makes no archives of application classes");
    }

    FileStamp vmLibrary;
    FileStamp java;
    std::vector<FileStamp> classPath;
    std::vector<uint64_t> jarDigests;
    std::string root = files.cacheRoot();
    if (root.empty() || !files.stamp(input.vmLibrary, vmLibrary) ||
        !hasDefaultArchives(input.vmLibrary, files) ||
        !files.stamp(javaCommand(home, separator), java) || !java.regularFile) {
        return off("no cache folder, or no java command or default archive in the "
                   "runtime");
    }
    if (!stampClassPath(input.classPath, files, classPath, jarDigests)) {
        return off("a class-path entry is not a jar file");
    }

    std::string folder =
        root + separator + applicationFolderName(input.settingsPath, separator == '\\');
    std::vector<std::string> layout = layoutOptions(vmOptions);
    std::string key =
        archiveKey(input, vmLibrary, release.javaVersion, classPath, jarDigests, layout);
    std::string archive = completeArchive(folder, key, files);
    if (!archive.empty()) {
        traceClassData("archive " + archive);
        plan.options = quietSharingOptions(feature);
        plan.options.push_back("-XX:SharedArchiveFile=" + archive);
        return plan;
    }
    std::string stem = folder + separator + key + "." + files.uniqueName();
    std::string problem = folderProblem(folder, files);
    FileStamp failed;
    if (problem.empty() && jobUnderWay(keyFile(folder, key, separator, jobMarkSuffix), files))
        problem = "a build of " + key + " is under way";
    if (problem.empty() && failureCount(keyFile(folder, key, separator, failureSuffix), files,
                                        failed) >= maximumFailures)
        problem = "three failed builds of " + key + ", no new one until " +
                  utcText(files.currentTime() - failed.ageSeconds + failureMemorySeconds);
    plan.dumpCommand = dumpCommand(input, layout, javaCommand(home, separator), stem, separator);
    for (const std::string& part : plan.dumpCommand)
        if (problem.empty() && hasLineBreak(part))
            problem = "a line break in the class path or an option";
    if (problem.empty() && !(plan.classList = files.createClassList(stem + classListSuffix)))
        problem = "the class list " + stem + classListSuffix + " cannot be created";
    if (!problem.empty()) {
        plan.dumpCommand.clear();
        return off(problem);
    }
    traceClassData("no archive for " + key + " yet: the class list goes to " + stem +
                   classListSuffix);
    plan.folder = folder;
    plan.key = key;
    plan.stem = stem;
    // Nothing to silence: the VM maps only its own archive. The logging options alone would
    // cost a few per cent of a short start.
    plan.options = {"-XX:DumpLoadedClassList=" + plan.classList->vmName()};
    return plan;
}

void startArchiveJob(ClassDataPlan& plan, ClassDataFiles& files) {
    std::string stem = std::move(plan.stem);
    plan.stem.clear();
    plan.classList.reset();
    if (stem.empty())
        return;
    char separator = files.separator();
    std::string classList = stem + classListSuffix;
    std::string marker = keyFile(plan.folder, plan.key, separator, jobMarkSuffix);
    std::string job = stem + jobSuffix;
    FileStamp stamp;
    if (!files.stamp(classList, stamp) || stamp.size == 0 || jobUnderWay(marker, files) ||
        !files.writeNew(marker, files.uniqueName())) {
        // No list, or another start's job makes the same archive.
        files.remove(classList);
        return;
    }
    uint64_t process = 0;
    if (!completeArchive(plan.folder, plan.key, files).empty() ||
        !files.writeNew(job, jobText({plan.folder, plan.key, stem, plan.dumpCommand})) ||
        !files.startJob(job, process)) {
        for (const std::string& path : {classList, job, marker})
            files.remove(path);
        traceClassData("the archive job did not start");
        return;
    }
    // From now on the marker is the job's: it lives as long as the job's process.
    files.rewrite(marker, std::to_string(process));
    traceClassData("archive job " + job + " started");
}

void runArchiveJob(const std::string& jobFile, ClassDataFiles& files) {
    char separator = files.separator();
    std::string text = files.readText(jobFile);
    ClassDataJob job;
    if (!endsWith(jobFile, jobSuffix) || !parseJob(text, files.cacheRoot(), separator, job) ||
        jobFile != job.stem + jobSuffix)
        return;
    files.remove(jobFile);
    removeStaleFiles(job, files);
    std::string failures = keyFile(job.folder, job.key, separator, failureSuffix);
    if (buildArchive(job, files))
        files.remove(failures);
    else
        countFailure(failures, files);
    // Whatever the build left behind goes: the VM may leave a partly written archive.
    for (const char* suffix : {pendingSuffix, classListSuffix})
        files.remove(job.stem + suffix);
    files.remove(keyFile(job.folder, job.key, separator, jobMarkSuffix));
}
