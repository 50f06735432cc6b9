// The splash window kind of the window process, drawn with plain Xlib: no toolkit to load,
// so the picture is on the screen soon after the process starts. The picture becomes the
// window's background pixmap, which the X server paints by itself whenever the window shows;
// the window is borderless, without a taskbar entry, centred on the primary monitor and not
// kept above other windows. It stays until the launcher closes the channel, which ends the
// window process.

#include "splash/splash_window_host.h"

#include "splash/picture_decoder.h"
#include "splash/picture_header.h"
#include "splash/splash_window.h"
#include "splash/x11_api.h"

#include <X11/Xatom.h>
#include <memory>
#include <string>

namespace {

WindowMessage nothingShown() {
    return WindowMessage{"answer", {}};
}

// The connection owns every server resource made on it: they go when it closes.
class DisplayConnection {
  public:
    DisplayConnection(const X11Api& x, Display* display) : x_(x), display_(display) {}
    ~DisplayConnection() {
        if (display_)
            x_.XCloseDisplay(display_);
    }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    Display* get() const { return display_; }

  private:
    const X11Api& x_;
    Display* display_;
};

// A failed request (a property the server refuses, say) must not end the splash.
int ignoreError(Display*, XErrorEvent*) {
    return 0;
}

enum AtomName {
    windowType,
    windowTypeSplash,
    windowState,
    stateSkipTaskbar,
    stateSkipPager,
    motifHints,
    workArea,
    currentDesktop,
    compositingManager,
    atomCount
};

struct SplashVisual {
    Visual* visual = nullptr;
    int depth = 0;
    bool alpha = false;
};

struct DisplayScreen {
    Display* display;
    int number;
    Window root;
    Atom atoms[atomCount];
};

bool internAtoms(const X11Api& x, DisplayScreen& screen) {
    const std::string manager = "_NET_WM_CM_S" + std::to_string(screen.number);
    const char* names[atomCount] = {"_NET_WM_WINDOW_TYPE",
                                    "_NET_WM_WINDOW_TYPE_SPLASH",
                                    "_NET_WM_STATE",
                                    "_NET_WM_STATE_SKIP_TASKBAR",
                                    "_NET_WM_STATE_SKIP_PAGER",
                                    "_MOTIF_WM_HINTS",
                                    "_NET_WORKAREA",
                                    "_NET_CURRENT_DESKTOP",
                                    manager.c_str()};
    return x.XInternAtoms(screen.display, const_cast<char**>(names), atomCount, False,
                          screen.atoms) != 0;
}

// A 32-bit visual with alpha where a compositing manager will blend it; else the default one.
SplashVisual chooseVisual(const X11Api& x, const DisplayScreen& screen) {
    XVisualInfo info{};
    if (x.XGetSelectionOwner(screen.display, screen.atoms[compositingManager]) != None &&
        x.XMatchVisualInfo(screen.display, screen.number, 32, TrueColor, &info))
        return {info.visual, 32, true};
    return {x.XDefaultVisual(screen.display, screen.number),
            x.XDefaultDepth(screen.display, screen.number), false};
}

PixelLayout layoutOf(const SplashVisual& visual) {
    PixelLayout layout;
    layout.redMask = static_cast<uint32_t>(visual.visual->red_mask);
    layout.greenMask = static_cast<uint32_t>(visual.visual->green_mask);
    layout.blueMask = static_cast<uint32_t>(visual.visual->blue_mask);
    if (visual.alpha)
        layout.alphaMask = ~(layout.redMask | layout.greenMask | layout.blueMask);
    return layout;
}

// The primary monitor (or the first) as XRandR reports it; else the whole screen.
SplashArea primaryMonitor(const X11Api& x, const DisplayScreen& screen) {
    SplashArea area{0, 0, x.XDisplayWidth(screen.display, screen.number),
                    x.XDisplayHeight(screen.display, screen.number)};
    int count = 0;
    XRRMonitorInfo* monitors =
        x.hasMonitors() ? x.XRRGetMonitors(screen.display, screen.root, True, &count) : nullptr;
    if (!monitors)
        return area;
    if (count > 0) {
        const XRRMonitorInfo* chosen = &monitors[0];
        for (int i = 0; i < count; ++i)
            if (monitors[i].primary)
                chosen = &monitors[i];
        area = {chosen->x, chosen->y, chosen->width, chosen->height};
    }
    x.XRRFreeMonitors(monitors);
    return area;
}

// The 32-bit values of a CARDINAL property of the root window; empty where it is not set.
std::vector<int64_t> rootCardinals(const X11Api& x, const DisplayScreen& screen, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<int64_t> values;
    if (x.XGetWindowProperty(screen.display, screen.root, property, 0, 4096, False, XA_CARDINAL,
                             &type, &format, &count, &after, &data) == Success &&
        data && type == XA_CARDINAL && format == 32) {
        // Xlib hands 32-bit items as longs.
        const long* items = reinterpret_cast<const long*>(data);
        values.assign(items, items + count);
    }
    if (data)
        x.XFree(data);
    return values;
}

// What the window manager leaves to windows on the monitor (panels and docks excluded).
SplashArea workAreaOf(const X11Api& x, const DisplayScreen& screen, const SplashArea& monitor) {
    const std::vector<int64_t> desktop = rootCardinals(x, screen, screen.atoms[currentDesktop]);
    return splashWorkArea(rootCardinals(x, screen, screen.atoms[workArea]),
                          desktop.empty() ? 0 : desktop[0], monitor);
}

// A pixmap of the picture in the visual's format.
Pixmap pictureToPixmap(const X11Api& x, const DisplayScreen& screen, const SplashVisual& visual,
                       const SplashImage& picture) {
    std::vector<uint32_t> pixels = visualPixels(picture, layoutOf(visual));
    const auto width = static_cast<unsigned>(picture.width);
    const auto height = static_cast<unsigned>(picture.height);
    XImage* image =
        x.XCreateImage(screen.display, visual.visual, static_cast<unsigned>(visual.depth), ZPixmap,
                       0, nullptr, width, height, 32, 0);
    if (!image)
        return None;
    std::vector<char> converted;
    if (image->bits_per_pixel == 32) {
        image->byte_order = isLittleEndianMachine() ? LSBFirst : MSBFirst;
        image->data = reinterpret_cast<char*>(pixels.data());
    } else {
        // Other pixel sizes (a 16-bit display) go through Xlib's own conversion.
        converted.resize(static_cast<size_t>(image->bytes_per_line) * height);
        image->data = converted.data();
        for (unsigned row = 0; row < height; ++row)
            for (unsigned column = 0; column < width; ++column)
                XPutPixel(image, static_cast<int>(column), static_cast<int>(row),
                          pixels[row * static_cast<size_t>(width) + column]);
    }
    Pixmap pixmap = x.XCreatePixmap(screen.display, screen.root, width, height,
                                    static_cast<unsigned>(visual.depth));
    GC context = x.XCreateGC(screen.display, pixmap, 0, nullptr);
    x.XPutImage(screen.display, pixmap, context, image, 0, 0, 0, 0, width, height);
    image->data = nullptr; // the pixels belong to the vectors
    XDestroyImage(image);
    return pixmap;
}

Window createWindow(const X11Api& x, const DisplayScreen& screen, const SplashVisual& visual,
                    Pixmap background, const SplashArea& place) {
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = background;
    attributes.border_pixel = 0;
    unsigned long mask = CWBackPixmap | CWBorderPixel;
    if (visual.alpha) {
        attributes.colormap =
            x.XCreateColormap(screen.display, screen.root, visual.visual, AllocNone);
        mask |= CWColormap;
    }
    return x.XCreateWindow(screen.display, screen.root, place.x, place.y,
                           static_cast<unsigned>(place.width), static_cast<unsigned>(place.height),
                           0, visual.depth, InputOutput, visual.visual, mask, &attributes);
}

void setAtoms(const X11Api& x, const DisplayScreen& screen, Window window, Atom property,
              const std::vector<Atom>& values) {
    x.XChangeProperty(screen.display, window, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(values.data()),
                      static_cast<int>(values.size()));
}

// What the window manager is told: a splash without decoration, taskbar or pager entry that
// takes no focus and stays where and as large as it is.
void describeWindow(const X11Api& x, const DisplayScreen& screen, Window window,
                    const SplashArea& place) {
    // Never shown (no decoration); it lets tools find the window.
    x.XStoreName(screen.display, window, "SplashScreenWindow");
    setAtoms(x, screen, window, screen.atoms[windowType], {screen.atoms[windowTypeSplash]});
    setAtoms(x, screen, window, screen.atoms[windowState],
             {screen.atoms[stateSkipTaskbar], screen.atoms[stateSkipPager]});
    const long noDecorations[5] = {2 /* decorations field set */, 0, 0, 0, 0};
    x.XChangeProperty(screen.display, window, screen.atoms[motifHints], screen.atoms[motifHints],
                      32, PropModeReplace, reinterpret_cast<const unsigned char*>(noDecorations),
                      5);
    XWMHints hints{};
    hints.flags = InputHint;
    hints.input = False;
    x.XSetWMHints(screen.display, window, &hints);
    XSizeHints size{};
    size.flags = USPosition | PPosition | PMinSize | PMaxSize;
    size.x = place.x;
    size.y = place.y;
    size.min_width = size.max_width = place.width;
    size.min_height = size.max_height = place.height;
    x.XSetWMNormalHints(screen.display, window, &size);
}

// Where the display cannot compose, the window's shape leaves out the transparent parts.
void cutOutTransparency(const X11Api& x, const DisplayScreen& screen, Window window,
                        const SplashImage& picture) {
    if (!x.hasShape() || !hasTransparentPixels(picture))
        return;
    std::vector<XRectangle> rectangles;
    for (const SplashRun& run : opaqueRuns(picture))
        if (run.x <= INT16_MAX && run.y <= INT16_MAX)
            rectangles.push_back({static_cast<short>(run.x), static_cast<short>(run.y),
                                  static_cast<unsigned short>(run.width), 1});
    x.XShapeCombineRectangles(screen.display, window, ShapeBounding, 0, 0, rectangles.data(),
                              static_cast<int>(rectangles.size()), ShapeSet, YXBanded);
}

// Shows the picture and keeps the connection served until the process is ended; returns
// only when the picture cannot be shown.
void showOnScreen(const X11Api& x, DisplayScreen& screen, const SplashArea& monitor,
                  SplashImage picture, bool shadow) {
    SplashVisual visual = chooseVisual(x, screen);
    // The pixels are made for visuals that give each colour its bits (all of today's).
    if (visual.visual->c_class != TrueColor)
        return;
    SplashPosition position =
        centredSplashPosition(monitor.width, monitor.height, picture.width, picture.height);
    SplashArea place{monitor.x + position.left, monitor.y + position.top, picture.width,
                     picture.height};
    // A shadow needs a display that blends the window with what lies below it.
    if (shadow && visual.alpha) {
        picture = withDropShadow(picture);
        place = {place.x - splashShadowMargin, place.y - splashShadowMargin, picture.width,
                 picture.height};
    }
    Pixmap background = pictureToPixmap(x, screen, visual, picture);
    if (background == None)
        return;
    Window window = createWindow(x, screen, visual, background, place);
    describeWindow(x, screen, window, place);
    if (!visual.alpha)
        cutOutTransparency(x, screen, window, picture);
    x.XMapWindow(screen.display, window);
    x.XFlush(screen.display);
    for (;;) {
        XEvent event;
        x.XNextEvent(screen.display, &event);
    }
}

} // namespace

WindowMessage splashWindowRequest(const SplashRequest& request) {
    WindowMessage message{"splash", {}};
    message.add("image", request.imagePath);
    message.add("shadow", request.shadow ? "true" : "false");
    return message;
}

WindowMessage showSplashWindow(const WindowMessage& request) {
    // A picture that cannot be read, or whose header claims too many pixels, shows nothing,
    // and nothing is said. Formats without a known header are measured once decoded.
    const std::string bytes = readSplashPictureFile(request.field("image"));
    PictureHeaderSize claimed;
    const bool sized = readPictureHeaderSize(reinterpret_cast<const unsigned char*>(bytes.data()),
                                             bytes.size(), claimed);
    claimed = headerPixelSize(claimed, 96, 96);
    if (bytes.empty() || (sized && !isShowableSplashSize(claimed.width, claimed.height)))
        return nothingShown();
    X11Api x;
    if (!loadX11Api(x))
        return failedWindowAnswer("libX11 could not be loaded");
    DisplayConnection connection(x, x.XOpenDisplay(nullptr));
    if (!connection.get())
        return failedWindowAnswer("the display could not be opened");
    x.XSetErrorHandler(ignoreError);
    DisplayScreen screen{connection.get(), x.XDefaultScreen(connection.get()), 0, {}};
    screen.root = x.XRootWindow(screen.display, screen.number);
    if (!internAtoms(x, screen))
        return nothingShown();
    // A picture larger than the work area shows nothing: it would cover the desktop, and its
    // decoding alone could outlast the program's start, so that it showed beside or after the
    // program's own window.
    const SplashArea monitor = primaryMonitor(x, screen);
    const SplashArea limit = workAreaOf(x, screen, monitor);
    if (sized && !fitsSplashArea(claimed.width, claimed.height, limit))
        return nothingShown();
    SplashImage picture;
    if (!decodeSplashPicture(bytes, picture) ||
        !fitsSplashArea(picture.width, picture.height, limit))
        return nothingShown();
    showOnScreen(x, screen, monitor, std::move(picture), request.field("shadow") == "true");
    return nothingShown();
}
