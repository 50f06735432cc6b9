#pragma once

// The Java runtime's own splash library (splashscreen.dll in the runtime's bin folder,
// libsplashscreen.so in its lib folder). The launcher loads it, starts it with the picture and
// later tells it to close; everything in between is the library's. It stays loaded for the
// life of the process. First thread only.

#include "support/paths.h"

#include <string>

using NativeSplashClose = void (*)();

// The library's entry points as the launcher calls them; null when the library lacks one.
struct NativeSplashEntries {
    void (*init)() = nullptr;
    int (*loadFile)(const char* path) = nullptr;
    void (*setFileJarName)(const char* path, const char* jarName) = nullptr;
    NativeSplashClose close = nullptr;
};

// The library's path from the VM library's: two folders up from the VM library, then the
// library's file name ("C:\rt\bin\server\jvm.dll" -> "C:\rt\bin\splashscreen.dll"). Only the
// style's separator ends a folder (a backslash on Windows). Empty when nothing is left.
std::string nativeSplashLibraryPath(const std::string& vmLibraryPath, PathStyle style);
// nativeSplashLibraryPath when that file exists, else empty.
std::string findNativeSplashLibrary(const std::string& vmLibraryPath);

// Starts the library at libraryPath with the picture at imagePath. closeSlot is the launcher's
// record of the library's close entry: a different close entry found here replaces it (an
// earlier one is called first), before the start entries are checked. False when the library
// cannot be loaded or lacks one of the three start entries.
bool startNativeSplash(const std::string& libraryPath, const std::string& imagePath,
                       const std::string& vmLibraryPath, NativeSplashClose& closeSlot);

// The start sequence over resolved entries and the picture's path in the library's narrow text.
bool runNativeSplashStart(const NativeSplashEntries& entries, const std::string& narrowImagePath,
                          NativeSplashClose& closeSlot);

// Calls the recorded close entry once and forgets it.
void closeNativeSplashLibrary(NativeSplashClose& closeSlot);

// The four entries of a loaded library through the platform's symbol lookup.
using SymbolLookup = void* (*)(void* module, const char* name);
NativeSplashEntries resolveNativeSplashEntries(void* module, SymbolLookup lookup);

// Platform side.
bool nativeSplashLibraryExists(const std::string& path);
// Loads the library (and what it needs of the runtime) and resolves the four entries; false
// when it cannot be loaded.
bool loadNativeSplashLibrary(const std::string& libraryPath, const std::string& vmLibraryPath,
                             NativeSplashEntries& entries);
// The picture's path as the library reads it: the thread's ANSI code page on Windows, UTF-8
// elsewhere.
std::string nativeSplashPathText(const std::string& path);
