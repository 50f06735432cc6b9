// Forced into every translation unit of the Windows code (CMakeLists.txt). In C++17 the
// library declares std::string and std::wstring explicitly instantiated, so their members
// link from its prebuilt copies: every member of both (the MinGW linker keeps each function
// that has unwind data), compiled with exception handling that pulls in the whole exception
// runtime and with it the POSIX thread library. The library's own switch below lets each
// translation unit instantiate only the members it uses, compiled like the rest of the code
// (without exceptions); the code is the same header code either way.
#pragma once

#include <cstddef>

#ifdef __GLIBCXX__
// -1: no explicit instantiation declarations for basic_string only; the other library
// templates keep theirs.
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
#endif
