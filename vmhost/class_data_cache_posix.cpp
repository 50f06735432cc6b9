// The class-data cache on POSIX: $XDG_CACHE_HOME (when absolute) or ~/.cache, then
// java-launcher/class-data. The archive job is this executable again, marked by an environment
// variable (all arguments belong to the Java program), in a session of its own.

#include "vmhost/class_data_cache.h"

#include "launch/process_environment.h"
#include "support/paths.h"
#include "support/spawn_posix.h"
#include "support/unique_resource.h"
#include "vmhost/class_path.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr const char* jobMark = "JL_CLASS_DATA_JOB";
// The job yields the processors to everything else the user runs.
constexpr int jobNiceness = 10;

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

class PosixClassDataFiles : public ClassDataFiles {
  public:
    std::string cacheRoot() override {
        std::string base;
        if (!readEnvironmentVariable("XDG_CACHE_HOME", base) || base.empty() || base[0] != '/') {
            std::string home;
            if (!readEnvironmentVariable("HOME", home) || home.empty() || home[0] != '/')
                return {};
            base = home + "/.cache";
        }
        return base + "/java-launcher/class-data";
    }

    std::string readText(const std::string& path) override {
        // Non-blocking: a pipe in place of the file must not stop the start.
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        std::string text;
        char buffer[4096];
        ssize_t count = 0;
        // A release file is a few kilobytes; anything far larger is not one.
        while (file && text.size() < (1u << 20) &&
               (count = read(file.get(), buffer, sizeof(buffer))) > 0)
            text.append(buffer, static_cast<size_t>(count));
        return text;
    }

    bool stamp(const std::string& path, FileStamp& stamp) override {
        struct stat status;
        if (stat(path.c_str(), &status) != 0)
            return false;
        stamp.size = static_cast<uint64_t>(status.st_size);
        stamp.modified = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                         static_cast<uint64_t>(status.st_mtim.tv_nsec);
        time_t now = time(nullptr);
        stamp.ageSeconds =
            now > status.st_mtim.tv_sec ? static_cast<uint64_t>(now - status.st_mtim.tv_sec) : 0;
        stamp.regularFile = S_ISREG(status.st_mode);
        return true;
    }

    std::vector<std::string> list(const std::string& folder) override {
        return listMatchingFiles(folder + "/*");
    }

    bool makeFolders(const std::string& folder) override {
        createFolderTree(folder + "/archive");
        struct stat status;
        return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    bool canCreate(const std::string& path) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file)
            return false;
        unlink(path.c_str());
        return true;
    }

    uint64_t freeSpace(const std::string& folder) override {
        struct statvfs status;
        if (statvfs(folder.c_str(), &status) != 0)
            return 0;
        return static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
    }

    bool move(const std::string& from, const std::string& to) override {
        return rename(from.c_str(), to.c_str()) == 0;
    }

    void remove(const std::string& path) override { unlink(path.c_str()); }

    bool writeNew(const std::string& path, const std::string& text) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file)
            return false;
        if (write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            return true;
        unlink(path.c_str());
        return false;
    }

    bool startJob(const std::string& jobFile) override {
        SpawnRequest request;
        request.arguments = {"/proc/self/exe"};
        request.environment = environmentWith(jobMark, jobFile);
        request.newSession = true;
        // Not waited for: the launcher ends right after, and the job, in a session of its
        // own, then belongs to init.
        return spawnProcess(request) > 0;
    }

    int run(const std::vector<std::string>& command) override {
        SpawnRequest request;
        request.arguments = command;
        pid_t process = spawnProcess(request);
        int status = 0;
        if (process <= 0 || waitpid(process, &status, 0) != process || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    std::string uniqueName() override {
        auto now = std::chrono::system_clock::now().time_since_epoch();
        return std::to_string(getpid()) + "-" +
               std::to_string(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    }

    char separator() override { return '/'; }
};

} // namespace

void runArchiveJobIfMarked() {
    const char* mark = std::getenv(jobMark);
    if (mark == nullptr)
        return;
    std::string jobFile = mark;
    // The job's own children (the java command) are no jobs.
    unsetenv(jobMark);
    // Descriptors a launcher left open are not the job's to hold.
    closefrom(STDERR_FILENO + 1);
    setpriority(PRIO_PROCESS, 0, jobNiceness);
    runArchiveJob(jobFile, systemClassDataFiles());
    _exit(0);
}

ClassDataFiles& systemClassDataFiles() {
    static PosixClassDataFiles files;
    return files;
}
