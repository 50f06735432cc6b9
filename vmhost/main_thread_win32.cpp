#include "vmhost/main_thread.h"

#include "support/unique_resource.h"

#include <windows.h>

namespace {

struct ThreadStart {
    ThreadWork work;
    void* argument;
};

DWORD WINAPI threadEntry(LPVOID context) {
    auto* start = static_cast<ThreadStart*>(context);
    return start->work(start->argument);
}

struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};

} // namespace

uint32_t runOnNewThread(uint64_t stackSize, ThreadWork work, void* argument) {
    // A size past the address space (a 32-bit process) cannot be reserved; cut to SIZE_T it
    // would become some small stack instead.
    if (stackSize > static_cast<SIZE_T>(-1))
        return work(argument);
    ThreadStart start{work, argument};
    // The size reserves the stack: committing all of it at once would charge a large "-Xss"
    // to the system's commit limit before any of it is used.
    UniqueResource<HandleTraits> thread(CreateThread(nullptr, static_cast<SIZE_T>(stackSize),
                                                     threadEntry, &start,
                                                     STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread)
        return work(argument);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 1;
    GetExitCodeThread(thread.get(), &code);
    return code;
}

void parkThreadForever() {
    for (;;)
        Sleep(INFINITE);
}
