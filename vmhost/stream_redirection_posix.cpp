#include "vmhost/stream_redirection.h"

#include <climits>
#include <unistd.h>

std::string absoluteFilePath(const std::string& name) {
    if (!name.empty() && name[0] == '/')
        return name;
    char folder[PATH_MAX];
    if (getcwd(folder, sizeof(folder)) == nullptr)
        return name;
    return std::string(folder) + "/" + name;
}
