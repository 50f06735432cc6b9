#include "vmhost/class_data_cache.h"

#include "discovery/runtime_inventory.h"
#include "support/trace.h"

#include <algorithm>

namespace {

void traceClassData(const std::string& text) {
    if (isTracing())
        traceLine("class-data cache: " + text);
}

// An archive is made only with room to spare: a VM that runs out of space while writing it
// ends the program with an error of its own.
constexpr uint64_t minimumFreeSpace = uint64_t{512} << 20;
// Files of starts and jobs that ended before cleaning up after themselves.
constexpr uint64_t abandonedAgeSeconds = 24 * 60 * 60;
// A job's marker older than this belongs to a job that was killed: building an archive takes
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
    // Sixteen lowercase digits, written by hand: printf would link a formatter of its own.
    std::string hex() const {
        std::string text(16, '0');
        uint64_t rest = value_;
        for (size_t i = text.size(); i-- > 0; rest >>= 4)
            text[i] = "0123456789abcdef"[rest & 0xf];
        return text;
    }

  private:
    uint64_t value_ = 0xcbf29ce484222325u;
};

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

// The stamps of every class-path entry; false when one is not a plain file (a folder of
// classes makes the VM fail when it writes the archive).
bool stampClassPath(const std::vector<std::string>& classPath, ClassDataFiles& files,
                    std::vector<FileStamp>& stamps) {
    if (classPath.empty())
        return false;
    for (const std::string& entry : classPath) {
        FileStamp stamp;
        if (!files.stamp(entry, stamp) || !stamp.regularFile)
            return false;
        stamps.push_back(stamp);
    }
    return true;
}

// The published archive of key in folder whose size is the one its name records; archives of
// the key with a wrong size are damaged and removed.
std::string completeArchive(const std::string& folder, const std::string& key,
                            ClassDataFiles& files) {
    std::string found;
    for (const std::string& name : files.list(folder)) {
        uint64_t size = 0;
        if (!parseArchiveFileName(name, key, size))
            continue;
        std::string path = folder + files.separator() + name;
        FileStamp stamp;
        if (files.stamp(path, stamp) && stamp.regularFile && stamp.size == size)
            found = path;
        else
            files.remove(path);
    }
    return found;
}

// Everything but the archive just published and the files of jobs under way: archives of older
// jars and other runtimes, their failure counts, and files that starts left behind long ago.
void removeOtherArchives(const std::string& folder, const std::string& keep,
                         ClassDataFiles& files) {
    for (const std::string& name : files.list(folder)) {
        if (name == keep)
            continue;
        std::string path = folder + files.separator() + name;
        FileStamp stamp;
        bool abandoned = files.stamp(path, stamp) && stamp.ageSeconds > abandonedAgeSeconds;
        if (endsWith(name, archiveSuffix) || endsWith(name, failureSuffix) || abandoned)
            files.remove(path);
    }
}

std::string keyFile(const std::string& folder, const std::string& key, char separator,
                    const char* suffix) {
    return folder + separator + key + suffix;
}

// True while a job for key is under way; a marker left by a killed job is removed.
bool jobUnderWay(const std::string& marker, ClassDataFiles& files) {
    FileStamp stamp;
    if (!files.stamp(marker, stamp))
        return false;
    if (stamp.ageSeconds <= staleJobSeconds)
        return true;
    files.remove(marker);
    return false;
}

unsigned failureCount(const std::string& path, ClassDataFiles& files) {
    FileStamp stamp;
    if (!files.stamp(path, stamp) || stamp.ageSeconds > failureMemorySeconds)
        return 0;
    std::string text = files.readText(path);
    return text.size() == 1 && text[0] >= '0' && text[0] <= '9'
               ? static_cast<unsigned>(text[0] - '0')
               : 0;
}

void countFailure(const std::string& path, ClassDataFiles& files) {
    unsigned count = failureCount(path, files) + 1;
    files.remove(path);
    files.writeNew(path, std::to_string(count < 9 ? count : 9));
}

// The runtime's own java command: javaw.exe on Windows, which has no console.
std::string javaCommand(const std::string& home, char separator) {
    return home + separator + "bin" + separator + (separator == '\\' ? "javaw.exe" : "java");
}

// Builds the archive from the class list, with the class path and layout options the start
// had: the VM maps an archive only when they match.
std::vector<std::string> dumpCommand(const ClassDataInput& input, const std::string& java,
                                     const std::string& stem, char separator) {
    std::string classPath;
    for (const std::string& entry : input.classPath)
        classPath +=
            (classPath.empty() ? "" : std::string(1, separator == '\\' ? ';' : ':')) + entry;
    std::vector<std::string> command{
        java, "-Xshare:dump", "-XX:SharedClassListFile=" + stem + classListSuffix,
        "-XX:SharedArchiveFile=" + stem + pendingSuffix, "-Djava.class.path=" + classPath};
    for (const std::string& option : input.userOptions)
        if (startsWith(option, "-XX:") || startsWith(option, "-Xmx"))
            command.push_back(option);
    return command;
}

bool hasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
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

std::string archiveFileName(const std::string& key, uint64_t size) {
    return key + "-" + std::to_string(size) + archiveSuffix;
}

bool parseArchiveFileName(const std::string& name, const std::string& key, uint64_t& size) {
    std::string prefix = key + "-";
    if (!startsWith(name, prefix) || !endsWith(name, archiveSuffix))
        return false;
    std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.empty() || digits.size() > 19 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    size = std::stoull(digits);
    return true;
}

std::string archiveKey(const ClassDataInput& input, const FileStamp& vmLibrary,
                       const std::string& javaVersion,
                       const std::vector<FileStamp>& classPathStamps) {
    NameHash hash;
    hash.add(input.vmLibrary);
    hash.add(vmLibrary.size);
    hash.add(vmLibrary.modified);
    hash.add(javaVersion);
    for (size_t i = 0; i < input.classPath.size() && i < classPathStamps.size(); ++i) {
        hash.add(input.classPath[i]);
        hash.add(classPathStamps[i].size);
        hash.add(classPathStamps[i].modified);
    }
    // Heap size and VM flags decide the archive's layout; the VM refuses a mismatch.
    for (const std::string& option : input.userOptions)
        if (startsWith(option, "-XX:") || startsWith(option, "-Xmx"))
            hash.add(option);
    return hash.hex();
}

ClassDataPlan planClassData(const ClassDataInput& input, ClassDataFiles& files) {
    ClassDataPlan plan;
    char separator = files.separator();
    std::string home = homeOf(input.vmLibrary, separator);
    ReleaseInfo release = parseReleaseFile(files.readText(home + separator + "release"));
    int feature = featureRelease(release.javaVersion);
    if (userDecidesSharing(input.userOptions)) {
        traceClassData("none: the VM parameters decide about sharing");
        return plan;
    }
    if (!archivesClasses(feature) ||
        !isHotSpotServer(release, flavourOf(input.vmLibrary, separator))) {
        traceClassData("none: the runtime makes no archives of application classes");
        return plan;
    }

    FileStamp vmLibrary;
    FileStamp java;
    std::vector<FileStamp> classPath;
    std::string root = files.cacheRoot();
    if (root.empty() || !files.stamp(input.vmLibrary, vmLibrary) ||
        !hasDefaultArchives(input.vmLibrary, files) ||
        !files.stamp(javaCommand(home, separator), java) || !java.regularFile ||
        !stampClassPath(input.classPath, files, classPath)) {
        traceClassData("none: no cache folder, no java command or default archive in the "
                       "runtime, or a class-path entry that is not a file");
        return plan;
    }

    std::string folder =
        root + separator + applicationFolderName(input.settingsPath, separator == '\\');
    std::string key = archiveKey(input, vmLibrary, release.javaVersion, classPath);
    std::string archive = completeArchive(folder, key, files);
    if (!archive.empty()) {
        traceClassData("archive " + archive);
        plan.options = quietSharingOptions(feature);
        plan.options.push_back("-XX:SharedArchiveFile=" + archive);
        return plan;
    }
    std::string stem = folder + separator + key + "." + files.uniqueName();
    if (jobUnderWay(keyFile(folder, key, separator, jobMarkSuffix), files) ||
        failureCount(keyFile(folder, key, separator, failureSuffix), files) >= maximumFailures ||
        !files.makeFolders(folder) || files.freeSpace(folder) < minimumFreeSpace ||
        !files.canCreate(stem + classListSuffix)) {
        traceClassData("no archive for " + key +
                       ": one is being made, the runtime failed to make "
                       "one, or the cache folder cannot take one");
        return plan;
    }
    plan.dumpCommand = dumpCommand(input, javaCommand(home, separator), stem, separator);
    for (const std::string& part : plan.dumpCommand)
        if (hasLineBreak(part))
            return plan;
    traceClassData("no archive for " + key + " yet: the class list goes to " + stem +
                   classListSuffix);
    plan.folder = folder;
    plan.key = key;
    plan.stem = stem;
    // Nothing to silence: the VM maps only its own archive. The logging options alone would
    // cost a few per cent of a short start.
    plan.options = {"-XX:DumpLoadedClassList=" + stem + classListSuffix};
    return plan;
}

void startArchiveJob(ClassDataPlan& plan, ClassDataFiles& files) {
    std::string stem = std::move(plan.stem);
    plan.stem.clear();
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
    if (!completeArchive(plan.folder, plan.key, files).empty() ||
        !files.writeNew(job, jobText({plan.folder, plan.key, stem, plan.dumpCommand})) ||
        !files.startJob(job)) {
        for (const std::string& path : {classList, job, marker})
            files.remove(path);
        traceClassData("the archive job did not start");
        return;
    }
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
    std::string archive = job.stem + pendingSuffix;
    std::string failures = keyFile(job.folder, job.key, separator, failureSuffix);
    FileStamp stamp;
    if (files.run(job.dumpCommand) == 0 && files.stamp(archive, stamp) && stamp.regularFile &&
        stamp.size > 0) {
        std::string name = archiveFileName(job.key, stamp.size);
        if (files.move(archive, job.folder + separator + name))
            removeOtherArchives(job.folder, name, files);
        files.remove(failures);
    } else {
        countFailure(failures, files);
    }
    // Whatever the build left behind goes: the VM may leave a partly written archive.
    for (const char* suffix : {pendingSuffix, classListSuffix})
        files.remove(job.stem + suffix);
    files.remove(keyFile(job.folder, job.key, separator, jobMarkSuffix));
}
