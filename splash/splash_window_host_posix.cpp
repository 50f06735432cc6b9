// The splash window kind of the window process: the picture, decoded by GdkPixbuf (PNG with
// its alpha, JPEG, GIF, BMP, ICO, ...), in a borderless window without a taskbar entry,
// centred on the primary monitor and not kept above other windows. It stays until the
// launcher closes the channel, which ends the window process.

#include "splash/splash_window_host.h"

#include "splash/splash_window.h"
#include "ui/gtk_api.h"

#include <dlfcn.h>

namespace {

#define SPLASH_GTK_FUNCTIONS(F)                                                                    \
    F(cairo_paint)                                                                                 \
    F(cairo_region_destroy)                                                                        \
    F(cairo_set_operator)                                                                          \
    F(cairo_set_source_rgba)                                                                       \
    F(cairo_surface_destroy)                                                                       \
    F(g_error_free)                                                                                \
    F(gdk_cairo_region_create_from_surface)                                                        \
    F(gdk_cairo_set_source_pixbuf)                                                                 \
    F(gdk_cairo_surface_create_from_pixbuf)                                                        \
    F(gdk_monitor_get_geometry)                                                                    \
    F(gdk_pixbuf_get_height)                                                                       \
    F(gdk_pixbuf_get_width)                                                                        \
    F(gdk_pixbuf_new_from_file)                                                                    \
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
    GError* error = nullptr;
    GdkPixbuf* picture = splash.gdk_pixbuf_new_from_file(request.field("image").c_str(), &error);
    // A picture that cannot be read shows nothing, and nothing is said.
    if (!picture) {
        if (error)
            splash.g_error_free(error);
        return nothingShown();
    }
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
