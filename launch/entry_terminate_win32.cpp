// How the Windows executable ends on a C++ runtime failure. Nothing in the launcher catches a
// C++ exception, so every one of them would end in terminate. The runtime's own versions of the
// pieces below each link in much that a GUI process cannot use: the default terminate handler
// brings a symbol demangler and a full printf to name the exception's type; the library's
// failure reports (std::__throw_*) bring every standard exception class with its own
// reference-counted string copy; operator new throws bad_alloc, which brings the exception
// runtime and, through its per-thread state, the POSIX thread library. The replacements end the
// process as terminate would, by calling its handler directly. Only the executable links this
// file; the unit tests keep the library's versions.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>

#ifdef __GLIBCXX__
#include <bits/functexcept.h>

namespace {
[[noreturn]] void endOnFailure() {
    std::fputs("terminate called: the launcher ends\n", stderr);
    std::abort();
}
} // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    endOnFailure();
}
} // namespace __gnu_cxx

namespace {

// Null when memory stays short and no new-handler is installed to free some.
void* allocate(std::size_t size) {
    for (;;) {
        if (void* memory = std::malloc(size == 0 ? 1 : size))
            return memory;
        std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            return nullptr;
        handler();
    }
}
} // namespace

// Allocation failure ends the process where bad_alloc would have gone uncaught; the nothrow
// form still answers null (the standard algorithms' temporary buffers fall back on it).
void* operator new(std::size_t size) {
    if (void* memory = allocate(size))
        return memory;
    endOnFailure();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}

// The linker takes a library member only for a symbol still undefined, so these must cover
// every symbol of the members they replace (functexcept.o, and the system_error and
// bad_function_call throws); a missing one shows as a duplicate definition at link time.
namespace std {
void __throw_bad_exception() {
    endOnFailure();
}
void __throw_bad_alloc() {
    endOnFailure();
}
void __throw_bad_array_new_length() {
    endOnFailure();
}
void __throw_bad_cast() {
    endOnFailure();
}
void __throw_bad_typeid() {
    endOnFailure();
}
void __throw_bad_function_call() {
    endOnFailure();
}
void __throw_logic_error(const char*) {
    endOnFailure();
}
void __throw_domain_error(const char*) {
    endOnFailure();
}
void __throw_invalid_argument(const char*) {
    endOnFailure();
}
void __throw_length_error(const char*) {
    endOnFailure();
}
void __throw_out_of_range(const char*) {
    endOnFailure();
}
void __throw_out_of_range_fmt(const char*, ...) {
    endOnFailure();
}
void __throw_runtime_error(const char*) {
    endOnFailure();
}
void __throw_range_error(const char*) {
    endOnFailure();
}
void __throw_overflow_error(const char*) {
    endOnFailure();
}
void __throw_underflow_error(const char*) {
    endOnFailure();
}
void __throw_system_error(int) {
    endOnFailure();
}
} // namespace std
#endif
