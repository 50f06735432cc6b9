#include "vmhost/class_data_cache.h"

#include "discovery/runtime_inventory.h"
#include "support/trace.h"
#include "vmhost/jar_digest.h"

#include <algorithm>

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

const char archiveSuffix[] = ".jsa";
const char pendingSuffix[] = ".tmp";
const char classListSuffix[] = ".classes";
const char jobSuffix[] = ".job";
const char jobMarkSuffix[] = ".making";
const char failureSuffix[] = ".failed";
constexpr size_t keyLength = 16;

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool allOf(const std::string& text, const char* characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string::npos;
}

const char digits[] = "0123456789";
const char hexDigits[] = "0123456789abcdef";

// Sixteen lowercase digits, written by hand: printf would link a formatter of its own.
std::string hex(uint64_t value) {
    std::string text(16, '0');
    for (size_t i = text.size(); i-- > 0; value >>= 4)
        text[i] = hexDigits[value & 0xf];
    return text;
}

// The number of a text of at most 19 digits; 0 for anything else.
uint64_t number(const std::string& text) {
    uint64_t value = 0;
    if (text.size() > 19 || !allOf(text, digits))
        return 0;
    for (char c : text)
        value = value * 10 + static_cast<uint64_t>(c - '0');
    return value;
}

// FNV-1a, 64 bits: a stable hash for names, not a safeguard against forgery.
class NameHash {
  public:
    void add(const std::string& text) {
        for (unsigned char c : text) {
            value_ ^= c;
            value_ *= 0x100000001b3u;
        }
        // A separator, so that ("ab", "c") and ("a", "bc") differ.
        value_ ^= 0xff;
        value_ *= 0x100000001b3u;
    }
    void add(uint64_t number) { add(std::to_string(number)); }
    std::string hex() const { return ::hex(value_); }

  private:
    uint64_t value_ = 0xcbf29ce484222325u;
};

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

// "2026-12-16 13:05 UTC" for seconds since 1970.
std::string utcText(uint64_t seconds) {
    // Days to a civil date (proleptic Gregorian calendar, eras of 400 years).
    int64_t days = static_cast<int64_t>(seconds / 86400) + 719468;
    int64_t era = days / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t shifted = (5 * dayOfYear + 2) / 153;
    int64_t day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    int64_t month = shifted < 10 ? shifted + 3 : shifted - 9;
    int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    auto two = [](int64_t value) {
        return std::string(value < 10 ? "0" : "") + std::to_string(value);
    };
    uint64_t minutes = seconds % 86400 / 60;
    return std::to_string(year) + "-" + two(month) + "-" + two(day) + " " +
           two(static_cast<int64_t>(minutes / 60)) + ":" + two(static_cast<int64_t>(minutes % 60)) +
           " UTC";
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

int featureRelease(const std::string& javaVersion) {
    int parts[2] = {0, 0};
    size_t i = 0;
    for (int& part : parts) {
        size_t start = i;
        // Absurd numbers stop growing; they still count as a late release.
        for (; i < javaVersion.size() && javaVersion[i] >= '0' && javaVersion[i] <= '9'; ++i)
            part = part < 100000 ? part * 10 + (javaVersion[i] - '0') : part;
        if (i == start)
            break;
        if (i < javaVersion.size() && javaVersion[i] == '.')
            ++i;
    }
    // "1.8.0_202": the old scheme names the release in its second number.
    return parts[0] == 1 ? parts[1] : parts[0];
}

bool archivesClasses(int feature) {
    return feature >= 13;
}

bool userDecidesSharing(const std::vector<std::string>& userOptions) {
    static const char* const flags[] = {
        "SharedArchiveFile", "ArchiveClassesAtExit", "AutoCreateSharedArchive", "AOTCache",
        "AOTCacheOutput", "AOTMode", "AOTConfiguration", "SharedClassListFile",
        "DumpLoadedClassList", "UseSharedSpaces", "RequireSharedSpaces", "DynamicDumpSharedSpaces",
        // Without compressed class pointers a VM before 19 cannot map its own archive.
        "UseCompressedClassPointers"};
    for (const std::string& option : userOptions) {
        if (startsWith(option, "-Xshare") || startsWith(option, "-Xbootclasspath"))
            return true;
        if (!startsWith(option, "-XX:"))
            continue;
        std::string flag = option.substr(4);
        if (!flag.empty() && (flag[0] == '+' || flag[0] == '-'))
            flag.erase(0, 1);
        flag = flag.substr(0, flag.find('='));
        for (const char* name : flags)
            if (flag == name)
                return true;
    }
    return false;
}

std::vector<std::string> quietSharingOptions(int feature) {
    std::vector<std::string> options{"-Xshare:auto", "-Xlog:cds*=off"};
    // Later runtimes report archive problems under a tag of their own, unknown before.
    if (feature >= 25)
        options.push_back("-Xlog:aot*=off");
    return options;
}

std::string applicationFolderName(const std::string& settingsPath, bool caseInsensitive) {
    std::string name;
    size_t start = settingsPath.find_last_of("/\\");
    for (size_t i = start == std::string::npos ? 0 : start + 1; i < settingsPath.size(); ++i) {
        char c = settingsPath[i];
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '.' || c == '-' || c == '_';
        if (plain && name.size() < 40)
            name += c;
    }
    std::string keyText = settingsPath;
    if (caseInsensitive)
        for (char& c : keyText)
            c = asciiLower(c);
    NameHash hash;
    hash.add(keyText);
    return (name.empty() ? "app" : name) + "-" + hash.hex();
}

const char* const buildIgnoredVariables[3] = {"JDK_JAVA_OPTIONS", "JAVA_TOOL_OPTIONS",
                                              "_JAVA_OPTIONS"};

std::vector<std::string> splitEnvironmentOptions(const std::string& text) {
    std::vector<std::string> options;
    std::string option;
    bool inOption = false;
    char quote = 0;
    for (char c : text) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
            else
                option += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inOption = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            if (inOption)
                options.push_back(option);
            option.clear();
            inOption = false;
        } else {
            option += c;
            inOption = true;
        }
    }
    if (inOption)
        options.push_back(option);
    return options;
}

std::string archiveDigest(const std::string& firstBytes, uint64_t size) {
    return hex(contentHash(firstBytes.substr(0, archiveHeaderBytes), size));
}

std::string archiveFileName(const std::string& key, uint64_t size, const std::string& digest) {
    return key + "-" + std::to_string(size) + "-" + digest + archiveSuffix;
}

bool parseArchiveFileName(const std::string& name, const std::string& key, uint64_t& size,
                          std::string& digest) {
    std::string prefix = key + "-";
    if (!startsWith(name, prefix) || !endsWith(name, archiveSuffix))
        return false;
    std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    size_t dash = rest.find('-');
    if (dash == std::string::npos)
        return false;
    std::string sizeText = rest.substr(0, dash);
    digest = rest.substr(dash + 1);
    size = number(sizeText);
    return size > 0 && digest.size() == 16 && allOf(digest, hexDigits);
}

bool parseCacheFileName(const std::string& name, CacheFileName& parsed) {
    parsed = CacheFileName();
    if (name.size() <= keyLength || !allOf(name.substr(0, keyLength), hexDigits))
        return false;
    parsed.key = name.substr(0, keyLength);
    std::string rest = name.substr(keyLength);
    if (rest == failureSuffix || rest == jobMarkSuffix) {
        parsed.suffix = rest;
        return true;
    }
    size_t dot = rest.rfind('.');
    if (dot == std::string::npos)
        return false;
    parsed.suffix = rest.substr(dot);
    std::string middle = rest.substr(1, dot - 1);
    size_t dash = middle.find('-');
    std::string first = middle.substr(0, dash);
    std::string second = dash == std::string::npos ? std::string() : middle.substr(dash + 1);
    if (rest[0] == '-' && parsed.suffix == archiveSuffix)
        // "-<size>.jsa" of earlier versions, or "-<size>-<digest>.jsa".
        return allOf(first, digits) &&
               (dash == std::string::npos || (second.size() == 16 && allOf(second, hexDigits)));
    bool temporary = parsed.suffix == classListSuffix || parsed.suffix == pendingSuffix ||
                     parsed.suffix == jobSuffix;
    parsed.processId = number(first);
    return rest[0] == '.' && temporary && parsed.processId > 0 && allOf(second, digits);
}

std::string archiveKey(const ClassDataInput& input, const FileStamp& vmLibrary,
                       const std::string& javaVersion,
                       const std::vector<FileStamp>& classPathStamps,
                       const std::vector<uint64_t>& jarDigests,
                       const std::vector<std::string>& layoutOptions) {
    NameHash hash;
    hash.add(input.vmLibrary);
    hash.add(vmLibrary.size);
    hash.add(vmLibrary.modified);
    hash.add(javaVersion);
    // The VM itself checks size and time of each jar; the digest catches a jar replaced by
    // one of the same size and time.
    for (size_t i = 0; i < input.classPath.size() && i < classPathStamps.size(); ++i) {
        hash.add(input.classPath[i]);
        hash.add(classPathStamps[i].size);
        hash.add(classPathStamps[i].modified);
        hash.add(i < jarDigests.size() ? jarDigests[i] : 0);
    }
    // Heap size and VM flags decide the archive's layout; the VM refuses a mismatch.
    for (const std::string& option : layoutOptions)
        hash.add(option);
    return hash.hex();
}

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

std::string windowsCommandLine(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty())
            line += ' ';
        if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) {
            line += argument;
            continue;
        }
        // Backslashes double only before a quote, which itself gets one.
        line += '"';
        size_t backslashes = 0;
        for (char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            line += c;
            backslashes = 0;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

std::string jobText(const ClassDataJob& job) {
    std::string text = job.folder + "\n" + job.key + "\n" + job.stem + "\n";
    for (const std::string& part : job.dumpCommand)
        text += part + "\n";
    return text;
}

bool parseJob(const std::string& text, const std::string& cacheRoot, char separator,
              ClassDataJob& job) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            return false;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 5 || cacheRoot.empty())
        return false;
    job.folder = lines[0];
    job.key = lines[1];
    job.stem = lines[2];
    job.dumpCommand.assign(lines.begin() + 3, lines.end());
    // Every file the job writes or removes is inside an application's folder of the cache.
    std::string folder = job.folder + separator;
    std::string name = job.folder.substr(std::min(job.folder.size(), cacheRoot.size() + 1));
    return startsWith(job.folder, cacheRoot + separator) && !name.empty() && name != "." &&
           name != ".." && name.find(separator) == std::string::npos && !job.key.empty() &&
           job.key.find(separator) == std::string::npos &&
           startsWith(job.stem, folder + job.key + ".") &&
           job.stem.find(separator, folder.size()) == std::string::npos;
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
