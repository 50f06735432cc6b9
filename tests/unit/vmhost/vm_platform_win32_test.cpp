#include "vmhost/vm_library.h"
#include "vmhost/vm_options.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(VmLibraryWin32, TellsAMissingLibraryFromOneWithoutTheEntryPoints) {
    VmLibrary missing = openVmLibrary("C:\\nonexistent\\bin\\server\\jvm.dll");
    EXPECT_EQ(missing.status, VmLibrary::Status::loadFailed);
    EXPECT_EQ(missing.systemError, static_cast<uint32_t>(ERROR_MOD_NOT_FOUND));

    VmLibrary other = openVmLibrary("version.dll");
    EXPECT_EQ(other.status, VmLibrary::Status::createMissing);
    EXPECT_EQ(other.systemError, static_cast<uint32_t>(ERROR_PROC_NOT_FOUND));
}

TEST(MemoryStatusWin32, ReportsTheProcessFigures) {
    MemoryStatus memory = queryMemoryStatus();
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    EXPECT_EQ(memory.totalPhysical, status.ullTotalPhys);
    // A 64-bit process has far more than 4 GiB of address space free, a 32-bit one less.
    EXPECT_EQ(memory.availableVirtual > (uint64_t{1} << 32), sizeof(void*) == 8);
    EXPECT_GT(memory.availableVirtual, 0u);
}

} // namespace
