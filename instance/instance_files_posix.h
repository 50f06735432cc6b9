#pragma once

// Where one user's single-instance files live, and the checks that keep every other user out.
// The files of all executables of a user lie in one folder that only the user can open:
// "jl-single-instance" in $XDG_RUNTIME_DIR when that is such a folder, else
// /tmp/jl-single-instance-<uid>, created with mode 0700 when missing. A folder or file that
// is a link, belongs to someone else or is open to group or others is never used.

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// Why an object of the given type (S_IFDIR, S_IFREG, S_IFSOCK) may not be used; empty when
// it may: it is of that type (lstat: a link is not followed), belongs to user and carries no
// permission for group or others.
std::string refusalReason(const struct stat& status, mode_t type, uid_t user);

struct InstanceFolder {
    std::string path;               // empty when there is none this user may use
    std::vector<std::string> notes; // why a place was passed over, for the trace
};

// The folder of the effective user. runtimeDirectory is $XDG_RUNTIME_DIR (null when unset);
// fallbackParent is where the per-user folder is made when that cannot be used ("/tmp").
InstanceFolder instanceFolder(const char* runtimeDirectory, const std::string& fallbackParent);
