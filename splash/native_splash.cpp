#include "splash/native_splash.h"

namespace {

// Drops the last path element; a path without a separator stays as it is.
std::string parentOf(const std::string& path, char separator) {
    size_t last = path.rfind(separator);
    return last == std::string::npos ? path : path.substr(0, last);
}

template <typename Function> Function entry(void* module, SymbolLookup lookup, const char* name) {
    return reinterpret_cast<Function>(lookup(module, name));
}

const char* libraryFileName(PathStyle style) {
    return style == PathStyle::windows ? "splashscreen.dll" : "libsplashscreen.so";
}

} // namespace

std::string nativeSplashLibraryPath(const std::string& vmLibraryPath, PathStyle style) {
    char separator = pathSeparator(style);
    std::string folder = parentOf(parentOf(vmLibraryPath, separator), separator);
    if (folder.empty())
        return {};
    if (folder.back() != '\\' && folder.back() != '/')
        folder += separator;
    return folder + libraryFileName(style);
}

std::string findNativeSplashLibrary(const std::string& vmLibraryPath) {
    std::string path = nativeSplashLibraryPath(vmLibraryPath, hostPathStyle());
    return !path.empty() && nativeSplashLibraryExists(path) ? path : std::string();
}

NativeSplashEntries resolveNativeSplashEntries(void* module, SymbolLookup lookup) {
    NativeSplashEntries entries;
    entries.init = entry<decltype(entries.init)>(module, lookup, "SplashInit");
    entries.loadFile = entry<decltype(entries.loadFile)>(module, lookup, "SplashLoadFile");
    entries.setFileJarName =
        entry<decltype(entries.setFileJarName)>(module, lookup, "SplashSetFileJarName");
    entries.close = entry<decltype(entries.close)>(module, lookup, "SplashClose");
    return entries;
}

bool runNativeSplashStart(const NativeSplashEntries& entries, const std::string& narrowImagePath,
                          NativeSplashClose& closeSlot) {
    // The close entry is taken over even when the start entries are incomplete, so that a
    // library that was loaded is still told to close at the end.
    if (entries.close != closeSlot) {
        closeNativeSplashLibrary(closeSlot);
        closeSlot = entries.close;
    }
    if (!entries.init || !entries.loadFile || !entries.setFileJarName)
        return false;
    entries.init();
    entries.loadFile(narrowImagePath.c_str());
    entries.setFileJarName(narrowImagePath.c_str(), "");
    return true;
}

bool startNativeSplash(const std::string& libraryPath, const std::string& imagePath,
                       const std::string& vmLibraryPath, NativeSplashClose& closeSlot) {
    NativeSplashEntries entries;
    if (!loadNativeSplashLibrary(libraryPath, vmLibraryPath, entries))
        return false;
    return runNativeSplashStart(entries, nativeSplashPathText(imagePath), closeSlot);
}

void closeNativeSplashLibrary(NativeSplashClose& closeSlot) {
    if (NativeSplashClose close = closeSlot) {
        closeSlot = nullptr;
        close();
    }
}
