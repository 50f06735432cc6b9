#include "ui/gtk_api.h"

#include <dlfcn.h>

namespace {

// Looks name up in GTK and the libraries it brought in (GDK, Pango, GObject).
template <typename Function>
bool resolve(void* library, const char* name, Function& function, std::string& reason) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    if (!function)
        reason = std::string("GTK 3 has no function ") + name;
    return function != nullptr;
}

} // namespace

bool loadGtkApi(GtkApi& api, std::string& reason) {
    void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* error = dlerror();
        reason = std::string("GTK 3 could not be loaded: ") + (error ? error : "unknown error");
        return false;
    }
#define LAUNCHER_GTK_RESOLVE(name)                                                                 \
    if (!resolve(library, #name, api.name, reason))                                                \
        return false;
    LAUNCHER_GTK_FUNCTIONS(LAUNCHER_GTK_RESOLVE)
#undef LAUNCHER_GTK_RESOLVE
    return true;
}
