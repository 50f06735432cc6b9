#pragma once

// Xlib as the splash window sees it: a table of the functions it calls, typed from the X11
// headers and resolved at run time, so that the launcher itself links no X library and the
// splash needs no toolkit. Only window-process code includes this header.

#include "splash/run_time_library.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/shape.h>

#define LAUNCHER_X11_FUNCTIONS(F)                                                                  \
    F(XChangeProperty)                                                                             \
    F(XCloseDisplay)                                                                               \
    F(XCreateColormap)                                                                             \
    F(XCreateGC)                                                                                   \
    F(XCreateImage)                                                                                \
    F(XCreatePixmap)                                                                               \
    F(XCreateWindow)                                                                               \
    F(XDefaultDepth)                                                                               \
    F(XDefaultScreen)                                                                              \
    F(XDefaultVisual)                                                                              \
    F(XDisplayHeight)                                                                              \
    F(XDisplayWidth)                                                                               \
    F(XFlush)                                                                                      \
    F(XFree)                                                                                       \
    F(XGetSelectionOwner)                                                                          \
    F(XGetWindowProperty)                                                                          \
    F(XInternAtoms)                                                                                \
    F(XMapWindow)                                                                                  \
    F(XMatchVisualInfo)                                                                            \
    F(XNextEvent)                                                                                  \
    F(XOpenDisplay)                                                                                \
    F(XPutImage)                                                                                   \
    F(XRootWindow)                                                                                 \
    F(XSetErrorHandler)                                                                            \
    F(XSetWMHints)                                                                                 \
    F(XSetWMNormalHints)                                                                           \
    F(XStoreName)

// From libXext: cutting the window to the picture's opaque part.
#define LAUNCHER_XSHAPE_FUNCTIONS(F) F(XShapeCombineRectangles)

// From libXrandr: the primary monitor.
#define LAUNCHER_XRANDR_FUNCTIONS(F)                                                               \
    F(XRRFreeMonitors)                                                                             \
    F(XRRGetMonitors)

struct X11Api {
    LAUNCHER_X11_FUNCTIONS(RUN_TIME_MEMBER)
    LAUNCHER_XSHAPE_FUNCTIONS(RUN_TIME_MEMBER)
    LAUNCHER_XRANDR_FUNCTIONS(RUN_TIME_MEMBER)

    bool hasShape() const { return XShapeCombineRectangles != nullptr; }
    bool hasMonitors() const { return XRRGetMonitors != nullptr; }
};

// Loads libX11 and fills its entries; false when it or one of its functions is missing. The
// shape and monitor entries stay null where libXext or libXrandr is missing. The libraries
// stay loaded for the rest of the process, which ends with its window.
bool loadX11Api(X11Api& api);
