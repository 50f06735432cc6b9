#include "instance/instance_files_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

const char* typeName(mode_t type) {
    switch (type) {
    case S_IFDIR:
        return "a folder";
    case S_IFSOCK:
        return "a socket";
    default:
        return "a regular file";
    }
}

std::string octal(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof(text), "%04o", static_cast<unsigned>(mode & 07777));
    return text;
}

// Makes the folder when it is missing, then checks what is there (which may be someone
// else's folder or link made before ours). Empty, or why it cannot be used.
std::string usePrivateFolder(const std::string& path, bool create) {
    if (create && mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return path + ": " + std::strerror(errno);
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0)
        return path + ": " + std::strerror(errno);
    std::string reason = refusalReason(status, S_IFDIR, geteuid());
    return reason.empty() ? reason : path + " " + reason;
}

} // namespace

std::string refusalReason(const struct stat& status, mode_t type, uid_t user) {
    if ((status.st_mode & S_IFMT) != type)
        return std::string("is not ") + typeName(type);
    if (status.st_uid != user)
        return "belongs to uid " + std::to_string(status.st_uid) + ", not " + std::to_string(user);
    if ((status.st_mode & 077) != 0)
        return "is open to group or others (mode " + octal(status.st_mode) + ")";
    return {};
}

InstanceFolder instanceFolder(const char* runtimeDirectory, const std::string& fallbackParent) {
    InstanceFolder folder;
    if (runtimeDirectory != nullptr && runtimeDirectory[0] == '/') {
        std::string base = runtimeDirectory;
        std::string reason = usePrivateFolder(base, false);
        if (reason.empty())
            reason = usePrivateFolder(base + "/jl-single-instance", true);
        if (reason.empty()) {
            folder.path = base + "/jl-single-instance";
            return folder;
        }
        folder.notes.push_back("XDG_RUNTIME_DIR not used: " + reason);
    } else if (runtimeDirectory != nullptr) {
        folder.notes.push_back("XDG_RUNTIME_DIR not used: not an absolute path");
    }
    std::string fallback =
        fallbackParent + "/jl-single-instance-" + std::to_string(static_cast<unsigned>(geteuid()));
    std::string reason = usePrivateFolder(fallback, true);
    if (reason.empty())
        folder.path = fallback;
    else
        folder.notes.push_back(reason);
    return folder;
}
