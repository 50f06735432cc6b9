#include "vmhost/main_thread.h"

#include <climits>
#include <pthread.h>
#include <unistd.h>

namespace {

struct ThreadStart {
    ThreadWork work;
    void* argument;
    uint32_t result;
};

void* threadEntry(void* context) {
    auto* start = static_cast<ThreadStart*>(context);
    start->result = start->work(start->argument);
    return nullptr;
}

struct AttributesOwner {
    pthread_attr_t attributes;
    AttributesOwner() { pthread_attr_init(&attributes); }
    ~AttributesOwner() { pthread_attr_destroy(&attributes); }
};

} // namespace

uint32_t runOnNewThread(uint64_t stackSize, ThreadWork work, void* argument) {
    ThreadStart start{work, argument, 0};
    AttributesOwner owner;
    if (stackSize != 0) {
        // Below the smallest stack the system allows, take that smallest one.
        const uint64_t smallest = static_cast<uint64_t>(PTHREAD_STACK_MIN);
        size_t size = static_cast<size_t>(stackSize < smallest ? smallest : stackSize);
        pthread_attr_setstacksize(&owner.attributes, size);
    }
    pthread_t thread;
    if (pthread_create(&thread, &owner.attributes, threadEntry, &start) != 0)
        return work(argument);
    pthread_join(thread, nullptr);
    return start.result;
}

void parkThreadForever() {
    for (;;)
        pause();
}
