#include "vmhost/main_thread.h"

#include <gtest/gtest.h>

#include <pthread.h>

namespace {

uint32_t reportStackSize(void* out) {
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    size_t size = 0;
    pthread_attr_getstacksize(&attributes, &size);
    pthread_attr_destroy(&attributes);
    *static_cast<size_t*>(out) = size;
    return 7;
}

TEST(MainThread, RunsTheWorkOnAThreadWithTheAskedStackSize) {
    for (uint64_t size : {uint64_t{512} * 1024, uint64_t{8} * 1024 * 1024}) {
        size_t seen = 0;
        EXPECT_EQ(runOnNewThread(size, reportStackSize, &seen), 7u);
        EXPECT_EQ(seen, size);
    }
}

TEST(MainThread, RunsTheWorkHereWhenNoThreadCanBeMade) {
    size_t seen = 0;
    // No system gives a thread a stack of half the address space.
    EXPECT_EQ(runOnNewThread(uint64_t{1} << 62, reportStackSize, &seen), 7u);
    pthread_attr_t attributes;
    pthread_getattr_np(pthread_self(), &attributes);
    size_t own = 0;
    pthread_attr_getstacksize(&attributes, &own);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(seen, own);
}

} // namespace
