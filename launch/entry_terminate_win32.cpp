// How the Windows executable ends on a C++ runtime failure. Nothing in the launcher catches a
// C++ exception, so every one of them ends in terminate. The runtime's own versions of the
// pieces below each link in much that a GUI process cannot use: the default terminate handler
// brings a symbol demangler and a full printf to name the exception's type; the library's
// failure reports (std::__throw_*) bring every standard exception class with its own
// reference-counted string copy. The replacements end the process the same way, through
// terminate, without them. Only the executable links this file; the unit tests keep the
// library's versions.
#include <cstdio>
#include <cstdlib>
#include <exception>

#ifdef __GLIBCXX__
#include <bits/functexcept.h>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::fputs("terminate called: the launcher ends\n", stderr);
    std::abort();
}
} // namespace __gnu_cxx

// The linker takes a library member only for a symbol still undefined, so these must cover
// every symbol of the members they replace (functexcept.o, and the system_error and
// bad_function_call throws); a missing one shows as a duplicate definition at link time.
namespace std {
void __throw_bad_exception() {
    terminate();
}
void __throw_bad_alloc() {
    terminate();
}
void __throw_bad_array_new_length() {
    terminate();
}
void __throw_bad_cast() {
    terminate();
}
void __throw_bad_typeid() {
    terminate();
}
void __throw_bad_function_call() {
    terminate();
}
void __throw_logic_error(const char*) {
    terminate();
}
void __throw_domain_error(const char*) {
    terminate();
}
void __throw_invalid_argument(const char*) {
    terminate();
}
void __throw_length_error(const char*) {
    terminate();
}
void __throw_out_of_range(const char*) {
    terminate();
}
void __throw_out_of_range_fmt(const char*, ...) {
    terminate();
}
void __throw_runtime_error(const char*) {
    terminate();
}
void __throw_range_error(const char*) {
    terminate();
}
void __throw_overflow_error(const char*) {
    terminate();
}
void __throw_underflow_error(const char*) {
    terminate();
}
void __throw_system_error(int) {
    terminate();
}
} // namespace std
#endif
