// Memory figures on POSIX:
//  - physical memory: sysconf(_SC_PHYS_PAGES) x sysconf(_SC_PAGE_SIZE);
//  - free address space: the process's address-space limit (RLIMIT_AS when one is set, else
//    the size of the user address space: 128 TiB on x86-64, 4 GiB for a 32-bit process) less
//    the address space in use (VmSize of /proc/self/status).

#include "vmhost/vm_options.h"

#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

uint64_t physicalMemory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

uint64_t addressSpaceLimit() {
    uint64_t userSpace = sizeof(void*) == 8 ? (uint64_t{1} << 47) - 4096 : uint64_t{1} << 32;
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<uint64_t>(limit.rlim_cur) < userSpace)
        return static_cast<uint64_t>(limit.rlim_cur);
    return userSpace;
}

uint64_t addressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == "VmSize:") {
            uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

} // namespace

MemoryStatus queryMemoryStatus() {
    MemoryStatus memory;
    memory.totalPhysical = physicalMemory();
    uint64_t limit = addressSpaceLimit();
    uint64_t used = addressSpaceInUse();
    memory.availableVirtual = used < limit ? limit - used : 0;
    return memory;
}

std::string toVmOptionText(const std::string& utf8) {
    return utf8;
}
