#include "splash/native_splash.h"

#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

namespace {

struct FindTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE handle) { FindClose(handle); }
};

void* procAddress(void* module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

} // namespace

bool nativeSplashLibraryExists(const std::string& path) {
    WIN32_FIND_DATAW found;
    UniqueResource<FindTraits> search(FindFirstFileW(toWide(path).c_str(), &found));
    return search.valid();
}

bool loadNativeSplashLibrary(const std::string& libraryPath, const std::string&,
                             NativeSplashEntries& entries) {
    // Never freed: the runtime's splash library stays for the life of the process.
    HMODULE module = LoadLibraryW(toWide(libraryPath).c_str());
    if (module == nullptr)
        return false;
    entries = resolveNativeSplashEntries(module, procAddress);
    return true;
}

std::string nativeSplashPathText(const std::string& path) {
    return toAnsi(toWide(path));
}
