#pragma once

// The platform side of loading the VM library: load it and resolve the two invocation entry
// points. The library is never unloaded (the VM lives until the process ends).

#include <cstdint>
#include <string>

struct VmLibrary {
    enum class Status { loaded, loadFailed, createMissing, defaultArgsMissing };
    Status status = Status::loadFailed;
    // The system's error number of the failing step (Windows: GetLastError; POSIX: errno).
    uint32_t systemError = 0;
    void* createJavaVm = nullptr;    // JNI_CreateJavaVM
    void* defaultInitArgs = nullptr; // JNI_GetDefaultJavaVMInitArgs
};

VmLibrary openVmLibrary(const std::string& path);
