// Test tool: the smallest window manager that gives windows a frame, for tests of placement by
// the outer frame on a display that has no window manager. It does not reparent: each window
// gets frame extents (left 4, right 4, top 28, bottom 4) in _NET_FRAME_EXTENTS, announced as
// supported the way window managers do, and is kept where such a frame would put it: the
// position a window asks for is its frame's top-left corner (north-west gravity), so the window
// itself goes 4 right and 28 down of it. Prints "ready" once it manages the display; runs until
// killed. Exit status 1 when another window manager runs or the display cannot be opened.

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <initializer_list>

namespace {

constexpr long frameLeft = 4, frameRight = 4, frameTop = 28, frameBottom = 4;

bool otherManager = false;

int onError(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess)
        otherManager = true;
    return 0; // windows that vanish meanwhile are no concern
}

Atom atom(Display* display, const char* name) {
    return XInternAtom(display, name, False);
}

void setFrameExtents(Display* display, Window window) {
    long extents[4] = {frameLeft, frameRight, frameTop, frameBottom};
    XChangeProperty(display, window, atom(display, "_NET_FRAME_EXTENTS"), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(extents), 4);
}

void announce(Display* display, Window root) {
    Window check = XCreateSimpleWindow(display, root, -10, -10, 1, 1, 0, 0, 0);
    for (Window window : {root, check})
        XChangeProperty(display, window, atom(display, "_NET_SUPPORTING_WM_CHECK"), XA_WINDOW, 32,
                        PropModeReplace, reinterpret_cast<unsigned char*>(&check), 1);
    Atom supported[] = {atom(display, "_NET_FRAME_EXTENTS"),
                        atom(display, "_NET_REQUEST_FRAME_EXTENTS")};
    XChangeProperty(display, root, atom(display, "_NET_SUPPORTED"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(supported), 2);
}

void onConfigureRequest(Display* display, const XConfigureRequestEvent& request) {
    XWindowChanges changes{};
    changes.x = request.x + static_cast<int>(frameLeft);
    changes.y = request.y + static_cast<int>(frameTop);
    changes.width = request.width;
    changes.height = request.height;
    changes.border_width = request.border_width;
    changes.sibling = request.above;
    changes.stack_mode = request.detail;
    XConfigureWindow(display, request.window, static_cast<unsigned>(request.value_mask), &changes);
}

void onMapRequest(Display* display, Window window) {
    setFrameExtents(display, window);
    Window root;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth))
        XMoveWindow(display, window, x + static_cast<int>(frameLeft),
                    y + static_cast<int>(frameTop));
    XMapWindow(display, window);
}

} // namespace

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    XSetErrorHandler(onError);
    Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureRedirectMask | SubstructureNotifyMask);
    XSync(display, False);
    if (otherManager)
        return 1;
    announce(display, root);
    XSync(display, False);
    std::puts("ready");
    std::fflush(stdout);
    const Atom requestExtents = atom(display, "_NET_REQUEST_FRAME_EXTENTS");
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapRequest)
            onMapRequest(display, event.xmaprequest.window);
        else if (event.type == ConfigureRequest)
            onConfigureRequest(display, event.xconfigurerequest);
        else if (event.type == ClientMessage && event.xclient.message_type == requestExtents)
            setFrameExtents(display, event.xclient.window);
    }
}
