#pragma once

// Path operations shared by the subsystems. Paths are UTF-8 text with the platform's
// separator. The text rules exist for both styles so that either can be tested anywhere; the
// functions without a style argument use the running platform's.
//
// Windows: backslash separators; "C:\a" and "\\server\share" are absolute; "\\server" paths
// are UNC paths, "\\?\" is the long-path prefix.
// POSIX: slash separators; a path is absolute when it begins with "/"; there are no UNC paths
// and no long-path prefix.
//
// splitPath gives the root followed by the components. The root is the long-path prefix (if
// any) with the text before the first separator ("C:", "\\?\C:", a relative path's first
// folder), or for a UNC path the two backslashes and the server name. A path that begins with
// a single separator ("/opt/app", "\Logs") has an empty root, which is kept as the first
// element so that createFolderTree walks from the file system's root.

#include "support/unique_resource.h"

#include <cstdint>
#include <string>
#include <vector>

enum class PathStyle { windows, posix };

// The running platform's style.
PathStyle hostPathStyle();
char pathSeparator(PathStyle style = hostPathStyle());

// The running executable's full path (Windows: the module file name; POSIX: /proc/self/exe).
// On failure the system error code goes to reportFailure (the launcher shows string 202 with
// 208 and the code) and false is returned.
bool modulePath(std::string& path);
// The executable's folder with a trailing separator; false when modulePath failed.
bool launcherFolder(std::string& folder);

// Releases an open directory search (Windows search handle; POSIX keeps none).
struct DirectorySearchTraits {
    static void* invalid();
    static void release(void* search);
};

// One directory search at a time; the search handle is closed by the next find or the
// destructor.
class FileFinder {
  public:
    FileFinder() = default;
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;
    // True when something exists at path. Windows: a path longer than 259 characters is
    // searched in its long-path form. POSIX: a status query, no search stays open.
    bool find(const std::string& path);

  private:
    UniqueResource<DirectorySearchTraits> search_;
};

bool isAbsolutePath(const std::string& path, PathStyle style = hostPathStyle());
bool isUncPath(const std::string& path, PathStyle style = hostPathStyle());
// Windows: path with the "\\?\" prefix ("\\?\UNC\" for a UNC path) when it is longer than 259
// UTF-16 units and has no prefix yet. POSIX: path unchanged.
std::string longPathForm(const std::string& path, PathStyle style = hostPathStyle());
// Last-write time of an absolute path that exists (Windows: FILETIME units; POSIX:
// nanoseconds since the epoch); false otherwise.
bool lastWriteTime(const std::string& path, uint64_t& time);
// Root followed by the components (see above); empty pieces between doubled separators stay,
// a trailing empty piece does not.
std::vector<std::string> splitPath(const std::string& path, PathStyle style = hostPathStyle());

// The file-system calls of createFolderTree, replaceable by a fake in tests.
class FolderSystem {
  public:
    virtual ~FolderSystem() = default;
    // True when something exists at an absolute path (lastWriteTime succeeds).
    virtual bool exists(const std::string& path) = 0;
    // 0 or the system error code.
    virtual uint32_t createFolder(const std::string& path) = 0;
    // Succeeds only for an empty folder; the result does not matter.
    virtual void removeFolder(const std::string& path) = 0;
    // The code createFolder reports for a path that exists already.
    virtual uint32_t alreadyExistsCode() const = 0;
};

// Creates the missing folders on the way to filePath, the last element being the file name and
// the root never created. A failure other than "exists already" ends the walk and removes the
// folder this walk created just before (if empty); on a UNC path every failure is passed over.
// Returns 0, or the last failure code other than "exists already".
uint32_t createFolderTree(const std::string& filePath, FolderSystem& system, PathStyle style);
// The same on the real file system.
uint32_t createFolderTree(const std::string& filePath);
