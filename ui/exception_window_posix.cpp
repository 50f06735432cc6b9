#include "ui/exception_window.h"
#include "ui/gtk_api.h"
#include "ui/window_host.h"

namespace {

struct ExceptionWindow {
    const GtkApi& gtk;
    AnchoredLayout layout;
    std::vector<GtkWidget*> widgets; // in the order of the layout's controls
    const char* choice = nullptr;    // the first answer; later ones are too late
};

void finish(ExceptionWindow& window, const char* choice) {
    if (window.choice)
        return;
    window.choice = choice;
    window.gtk.gtk_main_quit();
}

void onIgnore(GtkButton*, gpointer data) {
    finish(*static_cast<ExceptionWindow*>(data), "ignore");
}

void onStop(GtkButton*, gpointer data) {
    finish(*static_cast<ExceptionWindow*>(data), "stop");
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    finish(*static_cast<ExceptionWindow*>(data), "stop");
    return TRUE;
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    finish(*static_cast<ExceptionWindow*>(data), "stop");
    return TRUE;
}

// Runs after the fixed container has placed its children at their requested sizes, and moves
// them to where the anchor rules put them for the container's new size.
void onResize(GtkWidget*, GdkRectangle* area, gpointer data) {
    auto& window = *static_cast<ExceptionWindow*>(data);
    const std::vector<PlacedControl>& placed = window.layout.arrange(area->width, area->height);
    for (size_t i = 0; i < placed.size(); ++i) {
        const PixelRect& rect = placed[i].rect;
        GtkAllocation allocation{area->x + rect.left, area->y + rect.top, rect.width(),
                                 rect.height()};
        window.gtk.gtk_widget_size_allocate(window.widgets[i], &allocation);
    }
}

void connect(const GtkApi& gtk, gpointer instance, const char* signal, GCallback callback,
             ExceptionWindow& window, GConnectFlags flags = GConnectFlags(0)) {
    gtk.g_signal_connect_data(instance, signal, callback, &window, nullptr, flags);
}

DialogBaseUnits measureBaseUnits(const GtkApi& gtk, GtkWidget* widget) {
    PangoLayout* text = gtk.gtk_widget_create_pango_layout(
        widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    int width = 0, height = 0;
    gtk.pango_layout_get_pixel_size(text, &width, &height);
    gtk.g_object_unref(text);
    return dialogBaseUnits(width, height);
}

GtkWidget* makeLabel(const GtkApi& gtk, const std::string& text) {
    GtkWidget* label = gtk.gtk_label_new(displayableText(text).c_str());
    gtk.gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk.gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk.gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    return label;
}

GtkWidget* makeTraceBox(const GtkApi& gtk, const std::string& report) {
    GtkWidget* view = gtk.gtk_text_view_new();
    gtk.gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk.gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_WORD_CHAR);
    const std::string text = displayableText(report);
    gtk.gtk_text_buffer_set_text(gtk.gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)), text.c_str(),
                                 static_cast<gint>(text.size()));
    GtkWidget* scroller = gtk.gtk_scrolled_window_new(nullptr, nullptr);
    gtk.gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                       GTK_POLICY_ALWAYS);
    gtk.gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(scroller), GTK_SHADOW_IN);
    gtk.gtk_container_add(GTK_CONTAINER(scroller), view);
    return scroller;
}

GtkWidget* makeControl(ExceptionWindow& window, int32_t id, const WindowMessage& request) {
    const GtkApi& gtk = window.gtk;
    switch (id) {
    case ExceptionControl::frame:
        return gtk.gtk_frame_new(displayableText(request.field("group")).c_str());
    case ExceptionControl::icon:
        return gtk.gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DND);
    case ExceptionControl::heading:
        return makeLabel(gtk, request.field("heading"));
    case ExceptionControl::instructions:
        return makeLabel(gtk, request.field("instructions"));
    case ExceptionControl::warning:
        return makeLabel(gtk, request.field("warning"));
    case ExceptionControl::trace:
        return makeTraceBox(gtk, request.field("report"));
    case ExceptionControl::ignore: {
        GtkWidget* button =
            gtk.gtk_button_new_with_label(displayableText(request.field("ignore")).c_str());
        connect(gtk, button, "clicked", G_CALLBACK(onIgnore), window);
        return button;
    }
    default: {
        GtkWidget* button =
            gtk.gtk_button_new_with_label(displayableText(request.field("stop")).c_str());
        connect(gtk, button, "clicked", G_CALLBACK(onStop), window);
        return button;
    }
    }
}

// Where the dialog's top-left corner goes: centred on the work area of the primary monitor
// (the first one when none is primary); nothing when no monitor can be found.
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

size_t indexOf(const AnchoredLayout& layout, int32_t id) {
    const std::vector<PlacedControl>& controls = layout.controls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].id == id)
            return i;
    return controls.size();
}

// The controls in a fixed container, each where the layout puts it at the initial size.
GtkWidget* addControls(ExceptionWindow& window, const WindowMessage& request) {
    const GtkApi& gtk = window.gtk;
    GtkWidget* fixed = gtk.gtk_fixed_new();
    for (const PlacedControl& control : window.layout.controls()) {
        GtkWidget* widget = makeControl(window, control.id, request);
        gtk.gtk_widget_set_size_request(widget, control.rect.width(), control.rect.height());
        gtk.gtk_fixed_put(GTK_FIXED(fixed), widget, control.rect.left, control.rect.top);
        window.widgets.push_back(widget);
    }
    connect(gtk, fixed, "size-allocate", G_CALLBACK(onResize), window, G_CONNECT_AFTER);
    return fixed;
}

// Opens at the initial size, centred, and never gets smaller than that.
void sizeAndPlace(const GtkApi& gtk, GtkWindow* dialog, const AnchoredLayout& layout) {
    const int32_t width = layout.initialWidth(), height = layout.initialHeight();
    gtk.gtk_window_set_default_size(dialog, width, height);
    GdkGeometry minimum{};
    minimum.min_width = width;
    minimum.min_height = height;
    gtk.gtk_window_set_geometry_hints(dialog, nullptr, &minimum, GDK_HINT_MIN_SIZE);
    if (std::optional<PixelPoint> position = centredOnWorkArea(gtk, width, height))
        gtk.gtk_window_move(dialog, position->x, position->y);
}

} // namespace

WindowMessage showExceptionWindow(const GtkApi& gtk, const WindowMessage& request) {
    GtkWidget* dialog = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk.gtk_window_set_title(GTK_WINDOW(dialog), displayableText(request.field("caption")).c_str());
    ExceptionWindow window{gtk, javaExceptionLayout(measureBaseUnits(gtk, dialog)), {}, nullptr};
    gtk.gtk_container_add(GTK_CONTAINER(dialog), addControls(window, request));
    connect(gtk, dialog, "delete-event", G_CALLBACK(onDelete), window);
    connect(gtk, dialog, "key-press-event", G_CALLBACK(onKey), window);
    sizeAndPlace(gtk, GTK_WINDOW(dialog), window.layout);

    // Ignore is the default button and has the focus, so Enter chooses it.
    GtkWidget* ignore = window.widgets.at(indexOf(window.layout, ExceptionControl::ignore));
    gtk.gtk_widget_set_can_default(ignore, TRUE);
    gtk.gtk_window_set_default(GTK_WINDOW(dialog), ignore);
    gtk.gtk_widget_show_all(dialog);
    gtk.gtk_widget_grab_focus(ignore);
    gtk.gtk_window_present(GTK_WINDOW(dialog));

    gtk.gtk_main();
    gtk.gtk_widget_destroy(dialog);
    WindowMessage answer{"answer", {}};
    answer.add("choice", window.choice ? window.choice : "stop");
    return answer;
}
