#pragma once

// Libraries that the POSIX window process loads at run time, so that the launcher links none of
// them, and the tables of their functions: an X-macro list of names gives each table its members,
// typed from the library's header, and resolves them. Only window-process code includes this.

#include <dlfcn.h>

// Loads a library by file name as the system's loader finds it; null when it is absent. It stays
// loaded: the window process ends with its window.
inline void* openRunTimeLibrary(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

// Looks name up in library and the libraries it brought in; false when it is absent.
template <typename Function>
bool resolveRunTimeFunction(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

// A table's member for a function name; and, inside a loader with `library` and `api` in scope,
// its resolution as one link of a chain `LIST(RUN_TIME_RESOLVE) true`.
#define RUN_TIME_MEMBER(name) decltype(&::name) name = nullptr;
#define RUN_TIME_RESOLVE(name) resolveRunTimeFunction(library, #name, api.name)&&
