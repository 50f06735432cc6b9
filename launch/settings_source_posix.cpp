#include "launch/settings_source.h"

#include "launch/ini_profile.h"
#include "support/unique_resource.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

// The whole file; 0 or the error code of the failed open or read.
int readContent(const std::string& path, std::string& content) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file)
        return errno;
    content.clear();
    char buffer[16384];
    for (;;) {
        ssize_t got = readFully(file.get(), buffer, sizeof buffer);
        if (got < 0)
            return errno;
        content.append(buffer, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof buffer)
            return 0;
    }
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

IniProfile loadProfile(const std::string& path) {
    std::string content;
    return readContent(path, content) == 0 ? IniProfile(content) : IniProfile();
}

} // namespace

uint32_t SettingsFile::readHeader(uint32_t& value) {
    Descriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
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
    value = loadProfile(path_).value(section, key);
}

void SettingsFile::getSectionNames(std::vector<std::string>& names) {
    names = loadProfile(path_).sectionNames();
}

bool SettingsFile::setValue(const std::string& section, const std::string& key,
                            const std::string& value) {
    std::string content;
    int error = readContent(path_, content);
    if (error != 0 && error != ENOENT)
        return false;
    IniProfile profile(content);
    return profile.setValue(section, key, value) && writeContent(path_, profile.content());
}

bool SettingsFile::deleteFile() {
    return ::unlink(path_.c_str()) == 0;
}
