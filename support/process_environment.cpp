#include "support/process_environment.h"

const EnvironmentStyle windowsEnvironment = {PathStyle::windows, ';', "Path", "Path"};
const EnvironmentStyle posixEnvironment = {PathStyle::posix, ':', "PATH", "LD_LIBRARY_PATH"};

const EnvironmentStyle& hostEnvironmentStyle() {
    return hostPathStyle() == PathStyle::windows ? windowsEnvironment : posixEnvironment;
}

namespace {

std::string reference(const char* name) {
    return std::string("%") + name + "%";
}

// Windows: home\bin\<flavour>\jvm.dll gives home\bin. POSIX: home/lib/<flavour>/libjvm.so
// gives home/bin.
std::string runtimeProgramFolder(const std::string& jvmPath, PathStyle style) {
    if (style == PathStyle::windows)
        return stripComponents(jvmPath, 2, style);
    return runtimeHome(jvmPath, style) + pathSeparator(style) + "bin";
}

// The home folder with its trailing separator, followed by "lib", on both platforms.
std::string runtimeLibraryFolder(const std::string& jvmPath, PathStyle style) {
    if (style == PathStyle::posix)
        return runtimeHome(jvmPath, style) + pathSeparator(style) + "lib";
    std::string folder = stripComponents(jvmPath, 2, style);
    folder.erase(folder.rfind(pathSeparator(style)) + 1);
    return folder + "lib";
}

} // namespace

void splitArguments(const std::string& text, std::vector<std::string>& arguments) {
    size_t pos = 0;
    while (pos < text.size()) {
        if (text[pos] == '"') {
            size_t close = text.find('"', pos + 1);
            if (close == std::string::npos) {
                arguments.push_back(text.substr(pos + 1));
                return;
            }
            arguments.push_back(text.substr(pos + 1, close - pos - 1));
            pos = close + 1;
        } else {
            size_t blank = text.find(' ', pos);
            if (blank == std::string::npos) {
                arguments.push_back(text.substr(pos));
                return;
            }
            arguments.push_back(text.substr(pos, blank - pos));
            pos = blank;
        }
        pos = text.find_first_not_of(' ', pos);
    }
}

void splitCommandLine(const std::string& commandLine, std::vector<std::string>& arguments) {
    std::vector<std::string> all;
    splitArguments(commandLine, all);
    if (!all.empty())
        arguments.insert(arguments.end(), all.begin() + 1, all.end());
}

std::string expandReferences(const std::string& text, const VariableLookup& lookup) {
    std::string result;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t open = text.find('%', pos);
        size_t close = open == std::string::npos ? open : text.find('%', open + 1);
        if (close == std::string::npos) {
            result.append(text, pos, std::string::npos);
            break;
        }
        result.append(text, pos, open - pos);
        std::string name = text.substr(open + 1, close - open - 1);
        std::string value;
        if (!name.empty() && lookup(name, value))
            result += value;
        else
            result.append(text, open, close - open + 1);
        pos = close + 1;
    }
    return result;
}

std::string stripComponents(const std::string& path, int n, PathStyle style) {
    std::string result = path;
    for (int i = 0; i < n; ++i) {
        size_t last = result.rfind(pathSeparator(style));
        if (last == std::string::npos)
            break;
        result.erase(last);
    }
    return result;
}

std::string runtimeHome(const std::string& jvmPath, PathStyle style) {
    // A Java 8 home on POSIX keeps its VM libraries one level deeper, below lib/amd64/.
    const std::string deeper = "/lib/amd64";
    std::string folder = stripComponents(jvmPath, 2, style);
    bool isDeeper = style == PathStyle::posix && folder.size() >= deeper.size() &&
                    folder.compare(folder.size() - deeper.size(), deeper.size(), deeper) == 0;
    return stripComponents(jvmPath, isDeeper ? 4 : 3, style);
}

std::string completeLibraryPath(const std::string& libraryPath, const std::string& launcherFolder,
                                const std::string& jvmPath, bool libraryVariableDefined,
                                const EnvironmentStyle& style) {
    const char separator = style.listSeparator;
    std::string result = libraryPath + launcherFolder + separator + ".";
    if (libraryVariableDefined)
        result += separator + reference(style.libraryVariable);
    return result + separator + runtimeLibraryFolder(jvmPath, style.paths);
}

std::string completeSearchPath(const std::string& systemPath, const std::string& jvmPath,
                               bool searchVariableDefined, const EnvironmentStyle& style) {
    std::string result = systemPath;
    if (!result.empty() && result.back() != style.listSeparator)
        result += style.listSeparator;
    if (searchVariableDefined)
        result += reference(style.searchVariable) + style.listSeparator;
    return result + runtimeProgramFolder(jvmPath, style.paths);
}

void setWorkingFolder() {
    // The folder keeps its trailing separator: "C:" alone would name the drive's current
    // folder rather than its root.
    std::string folder;
    if (launcherFolder(folder) && !folder.empty())
        setCurrentFolder(folder);
}
