// The cache's names and texts: file names and their parts, the job file, the archive's key,
// the options the VM reads from its environment, Windows command lines.

#include "vmhost/class_data_cache.h"
#include "vmhost/class_data_text.h"
#include "vmhost/jar_digest.h"

#include <algorithm>

using namespace class_data_text;

std::string class_data_text::utcText(uint64_t seconds) {
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
