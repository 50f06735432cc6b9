// The C++ runtime's default terminate handler names the exception's type, and so links in a
// symbol demangler and a full printf: about a sixth of the executable. A GUI process has no
// console to print to, so it ends the same way without them.
#include <cstdio>
#include <cstdlib>

#ifdef __GLIBCXX__
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::fputs("terminate called: the launcher ends\n", stderr);
    std::abort();
}
} // namespace __gnu_cxx
#endif
