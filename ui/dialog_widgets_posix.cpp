#include "ui/dialog_widgets.h"

#include "ui/window_request.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <unistd.h>

DialogBaseUnits measureBaseUnits(const GtkApi& gtk, GtkWidget* widget) {
    PangoLayout* text = gtk.gtk_widget_create_pango_layout(
        widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0, height = 0;
    gtk.pango_layout_get_pixel_size(text, &width, &height);
    gtk.g_object_unref(text);
    return dialogBaseUnits(width, height);
}

GtkWidget* makeWrappedLabel(const GtkApi& gtk, const std::string& text) {
    GtkWidget* label = gtk.gtk_label_new(displayableText(text).c_str());
    gtk.gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk.gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk.gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    return label;
}

namespace {

std::optional<PixelRect> primaryWorkArea(const GtkApi& gtk) {
    GdkDisplay* display = gtk.gdk_display_get_default();
    GdkMonitor* monitor = display ? gtk.gdk_display_get_primary_monitor(display) : nullptr;
    if (display && !monitor)
        monitor = gtk.gdk_display_get_monitor(display, 0);
    if (!monitor)
        return std::nullopt;
    GdkRectangle area{};
    gtk.gdk_monitor_get_workarea(monitor, &area);
    return PixelRect{area.x, area.y, area.x + area.width, area.y + area.height};
}

struct Placement {
    const GtkApi* gtk;
    PixelRect workArea;
};

gboolean onMapped(GtkWidget* widget, GdkEvent*, gpointer data) {
    const Placement& placement = *static_cast<Placement*>(data);
    const GtkApi& gtk = *placement.gtk;
    GdkWindow* surface = gtk.gtk_widget_get_window(widget);
    if (!surface)
        return FALSE;
    GdkRectangle frame{};
    gtk.gdk_window_get_frame_extents(surface, &frame);
    const PixelPoint wanted =
        centeredPosition(frame.width, frame.height, nullptr, placement.workArea);
    if (std::abs(wanted.x - frame.x) > 1 || std::abs(wanted.y - frame.y) > 1)
        gtk.gtk_window_move(GTK_WINDOW(widget), wanted.x, wanted.y);
    return FALSE;
}

void deletePlacement(gpointer data, GClosure*) {
    delete static_cast<Placement*>(data);
}

ControlNeed measureNeed(const GtkApi& gtk, GtkWidget* widget, int32_t width, bool wraps) {
    ControlNeed need;
    gint minimum = 0, natural = 0;
    if (!wraps) {
        gtk.gtk_widget_get_preferred_width(widget, &minimum, &natural);
        need.width = minimum;
    }
    gtk.gtk_widget_get_preferred_height_for_width(widget, width, &minimum, &natural);
    need.height = minimum;
    return need;
}

struct LayoutReport {
    const GtkApi* gtk;
    GtkWidget* container;
    std::vector<DialogControl> controls;
    std::string path;
};

void writeLayoutReport(const LayoutReport& report) {
    const GtkApi& gtk = *report.gtk;
    // The caller's own file: never one a planted link points to.
    const int descriptor =
        open(report.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::FILE* file = descriptor >= 0 ? fdopen(descriptor, "w") : nullptr;
    if (!file) {
        if (descriptor >= 0)
            close(descriptor);
        return;
    }
    GtkAllocation client{};
    gtk.gtk_widget_get_allocation(report.container, &client);
    std::fprintf(file, "client %d %d\n", client.width, client.height);
    for (const DialogControl& control : report.controls) {
        GtkAllocation at{};
        gtk.gtk_widget_get_allocation(control.widget, &at);
        const ControlNeed need = measureNeed(gtk, control.widget, at.width, control.wraps);
        std::fprintf(file, "control %d %d %d %d %d %d %d\n", control.id, at.x - client.x,
                     at.y - client.y, at.width, at.height, need.width, need.height);
        if (gchar* tooltip = gtk.gtk_widget_get_tooltip_text(control.widget)) {
            std::fprintf(file, "tooltip %d %s\n", control.id, tooltip);
            gtk.g_free(tooltip);
        }
    }
    std::fclose(file);
}

// After the first frame is drawn, when every allocation is final.
gboolean onFirstDraw(GtkWidget*, cairo_t*, gpointer data) {
    auto* report = static_cast<LayoutReport*>(data);
    if (!report->path.empty())
        writeLayoutReport(*report);
    report->path.clear();
    return FALSE;
}

void deleteReport(gpointer data, GClosure*) {
    delete static_cast<LayoutReport*>(data);
}

} // namespace

void markAsDialog(const GtkApi& gtk, GtkWindow* window, const std::string& title) {
    gtk.gtk_window_set_title(window, displayableText(title).c_str());
    gtk.gtk_window_set_type_hint(window, GDK_WINDOW_TYPE_HINT_DIALOG);
}

void centreOnWorkArea(const GtkApi& gtk, GtkWindow* window, int32_t width, int32_t height) {
    const std::optional<PixelRect> workArea = primaryWorkArea(gtk);
    if (!workArea)
        return;
    // Placed by its top-left corner, which for the window manager is its frame's.
    const PixelPoint at = centeredPosition(width, height, nullptr, *workArea);
    gtk.gtk_window_move(window, at.x, at.y);
    gtk.g_signal_connect_data(window, "map-event", G_CALLBACK(onMapped),
                              new Placement{&gtk, *workArea}, deletePlacement, GConnectFlags(0));
}

std::vector<DialogControl> templateBoxes(const PlacedControl* units, DialogBaseUnits base) {
    std::vector<DialogControl> controls;
    for (const PlacedControl& control : controlsInPixels(units, base))
        controls.push_back({control.id, nullptr, control.rect, false});
    return controls;
}

GtkWidget* placeControls(const GtkApi& gtk, GtkWidget* dialog, PixelRect& client,
                         std::vector<DialogControl>& controls) {
    GtkWidget* fixed = gtk.gtk_fixed_new();
    for (const DialogControl& control : controls) {
        gtk.gtk_fixed_put(GTK_FIXED(fixed), control.widget, control.box.left, control.box.top);
        gtk.gtk_widget_show_all(control.widget); // a hidden widget needs no room
    }
    // Measured inside the window, where the theme's styles for the dialog apply.
    gtk.gtk_container_add(GTK_CONTAINER(dialog), fixed);
    std::vector<PlacedControl> boxes;
    std::vector<ControlNeed> needs;
    for (const DialogControl& control : controls) {
        boxes.push_back({control.id, control.box});
        needs.push_back(measureNeed(gtk, control.widget, control.box.width(), control.wraps));
    }
    growToFit(client, boxes, needs);
    for (size_t i = 0; i < controls.size(); ++i) {
        DialogControl& control = controls[i];
        control.box = boxes[i].rect;
        gtk.gtk_widget_set_size_request(control.widget, control.box.width(), control.box.height());
        gtk.gtk_fixed_move(GTK_FIXED(fixed), control.widget, control.box.left, control.box.top);
    }
    return fixed;
}

void reportLayoutIfAsked(const GtkApi& gtk, GtkWidget* container,
                         const std::vector<DialogControl>& controls) {
    const char* path = std::getenv("JL_WINDOW_LAYOUT");
    if (!path || !*path)
        return;
    gtk.g_signal_connect_data(container, "draw", G_CALLBACK(onFirstDraw),
                              new LayoutReport{&gtk, container, controls, path}, deleteReport,
                              G_CONNECT_AFTER);
}
