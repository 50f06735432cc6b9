#include "settings/settings_source.h"

#include "settings/ini_profile.h"
#include "support/unique_resource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int fd) { ::close(fd); }
};
using Descriptor = UniqueResource<DescriptorTraits>;

// Reads up to size bytes; the count read, or -1 with errno set.
ssize_t readFully(int fd, char* buffer, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

// The rest of an open file; 0 or the error code of the failed read.
int readAll(int fd, std::string& content) {
    content.clear();
    char buffer[16384];
    for (;;) {
        ssize_t got = readFully(fd, buffer, sizeof buffer);
        if (got < 0)
            return errno;
        content.append(buffer, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof buffer)
            return 0;
    }
}

// Opens a settings file for reading. Only a regular file counts: a FIFO would block the start
// until some writer appears, and a device such as /dev/zero would never end.
Descriptor openForReading(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status;
    if (file && (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))) {
        errno = EINVAL;
        return Descriptor();
    }
    return file;
}

// The whole file; 0 or the error code of the failed open or read.
int readContent(const std::string& path, std::string& content) {
    Descriptor file = openForReading(path);
    if (!file)
        return errno;
    return readAll(file.get(), content);
}

bool writeContent(const std::string& path, const std::string& content) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!file)
        return false;
    size_t done = 0;
    while (done < content.size()) {
        ssize_t put = ::write(file.get(), content.data() + done, content.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<size_t>(put);
    }
    return true;
}

// What tells one state of a file from another without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified = {0, 0};
    timespec changed = {0, 0};

    explicit FileIdentity(const struct stat& status = {})
        : device(status.st_dev), inode(status.st_ino), size(status.st_size),
          modified(status.st_mtim), changed(status.st_ctim) {}
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec &&
               changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

// The profile of the file read last, kept while the file stays as it was, as the platform's
// profile functions keep theirs: a start looks up some forty keys of one file in a row, and
// reading a large file afresh for each of them would take seconds.
struct ProfileCache {
    std::mutex mutex;
    std::string path;
    FileIdentity identity;
    IniProfile profile;

    void forget() {
        std::lock_guard<std::mutex> lock(mutex);
        path.clear();
        profile = IniProfile();
    }
};

ProfileCache& profileCache() {
    static ProfileCache cache;
    return cache;
}

// Calls use with the file's profile (an empty one when the file cannot be read).
template <typename Use> void withProfile(const std::string& path, Use use) {
    ProfileCache& cache = profileCache();
    std::lock_guard<std::mutex> lock(cache.mutex);
    // A start makes some forty lookups in a row: the file's status alone tells that the
    // profile still holds, without opening the file each time.
    struct stat current;
    if (cache.path == path && ::stat(path.c_str(), &current) == 0 && S_ISREG(current.st_mode) &&
        cache.identity == FileIdentity(current)) {
        use(cache.profile);
        return;
    }
    Descriptor file = openForReading(path);
    struct stat status;
    if (!file || ::fstat(file.get(), &status) != 0) {
        use(IniProfile());
        return;
    }
    const FileIdentity identity(status);
    if (cache.path != path || !(cache.identity == identity)) {
        std::string content;
        if (readAll(file.get(), content) != 0) {
            use(IniProfile());
            return;
        }
        cache.profile = IniProfile(content);
        cache.path = path;
        cache.identity = identity;
    }
    use(cache.profile);
}

} // namespace

uint32_t SettingsFile::readHeader(uint32_t& value) {
    Descriptor file = openForReading(path_);
    if (!file)
        return static_cast<uint32_t>(errno);
    char header[sizeof value];
    ssize_t got = readFully(file.get(), header, sizeof header);
    if (got < 0)
        return static_cast<uint32_t>(errno);
    std::memcpy(&value, header, static_cast<size_t>(got));
    return 0;
}

void SettingsFile::getValue(const std::string& section, const std::string& key,
                            std::string& value) {
    withProfile(path_, [&](const IniProfile& profile) { value = profile.value(section, key); });
}

void SettingsFile::getSectionNames(std::vector<std::string>& names) {
    withProfile(path_, [&](const IniProfile& profile) { names = profile.sectionNames(); });
}

bool SettingsFile::setValue(const std::string& section, const std::string& key,
                            const std::string& value) {
    std::string content;
    int error = readContent(path_, content);
    if (error != 0 && error != ENOENT)
        return false;
    IniProfile profile(content);
    // A write within the file system's time granularity may keep size and times alike.
    profileCache().forget();
    return profile.setValue(section, key, value) && writeContent(path_, profile.content());
}

bool SettingsFile::deleteFile() {
    profileCache().forget();
    return ::unlink(path_.c_str()) == 0;
}
