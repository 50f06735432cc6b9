#include "splash/x11_api.h"

#include <dlfcn.h>

namespace {

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

void* openLibrary(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

#define LAUNCHER_X11_RESOLVE(name) resolve(library, #name, api.name)&&

} // namespace

bool loadX11Api(X11Api& api) {
    void* library = openLibrary("libX11.so.6");
    if (!library || !(LAUNCHER_X11_FUNCTIONS(LAUNCHER_X11_RESOLVE) true))
        return false;
    // Each optional library comes whole or not at all.
    library = openLibrary("libXext.so.6");
    if (!library || !(LAUNCHER_XSHAPE_FUNCTIONS(LAUNCHER_X11_RESOLVE) true))
        api.XShapeCombineRectangles = nullptr;
    library = openLibrary("libXrandr.so.2");
    if (!library || !(LAUNCHER_XRANDR_FUNCTIONS(LAUNCHER_X11_RESOLVE) true))
        api.XRRGetMonitors = nullptr;
    return true;
}
