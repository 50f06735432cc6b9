#include "ui/dialog_widgets.h"

#include "ui/window_request.h"

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

std::optional<PixelPoint> centredOnWorkArea(const GtkApi& gtk, int32_t width, int32_t height) {
    GdkDisplay* display = gtk.gdk_display_get_default();
    GdkMonitor* monitor = display ? gtk.gdk_display_get_primary_monitor(display) : nullptr;
    if (display && !monitor)
        monitor = gtk.gdk_display_get_monitor(display, 0);
    if (!monitor)
        return std::nullopt;
    GdkRectangle area{};
    gtk.gdk_monitor_get_workarea(monitor, &area);
    const PixelRect workArea{area.x, area.y, area.x + area.width, area.y + area.height};
    return centeredPosition(width, height, nullptr, workArea);
}
