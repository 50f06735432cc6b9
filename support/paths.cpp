#include "support/paths.h"

namespace {

const std::string longPathPrefix = "\\\\?\\";
const std::string longUncPrefix = "\\\\?\\UNC\\";
// Longest path the Windows file functions take without the long-path prefix.
constexpr size_t longestPlainPath = 259;

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// UTF-16 units of UTF-8 text: one per sequence, two for a four-byte sequence.
size_t utf16Length(const std::string& text) {
    size_t units = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80)
            ++units;
        if (c >= 0xF0)
            ++units;
    }
    return units;
}

// Every piece between separators; empty inner pieces stay, a trailing empty one does not.
void appendPieces(const std::string& text, char separator, std::vector<std::string>& pieces) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(start));
            return;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

char pathSeparator(PathStyle style) {
    return style == PathStyle::windows ? '\\' : '/';
}

bool launcherFolder(std::string& folder) {
    std::string path;
    if (!modulePath(path))
        return false;
    folder = path.substr(0, path.rfind(pathSeparator()) + 1);
    return true;
}

bool isAbsolutePath(const std::string& path, PathStyle style) {
    if (style == PathStyle::posix)
        return !path.empty() && path[0] == '/';
    return path.size() >= 2 && ((path[0] == '\\' && path[1] == '\\') || path[1] == ':');
}

bool isUncPath(const std::string& path, PathStyle style) {
    return style == PathStyle::windows && path.size() > 2 && path[0] == '\\' && path[1] == '\\' &&
           path[2] != '?';
}

std::string longPathForm(const std::string& path, PathStyle style) {
    if (style == PathStyle::posix || utf16Length(path) <= longestPlainPath ||
        startsWith(path, longPathPrefix))
        return path;
    // A UNC path takes the UNC form of the prefix in place of its two backslashes.
    if (isUncPath(path, style))
        return longUncPrefix + path.substr(2);
    return longPathPrefix + path;
}

std::vector<std::string> splitPath(const std::string& path, PathStyle style) {
    if (path.empty())
        return {};
    const char separator = pathSeparator(style);
    std::string prefix;
    std::string rest = path;
    if (style == PathStyle::windows && startsWith(rest, longPathPrefix)) {
        prefix = longPathPrefix;
        rest.erase(0, prefix.size());
    }
    size_t end = rest.find(separator, isUncPath(rest, style) ? 2 : 0);
    std::vector<std::string> parts;
    if (end == std::string::npos) {
        parts.push_back(prefix + rest);
        return parts;
    }
    // An empty root (a path that begins with one separator) stays in the list: the walk of
    // createFolderTree then starts at the file system's root.
    parts.push_back(prefix + rest.substr(0, end));
    appendPieces(rest.substr(end + 1), separator, parts);
    return parts;
}

uint32_t createFolderTree(const std::string& filePath, FolderSystem& system, PathStyle style) {
    if (system.exists(filePath))
        return 0;
    const std::vector<std::string> parts = splitPath(filePath, style);
    const bool unc = isUncPath(filePath, style);
    const uint32_t alreadyExists = system.alreadyExistsCode();
    uint32_t code = 0;
    std::string current = parts.empty() ? std::string() : parts.front();
    bool currentCreated = false;
    // The first element is the root and the last the file name; only those between are folders.
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        std::string next = current + pathSeparator(style) + parts[i];
        uint32_t result = system.createFolder(next);
        if (result != 0) {
            code = result;
            if (code != alreadyExists && !unc) {
                // Only a folder this walk made is taken away again; one that was there before
                // belongs to someone else, even when it is empty.
                if (currentCreated)
                    system.removeFolder(current);
                break;
            }
        }
        currentCreated = result == 0;
        current = std::move(next);
    }
    return code == alreadyExists ? 0 : code;
}
