#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include "vmhost/main_thread.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

uint32_t reportStackSize(void* out) {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    *static_cast<uint64_t*>(out) = high - low;
    return 7;
}

TEST(MainThread, ReservesTheAskedStackSize) {
    // Sizes of whole megabytes: Wine gives no thread less than one.
    for (uint64_t size : {uint64_t{4} << 20, uint64_t{64} << 20}) {
        uint64_t seen = 0;
        EXPECT_EQ(runOnNewThread(size, reportStackSize, &seen), 7u);
        EXPECT_EQ(seen, size);
    }
}

TEST(MainThread, RunsTheWorkHereWhenNoThreadCanBeMade) {
    uint64_t seen = 0;
    EXPECT_EQ(runOnNewThread(uint64_t{1} << 62, reportStackSize, &seen), 7u);
    uint64_t own = 0;
    reportStackSize(&own);
    EXPECT_EQ(seen, own);
}

TEST(MainThread, NeverCutsTheStackSizeToTheAddressSpace) {
    // 4 GiB + 4 MiB: cut to a 32-bit size it would reserve 4 MiB.
    uint64_t seen = 0;
    EXPECT_EQ(runOnNewThread((uint64_t{4} << 30) + (uint64_t{4} << 20), reportStackSize, &seen),
              7u);
    EXPECT_NE(seen, uint64_t{4} << 20);
}

} // namespace
