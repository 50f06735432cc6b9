#include "vmhost/class_data_cache.h"

#include "discovery/runtime_inventory.h"

namespace {

// An archive is made only with room to spare: a VM that runs out of space while writing it
// ends the program with an error of its own.
constexpr uint64_t minimumFreeSpace = uint64_t{512} << 20;
// Files of starts that ended before moving their archive into place.
constexpr uint64_t abandonedAgeSeconds = 24 * 60 * 60;

const char archiveSuffix[] = ".jsa";
const char pendingSuffix[] = ".tmp";

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

std::vector<std::string> createOptions(ArchiveMethod method, const std::string& pending) {
    if (method == ArchiveMethod::autoCreate)
        return {"-XX:+AutoCreateSharedArchive", "-XX:SharedArchiveFile=" + pending};
    return {"-XX:ArchiveClassesAtExit=" + pending};
}

// Everything but the archive just published: archives of older jars and other runtimes, and
// files that starts left behind long ago. Files of starts still writing are left alone.
void removeOtherArchives(const std::string& folder, const std::string& keep,
                         ClassDataFiles& files) {
    for (const std::string& name : files.list(folder)) {
        if (name == keep)
            continue;
        std::string path = folder + files.separator() + name;
        FileStamp stamp;
        if (endsWith(name, archiveSuffix) ||
            (endsWith(name, pendingSuffix) && files.stamp(path, stamp) &&
             stamp.ageSeconds > abandonedAgeSeconds))
            files.remove(path);
    }
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

ArchiveMethod archiveMethod(int feature) {
    if (feature >= 19)
        return ArchiveMethod::autoCreate;
    if (feature >= 13)
        return ArchiveMethod::archiveAtExit;
    return ArchiveMethod::none;
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
    ReleaseInfo release = parseReleaseFile(
        files.readText(homeOf(input.vmLibrary, separator) + separator + "release"));
    int feature = featureRelease(release.javaVersion);
    ArchiveMethod method = archiveMethod(feature);
    if (method == ArchiveMethod::none ||
        !isHotSpotServer(release, flavourOf(input.vmLibrary, separator)) ||
        userDecidesSharing(input.userOptions))
        return plan;

    FileStamp vmLibrary;
    std::vector<FileStamp> classPath;
    std::string root = files.cacheRoot();
    if (root.empty() || !files.stamp(input.vmLibrary, vmLibrary) ||
        !hasDefaultArchives(input.vmLibrary, files) ||
        !stampClassPath(input.classPath, files, classPath))
        return plan;

    plan.folder = root + separator + applicationFolderName(input.settingsPath, separator == '\\');
    plan.key = archiveKey(input, vmLibrary, release.javaVersion, classPath);
    plan.options = quietSharingOptions(feature);
    std::string archive = completeArchive(plan.folder, plan.key, files);
    if (!archive.empty()) {
        // (trace: the archive used)
        plan.options.push_back("-XX:SharedArchiveFile=" + archive);
        return plan;
    }
    std::string pending =
        plan.folder + separator + plan.key + "." + files.uniqueName() + pendingSuffix;
    if (!files.makeFolders(plan.folder) || files.freeSpace(plan.folder) < minimumFreeSpace ||
        !files.canCreate(pending)) {
        // (trace: no archive, the cache folder cannot take one)
        plan.options.clear();
        return plan;
    }
    // (trace: the archive to be made)
    plan.pendingArchive = pending;
    for (std::string& option : createOptions(method, pending))
        plan.options.push_back(std::move(option));
    return plan;
}

void publishArchive(ClassDataPlan& plan, ClassDataFiles& files) {
    std::string pending = std::move(plan.pendingArchive);
    plan.pendingArchive.clear();
    FileStamp stamp;
    if (pending.empty() || !files.stamp(pending, stamp))
        return;
    if (!stamp.regularFile || stamp.size == 0) {
        files.remove(pending);
        return;
    }
    std::string name = archiveFileName(plan.key, stamp.size);
    if (!files.move(pending, plan.folder + files.separator() + name)) {
        // Another start published the same archive first.
        files.remove(pending);
        return;
    }
    removeOtherArchives(plan.folder, name, files);
}
