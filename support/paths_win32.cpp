#include "support/paths.h"

#include "support/failure_report.h"
#include "support/wide_text.h"

#include <windows.h>

namespace {

using SearchHandle = UniqueResource<DirectorySearchTraits>;

// Starts a search for path; the handle is invalid when nothing was found.
SearchHandle findFirst(const std::wstring& path, WIN32_FIND_DATAW& data) {
    HANDLE search = FindFirstFileW(path.c_str(), &data);
    return SearchHandle(search == INVALID_HANDLE_VALUE ? DirectorySearchTraits::invalid() : search);
}

class Win32FolderSystem : public FolderSystem {
  public:
    bool exists(const std::string& path) override {
        uint64_t time = 0;
        return lastWriteTime(path, time);
    }
    uint32_t createFolder(const std::string& path) override {
        return CreateDirectoryW(toWide(path).c_str(), nullptr) ? 0 : GetLastError();
    }
    void removeFolder(const std::string& path) override { RemoveDirectoryW(toWide(path).c_str()); }
    uint32_t alreadyExistsCode() const override { return ERROR_ALREADY_EXISTS; }
};

} // namespace

PathStyle hostPathStyle() {
    return PathStyle::windows;
}

bool modulePath(std::string& path) {
    // The first buffer holds any ordinary path; a longer one is cut by the system, which then
    // fills the buffer completely, so the buffer grows until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            reportFailure(SystemFailure::modulePath, GetLastError());
            return false;
        }
        if (length < buffer.size()) {
            path = toUtf8(buffer.data(), length);
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void* DirectorySearchTraits::invalid() {
    return INVALID_HANDLE_VALUE;
}

void DirectorySearchTraits::release(void* search) {
    FindClose(search);
}

bool FileFinder::find(const std::string& path) {
    search_.reset();
    std::wstring target = toWide(longPathForm(path));
    WIN32_FIND_DATAW data;
    search_ = findFirst(target, data);
    if (!search_)
        return false;
    DWORD size = GetFullPathNameW(target.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    if (size == 0 || GetFullPathNameW(target.c_str(), size, full.data(), nullptr) == 0) {
        search_.reset();
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    return true;
}

bool lastWriteTime(const std::string& path, uint64_t& time) {
    if (path.empty() || !isAbsolutePath(path))
        return false;
    WIN32_FIND_DATAW data;
    SearchHandle search = findFirst(toWide(path), data);
    if (!search)
        return false;
    time = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
           data.ftLastWriteTime.dwLowDateTime;
    return true;
}

uint32_t createFolderTree(const std::string& filePath) {
    Win32FolderSystem system;
    return createFolderTree(filePath, system, PathStyle::windows);
}
