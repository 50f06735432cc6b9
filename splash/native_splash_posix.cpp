#include "splash/native_splash.h"

#include <dlfcn.h>
#include <sys/stat.h>

bool nativeSplashLibraryExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool loadNativeSplashLibrary(const std::string& libraryPath, const std::string& vmLibraryPath,
                             NativeSplashEntries& entries) {
    // The runtime's splash library names libjvm.so among the libraries it needs but carries no
    // path to it; the chosen VM library, loaded first, is the one that satisfies that need.
    // The splash library's symbols go into the global scope: the Java toolkit looks its close
    // entry up there when the program's first window shows, and closes the splash then.
    // Neither is ever closed: both stay for the life of the process.
    if (dlopen(vmLibraryPath.c_str(), RTLD_NOW | RTLD_GLOBAL) == nullptr)
        return false;
    void* module = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr)
        return false;
    entries = resolveNativeSplashEntries(module, dlsym);
    return true;
}

std::string nativeSplashPathText(const std::string& path) {
    return path;
}
