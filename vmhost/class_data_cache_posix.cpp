// The class-data cache on POSIX: $XDG_CACHE_HOME (when absolute) or ~/.cache, then
// java-launcher/class-data. The archive job is this executable again, marked by an environment
// variable (all arguments belong to the Java program), in a session of its own.

#include "vmhost/class_data_cache.h"

#include "support/paths.h"
#include "support/process_environment.h"
#include "support/spawn_posix.h"
#include "support/unique_resource.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
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

std::string nameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// The folder itself, never a link in its place: what the cache removes there is its own.
int openFolder(const std::string& folder) {
    return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

class PosixClassList : public ClassListFile {
  public:
    PosixClassList(UniqueResource<DescriptorTraits> file, std::string name)
        : file_(std::move(file)), name_(std::move(name)) {}
    std::string vmName() const override { return name_; }

  private:
    UniqueResource<DescriptorTraits> file_;
    std::string name_;
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

    bool readRange(const std::string& path, uint64_t offset, size_t length,
                   std::string& bytes) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        bytes.assign(length, '\0');
        size_t done = 0;
        ssize_t count = 0;
        while (file && done < length &&
               (count = pread(file.get(), &bytes[done], length - done,
                              static_cast<off_t>(offset + done))) > 0)
            done += static_cast<size_t>(count);
        return done == length;
    }

    bool stamp(const std::string& path, FileStamp& stamp) override {
        struct stat status;
        struct stat link;
        if (stat(path.c_str(), &status) != 0 || lstat(path.c_str(), &link) != 0)
            return false;
        stamp.size = static_cast<uint64_t>(status.st_size);
        stamp.modified = static_cast<uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                         static_cast<uint64_t>(status.st_mtim.tv_nsec);
        time_t now = time(nullptr);
        stamp.ageSeconds =
            now > status.st_mtim.tv_sec ? static_cast<uint64_t>(now - status.st_mtim.tv_sec) : 0;
        stamp.regularFile = S_ISREG(status.st_mode);
        stamp.folder = S_ISDIR(status.st_mode);
        stamp.link = S_ISLNK(link.st_mode);
        return true;
    }

    std::vector<std::string> list(const std::string& folder) override {
        std::vector<std::string> names;
        int descriptor = openFolder(folder);
        DIR* entries = descriptor >= 0 ? fdopendir(descriptor) : nullptr;
        if (entries == nullptr) {
            if (descriptor >= 0)
                close(descriptor);
            return names;
        }
        while (const dirent* entry = readdir(entries))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        closedir(entries);
        return names;
    }

    bool makeFolders(const std::string& folder) override {
        createFolderTree(folder + "/archive");
        struct stat status;
        return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    }

    std::shared_ptr<ClassListFile> createClassList(const std::string& path) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file)
            return nullptr;
        // The VM opens the descriptor's name, which reaches the file even when its folder
        // has gone meanwhile; without /proc, the path.
        std::string name = "/proc/self/fd/" + std::to_string(file.get());
        struct stat opened;
        struct stat named;
        if (fstat(file.get(), &opened) != 0 || stat(name.c_str(), &named) != 0 ||
            opened.st_ino != named.st_ino || opened.st_dev != named.st_dev)
            name = path;
        return std::make_shared<PosixClassList>(std::move(file), name);
    }

    uint64_t freeSpace(const std::string& folder) override {
        struct statvfs status;
        if (statvfs(folder.c_str(), &status) != 0)
            return 0;
        return static_cast<uint64_t>(status.f_bavail) * status.f_frsize;
    }

    bool move(const std::string& from, const std::string& to) override {
        std::string folder = from.substr(0, from.rfind('/'));
        if (to.substr(0, to.rfind('/')) != folder)
            return false;
        UniqueResource<DescriptorTraits> descriptor(openFolder(folder));
        return descriptor && renameat(descriptor.get(), nameOf(from).c_str(), descriptor.get(),
                                      nameOf(to).c_str()) == 0;
    }

    void remove(const std::string& path) override {
        UniqueResource<DescriptorTraits> folder(openFolder(path.substr(0, path.rfind('/'))));
        if (folder)
            unlinkat(folder.get(), nameOf(path).c_str(), 0);
    }

    bool writeNew(const std::string& path, const std::string& text) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file)
            return false;
        if (write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size()))
            return true;
        unlink(path.c_str());
        return false;
    }

    bool rewrite(const std::string& path, const std::string& text) override {
        UniqueResource<DescriptorTraits> file(
            open(path.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC));
        return file &&
               write(file.get(), text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }

    bool processAlive(uint64_t processId) override {
        if (processId == 0 || processId > static_cast<uint64_t>(INT_MAX))
            return false;
        // Another user's process of that id answers EPERM: it runs. A killed process whose
        // parent has not collected it yet answers too, but is a zombie in its status.
        if (kill(static_cast<pid_t>(processId), 0) != 0 && errno != EPERM)
            return false;
        std::string status = readText("/proc/" + std::to_string(processId) + "/stat");
        size_t name = status.rfind(')');
        return name == std::string::npos || status.compare(name, 3, ") Z") != 0;
    }

    uint64_t currentTime() override {
        time_t now = time(nullptr);
        return now > 0 ? static_cast<uint64_t>(now) : 0;
    }

    std::string variable(const char* name) override {
        const char* value = std::getenv(name);
        return value != nullptr ? value : "";
    }

    bool startJob(const std::string& jobFile, uint64_t& processId) override {
        SpawnRequest request;
        request.arguments = {"/proc/self/exe"};
        request.environment = environmentWith(jobMark, jobFile);
        request.newSession = true;
        // Not waited for: the launcher ends right after, and the job, in a session of its
        // own, then belongs to init.
        pid_t process = spawnProcess(request);
        processId = process > 0 ? static_cast<uint64_t>(process) : 0;
        return process > 0;
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
    // The job's own children (the java command) are no jobs, and take no options from the
    // environment: the dump command carries the ones the program's VM had.
    unsetenv(jobMark);
    for (const char* name : buildIgnoredVariables)
        unsetenv(name);
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
