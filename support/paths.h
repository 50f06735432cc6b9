#pragma once

// Path operations shared by the subsystems. Paths are UTF-8 text with the platform's
// separator (backslash on Windows, slash on POSIX).

#include <cstdint>
#include <string>
#include <vector>

// The platform's path separator.
char pathSeparator();

// The running executable's full path. On failure the user is shown the error (string 202
// with 208 and the system error code) and false is returned.
bool modulePath(std::string& path);
// The executable's folder with a trailing separator; false when modulePath failed.
bool launcherFolder(std::string& folder);

// One directory search at a time; the search handle is closed by the next find or the
// destructor.
class FileFinder {
public:
    FileFinder() = default;
    ~FileFinder();
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;
    // True when something exists at path (long paths get the "\\?\" prefix on Windows).
    bool find(const std::string& path);

private:
    void close();
    void* search_ = nullptr;
};

bool isAbsolutePath(const std::string& path);
bool isUncPath(const std::string& path);
// Last-write time of an absolute path that exists (platform units); false otherwise.
bool lastWriteTime(const std::string& path, uint64_t& time);
// Root (with any long-path prefix) followed by the components.
std::vector<std::string> splitPath(const std::string& path);
// Creates the missing folders on the way to filePath; 0 or the last system error code.
uint32_t createFolderTree(const std::string& filePath);
