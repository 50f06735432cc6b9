// The splash window kind of the window process: the picture, decoded by GdkPixbuf (PNG with
// its alpha, JPEG, GIF, BMP, ICO, ...), in a borderless window without a taskbar entry,
// centred on the primary monitor and not kept above other windows. It stays until the
// launcher closes the channel, which ends the window process.

#include "splash/splash_window_host.h"

#include "splash/splash_window.h"
#include "ui/gtk_api.h"

#include <dlfcn.h>
#include <fstream>
#include <string>

namespace {

#define SPLASH_GTK_FUNCTIONS(F)                                                                    \
    F(cairo_paint)                                                                                 \
    F(cairo_region_destroy)                                                                        \
    F(cairo_set_operator)                                                                          \
    F(cairo_set_source_rgba)                                                                       \
    F(cairo_surface_destroy)                                                                       \
    F(g_error_free)                                                                                \
    F(g_object_unref)                                                                              \
    F(gdk_cairo_region_create_from_surface)                                                        \
    F(gdk_cairo_set_source_pixbuf)                                                                 \
    F(gdk_cairo_surface_create_from_pixbuf)                                                        \
    F(gdk_monitor_get_geometry)                                                                    \
    F(gdk_pixbuf_get_height)                                                                       \
    F(gdk_pixbuf_get_width)                                                                        \
    F(gdk_pixbuf_loader_close)                                                                     \
    F(gdk_pixbuf_loader_get_pixbuf)                                                                \
    F(gdk_pixbuf_loader_new)                                                                       \
    F(gdk_pixbuf_loader_new_with_type)                                                             \
    F(gdk_pixbuf_loader_write)                                                                     \
    F(gdk_screen_get_rgba_visual)                                                                  \
    F(gdk_screen_is_composited)                                                                    \
    F(gtk_widget_get_screen)                                                                       \
    F(gtk_widget_set_app_paintable)                                                                \
    F(gtk_widget_set_visual)                                                                       \
    F(gtk_widget_shape_combine_region)                                                             \
    F(gtk_window_set_accept_focus)                                                                 \
    F(gtk_window_set_decorated)                                                                    \
    F(gtk_window_set_skip_pager_hint)                                                              \
    F(gtk_window_set_skip_taskbar_hint)                                                            \
    F(gtk_window_set_type_hint)

// What the splash needs beyond the shared table, from the GTK the window process has loaded.
struct SplashGtk {
#define SPLASH_GTK_MEMBER(name) decltype(&::name) name = nullptr;
    SPLASH_GTK_FUNCTIONS(SPLASH_GTK_MEMBER)
#undef SPLASH_GTK_MEMBER
};

bool loadSplashGtk(SplashGtk& api) {
    void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD);
    if (!library)
        return false;
#define SPLASH_GTK_RESOLVE(name)                                                                   \
    api.name = reinterpret_cast<decltype(api.name)>(dlsym(library, #name));                        \
    if (!api.name)                                                                                 \
        return false;
    SPLASH_GTK_FUNCTIONS(SPLASH_GTK_RESOLVE)
#undef SPLASH_GTK_RESOLVE
    return true;
}

struct SplashScene {
    const SplashGtk* gtk;
    GdkPixbuf* picture;
};

gboolean drawPicture(GtkWidget*, cairo_t* cairo, gpointer data) {
    const auto* scene = static_cast<const SplashScene*>(data);
    const SplashGtk& gtk = *scene->gtk;
    // Transparent first, so that an RGBA window shows what lies below where the picture does.
    gtk.cairo_set_source_rgba(cairo, 0, 0, 0, 0);
    gtk.cairo_set_operator(cairo, CAIRO_OPERATOR_SOURCE);
    gtk.cairo_paint(cairo);
    gtk.cairo_set_operator(cairo, CAIRO_OPERATOR_OVER);
    gtk.gdk_cairo_set_source_pixbuf(cairo, scene->picture, 0, 0);
    gtk.cairo_paint(cairo);
    return TRUE;
}

// Where the display composes, the window gets an alpha channel; elsewhere its shape leaves
// out the picture's transparent parts.
void keepTransparency(const SplashGtk& gtk, GtkWidget* window, GdkPixbuf* picture) {
    GdkScreen* screen = gtk.gtk_widget_get_screen(window);
    GdkVisual* visual = gtk.gdk_screen_get_rgba_visual(screen);
    if (visual && gtk.gdk_screen_is_composited(screen)) {
        gtk.gtk_widget_set_visual(window, visual);
        return;
    }
    cairo_surface_t* surface = gtk.gdk_cairo_surface_create_from_pixbuf(picture, 1, nullptr);
    cairo_region_t* opaque = gtk.gdk_cairo_region_create_from_surface(surface);
    gtk.gtk_widget_shape_combine_region(window, opaque);
    gtk.cairo_region_destroy(opaque);
    gtk.cairo_surface_destroy(surface);
}

GdkRectangle primaryMonitorArea(const GtkApi& gtk, const SplashGtk& splash) {
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gtk.gdk_display_get_default();
    GdkMonitor* monitor = gtk.gdk_display_get_primary_monitor(display);
    if (!monitor)
        monitor = gtk.gdk_display_get_monitor(display, 0);
    if (monitor)
        splash.gdk_monitor_get_geometry(monitor, &area);
    return area;
}

std::string readPictureFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    char buffer[65536];
    while (file && bytes.size() <= maximumSplashPictureSize) {
        file.read(buffer, sizeof(buffer));
        bytes.append(buffer, static_cast<size_t>(file.gcount()));
    }
    return bytes.size() <= maximumSplashPictureSize ? bytes : std::string();
}

// Decodes the picture; null when it is none. A format known by its first bytes goes straight
// to its decoder, which spares GdkPixbuf's detection through GIO (tens of milliseconds).
GdkPixbuf* loadPicture(const SplashGtk& gtk, const std::string& path) {
    std::string bytes = readPictureFile(path);
    if (bytes.empty())
        return nullptr;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const char* format = splashPictureFormat(data, bytes.size());
    GError* error = nullptr;
    GdkPixbufLoader* loader =
        format ? gtk.gdk_pixbuf_loader_new_with_type(format, &error) : gtk.gdk_pixbuf_loader_new();
    if (!loader) {
        if (error)
            gtk.g_error_free(error);
        return nullptr;
    }
    bool complete = gtk.gdk_pixbuf_loader_write(loader, data, bytes.size(), &error);
    // Closing is needed even after a failed write; its own error is then of no interest.
    complete = gtk.gdk_pixbuf_loader_close(loader, complete ? &error : nullptr) && complete;
    if (error)
        gtk.g_error_free(error);
    if (!complete) {
        gtk.g_object_unref(loader);
        return nullptr;
    }
    // The loader owns the picture and is kept with it: the window process ends with the window.
    return gtk.gdk_pixbuf_loader_get_pixbuf(loader);
}

WindowMessage nothingShown() {
    return WindowMessage{"answer", {}};
}

} // namespace

WindowMessage splashWindowRequest(const SplashRequest& request) {
    WindowMessage message{"splash", {}};
    message.add("image", request.imagePath);
    return message;
}

WindowMessage showSplashWindow(const GtkApi& gtk, const WindowMessage& request) {
    SplashGtk splash;
    if (!loadSplashGtk(splash))
        return nothingShown();
    GdkPixbuf* picture = loadPicture(splash, request.field("image"));
    // A picture that cannot be read shows nothing, and nothing is said.
    if (!picture)
        return nothingShown();
    int width = splash.gdk_pixbuf_get_width(picture);
    int height = splash.gdk_pixbuf_get_height(picture);
    GtkWidget* window = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GtkWindow* asWindow = GTK_WINDOW(window);
    // Never shown (no decoration, no taskbar entry); it lets tools find the window.
    gtk.gtk_window_set_title(asWindow, "SplashScreenWindow");
    splash.gtk_window_set_decorated(asWindow, FALSE);
    splash.gtk_window_set_skip_taskbar_hint(asWindow, TRUE);
    splash.gtk_window_set_skip_pager_hint(asWindow, TRUE);
    splash.gtk_window_set_type_hint(asWindow, GDK_WINDOW_TYPE_HINT_SPLASHSCREEN);
    splash.gtk_window_set_accept_focus(asWindow, FALSE);
    gtk.gtk_window_set_default_size(asWindow, width, height);
    gtk.gtk_widget_set_size_request(window, width, height);
    GdkRectangle area = primaryMonitorArea(gtk, splash);
    SplashPosition position = centredSplashPosition(area.width, area.height, width, height);
    gtk.gtk_window_move(asWindow, area.x + position.left, area.y + position.top);
    splash.gtk_widget_set_app_paintable(window, TRUE);
    keepTransparency(splash, window, picture);
    SplashScene scene{&splash, picture};
    gtk.g_signal_connect_data(window, "draw", G_CALLBACK(drawPicture), &scene, nullptr,
                              GConnectFlags(0));
    gtk.gtk_widget_show_all(window);
    gtk.gtk_main();
    return nothingShown();
}
