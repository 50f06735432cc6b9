#include "vmhost/vm_library.h"

#include "support/wide_text.h"

#include <windows.h>

namespace {

void* resolve(HMODULE module, const char* name, VmLibrary& library) {
    FARPROC entry = GetProcAddress(module, name);
    library.systemError = entry == nullptr ? GetLastError() : 0;
    return reinterpret_cast<void*>(entry);
}

} // namespace

VmLibrary openVmLibrary(const std::string& path) {
    VmLibrary library;
    // Deliberately never freed: the VM stays in the process until it ends.
    HMODULE module = LoadLibraryW(toWide(path).c_str());
    if (module == nullptr) {
        library.systemError = GetLastError();
        return library;
    }
    library.createJavaVm = resolve(module, "JNI_CreateJavaVM", library);
    if (library.createJavaVm == nullptr) {
        library.status = VmLibrary::Status::createMissing;
        return library;
    }
    library.defaultInitArgs = resolve(module, "JNI_GetDefaultJavaVMInitArgs", library);
    if (library.defaultInitArgs == nullptr) {
        library.status = VmLibrary::Status::defaultArgsMissing;
        return library;
    }
    library.status = VmLibrary::Status::loaded;
    return library;
}
