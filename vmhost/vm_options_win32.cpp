#include "vmhost/vm_options.h"

#include "support/wide_text.h"

#include <windows.h>

MemoryStatus queryMemoryStatus() {
    // The 64-bit call: the 32-bit record cannot hold the address space of a 64-bit process.
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    MemoryStatus memory;
    if (GlobalMemoryStatusEx(&status)) {
        memory.totalPhysical = status.ullTotalPhys;
        memory.availableVirtual = status.ullAvailVirtual;
    }
    return memory;
}

std::string toVmOptionText(const std::string& utf8) {
    return toAnsi(toWide(utf8));
}
