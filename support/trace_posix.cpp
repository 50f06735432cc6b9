#include "support/trace.h"

#include "support/unique_resource.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

UniqueResource<DescriptorTraits> traceFile;
int traceDescriptor = -1; // standard error, or traceFile's descriptor

double bootClockMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The process's start on the boot clock, from field 22 of /proc/self/stat (clock ticks).
double processStartMilliseconds() {
    unsigned long long ticks = 0;
    if (FILE* stat = std::fopen("/proc/self/stat", "re")) {
        char text[1024] = {};
        size_t length = std::fread(text, 1, sizeof text - 1, stat);
        std::fclose(stat);
        // The fields after the command name, which may hold blanks, start behind its ')'.
        const char* fields = nullptr;
        for (size_t i = length; i > 0 && !fields; --i)
            if (text[i - 1] == ')')
                fields = text + i;
        if (fields)
            std::sscanf(fields,
                        " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d "
                        "%*d %*d %*d %llu",
                        &ticks);
    }
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A set, non-empty and absolute value.
bool environmentText(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (!text || text[0] != '/')
        return false;
    value = text;
    return true;
}

std::string withSlash(const std::string& folder) {
    return folder.back() == '/' ? folder : folder + "/";
}

// A folder of this user's that no one else may write to.
bool isPrivateFolder(const std::string& folder) {
    struct stat status {};
    return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// A regular file of this user's with no second name (a hard link to another file of the user's
// would have two).
bool isOwnPlainFile(const struct stat& status) {
    return S_ISREG(status.st_mode) && status.st_uid == geteuid() && status.st_nlink == 1;
}

} // namespace

bool readTraceSetting(std::string& setting) {
    const char* value = std::getenv("JL_TRACE");
    if (!value)
        return false;
    setting = value;
    return true;
}

bool processHasStandardError() {
    return fcntl(STDERR_FILENO, F_GETFD) != -1;
}

std::string defaultTraceFolder() {
    std::string home, cache, runtime;
    bool hasHome = environmentText("HOME", home);
    bool hasCache = environmentText("XDG_CACHE_HOME", cache);
    if (!hasCache && hasHome) {
        cache = withSlash(home) + ".cache";
        hasCache = true;
    }
    if (environmentText("XDG_RUNTIME_DIR", runtime) && isPrivateFolder(runtime))
        return withSlash(runtime);
    if (hasCache && isPrivateFolder(cache))
        return withSlash(cache);
    // Shared with other users: the file's own checks keep a planted name out.
    std::string temporary;
    return withSlash(environmentText("TMPDIR", temporary) ? temporary : "/tmp");
}

double millisecondsSinceProcessStart() {
    static const double start = processStartMilliseconds();
    return bootClockMilliseconds() - start;
}

bool openTraceOutput(const TraceTarget& target) {
    if (target.toStandardError) {
        traceDescriptor = STDERR_FILENO;
        return true;
    }
    // O_NONBLOCK: a FIFO without a reader fails at once, one with a reader never holds up a
    // write (a write that would wait fails and ends the trace). O_NOFOLLOW: no link is followed.
    traceFile.reset(open(target.file.c_str(),
                         O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK,
                         0600));
    struct stat status {};
    if (!traceFile || fstat(traceFile.get(), &status) != 0 ||
        (target.isDefaultFile && !isOwnPlainFile(status)))
        traceFile.reset();
    traceDescriptor = traceFile.get();
    return traceFile.valid();
}

bool writeTraceOutput(const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = write(traceDescriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

void closeTraceOutput() {
    traceFile.reset();
    traceDescriptor = -1;
}
