#include "support/trace.h"

#include "support/unique_resource.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
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

std::string temporaryFolder() {
    const char* folder = std::getenv("TMPDIR");
    std::string text = folder && *folder ? folder : "/tmp";
    return text.back() == '/' ? text : text + "/";
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
    traceFile.reset(open(target.file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
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
