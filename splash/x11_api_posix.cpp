#include "splash/x11_api.h"

#include "splash/run_time_library.h"

bool loadX11Api(X11Api& api) {
    void* library = openRunTimeLibrary("libX11.so.6");
    if (!library || !(LAUNCHER_X11_FUNCTIONS(RUN_TIME_RESOLVE) true))
        return false;
    // Each optional library comes whole or not at all.
    library = openRunTimeLibrary("libXext.so.6");
    if (!library || !(LAUNCHER_XSHAPE_FUNCTIONS(RUN_TIME_RESOLVE) true))
        api.XShapeCombineRectangles = nullptr;
    library = openRunTimeLibrary("libXrandr.so.2");
    if (!library || !(LAUNCHER_XRANDR_FUNCTIONS(RUN_TIME_RESOLVE) true))
        api.XRRGetMonitors = nullptr;
    return true;
}
