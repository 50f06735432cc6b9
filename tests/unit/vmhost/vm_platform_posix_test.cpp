#include "vmhost/vm_library.h"
#include "vmhost/vm_options.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace {

TEST(VmLibraryPosix, TellsAMissingLibraryFromOneWithoutTheEntryPoints) {
    VmLibrary missing = openVmLibrary("/nonexistent/lib/server/libjvm.so");
    EXPECT_EQ(missing.status, VmLibrary::Status::loadFailed);
    EXPECT_EQ(missing.systemError, static_cast<uint32_t>(ENOENT));

    // A file that opens but is no library.
    VmLibrary notLibrary = openVmLibrary("/proc/self/status");
    EXPECT_EQ(notLibrary.status, VmLibrary::Status::loadFailed);
    EXPECT_EQ(notLibrary.systemError, static_cast<uint32_t>(ENOEXEC));

    VmLibrary other = openVmLibrary("libm.so.6");
    EXPECT_EQ(other.status, VmLibrary::Status::createMissing);
    EXPECT_EQ(other.createJavaVm, nullptr);
}

TEST(MemoryStatusPosix, ReportsThePhysicalMemoryAndTheFreeAddressSpace) {
    MemoryStatus memory = queryMemoryStatus();
    EXPECT_EQ(memory.totalPhysical,
              static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE));
    EXPECT_GT(memory.availableVirtual, uint64_t{1} << 40); // far more than 1 TiB is free
    EXPECT_LT(memory.availableVirtual, uint64_t{1} << 47);
}

} // namespace
