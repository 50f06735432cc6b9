#include "support/paths.h"

#include "support/failure_report.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixFolderSystem : public FolderSystem {
  public:
    bool exists(const std::string& path) override {
        uint64_t time = 0;
        return lastWriteTime(path, time);
    }
    uint32_t createFolder(const std::string& path) override {
        return mkdir(path.c_str(), 0777) == 0 ? 0 : static_cast<uint32_t>(errno);
    }
    void removeFolder(const std::string& path) override { rmdir(path.c_str()); }
    uint32_t alreadyExistsCode() const override { return EEXIST; }
};

} // namespace

PathStyle hostPathStyle() {
    return PathStyle::posix;
}

bool modulePath(std::string& path) {
    // readlink does not say whether it cut the text; a result that fills the buffer may have
    // been cut, so the buffer grows until the link fits.
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            reportFailure(SystemFailure::modulePath, static_cast<uint32_t>(errno));
            return false;
        }
        if (static_cast<size_t>(length) < buffer.size()) {
            path.assign(buffer.data(), static_cast<size_t>(length));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void* DirectorySearchTraits::invalid() {
    return nullptr;
}

void DirectorySearchTraits::release(void*) {}

bool FileFinder::find(const std::string& path) {
    search_.reset();
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

bool lastWriteTime(const std::string& path, uint64_t& time) {
    struct stat status;
    if (!isAbsolutePath(path) || stat(path.c_str(), &status) != 0)
        return false;
    time = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
           static_cast<uint64_t>(status.st_mtim.tv_nsec);
    return true;
}

uint32_t createFolderTree(const std::string& filePath) {
    PosixFolderSystem system;
    return createFolderTree(filePath, system, PathStyle::posix);
}
