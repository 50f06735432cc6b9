// Test splash library (never shipped): stands in for a runtime's splashscreen.dll and records
// each call, with its arguments, as a line of the file that FAKE_JVM_RECORD names (the test VM
// library's record, so the order against the VM's events shows). Bytes outside ASCII are
// written as \xHH. Built three times: FAKE_SPLASH_VARIANT 0 exports all four entry points,
// 1 all but SplashClose, 2 all but SplashLoadFile.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string escaped(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        auto byte = static_cast<unsigned char>(*c);
        char hex[8];
        std::snprintf(hex, sizeof(hex), "\\x%02X", byte);
        out += byte < 0x80 ? std::string(1, *c) : std::string(hex);
    }
    return out;
}

void record(const std::string& line) {
    char path[1024];
    DWORD length = GetEnvironmentVariableA("FAKE_JVM_RECORD", path, sizeof(path));
    if (length == 0 || length >= sizeof(path))
        return;
    if (FILE* file = std::fopen(path, "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

} // namespace

extern "C" {

__declspec(dllexport) void SplashInit() {
    record("splash-init");
}

#if FAKE_SPLASH_VARIANT != 2
__declspec(dllexport) int SplashLoadFile(const char* path) {
    record("splash-load-file " + escaped(path));
    return 0; // as a library that cannot read the picture: the launcher does not look
}
#endif

__declspec(dllexport) void SplashSetFileJarName(const char* path, const char* jarName) {
    record("splash-set-file-jar-name " + escaped(path) + " [" + escaped(jarName) + "]");
}

#if FAKE_SPLASH_VARIANT != 1
__declspec(dllexport) void SplashClose() {
    record("splash-close");
}
#endif

} // extern "C"
