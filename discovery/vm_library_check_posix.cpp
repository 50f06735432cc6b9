#include "discovery/vm_library_check.h"

#include "support/unique_resource.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

} // namespace

bool fileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

bool isX86VmLibrary(const std::string& path) {
    UniqueResource<DescriptorTraits> file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file)
        return false;
    // The ELF identification and the machine field lie in the first 20 bytes.
    unsigned char header[20];
    size_t filled = 0;
    while (filled < sizeof header) {
        ssize_t count = read(file.get(), header + filled, sizeof header - filled);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        filled += static_cast<size_t>(count);
    }
    return isX86ElfImage(header, filled);
}
