#include "vmhost/vm_library.h"

#include "support/unique_resource.h"

#include <cerrno>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int descriptor) { close(descriptor); }
};

// dlopen reports its failures as text only. The error number is that of opening the file,
// or ENOEXEC when the file opens but is no library this process can load.
uint32_t loadFailureCode(const std::string& path) {
    UniqueResource<DescriptorTraits> file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return file ? ENOEXEC : static_cast<uint32_t>(errno);
}

void* resolve(void* module, const char* name, VmLibrary& library) {
    errno = 0;
    void* entry = dlsym(module, name);
    library.systemError = static_cast<uint32_t>(errno);
    return entry;
}

} // namespace

VmLibrary openVmLibrary(const std::string& path) {
    VmLibrary library;
    // Deliberately never closed: the VM stays in the process until it ends.
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) {
        library.systemError = loadFailureCode(path);
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
    library.systemError = 0;
    library.status = VmLibrary::Status::loaded;
    return library;
}
