#include "ui/dialog_widgets.h"
#include "ui/exception_window.h"
#include "ui/gtk_api.h"
#include "ui/trace_box_text.h"
#include "ui/window_host.h"

namespace {

struct ExceptionWindow {
    const GtkApi& gtk;
    AnchoredLayout layout;
    std::vector<GtkWidget*> widgets; // in the order of the layout's controls
    const char* choice = nullptr;    // the first answer; later ones are too late
    std::string trace;               // the report as it can be shown
    std::vector<size_t> traceBreaks; // line feeds the box adds to over-long lines
    GtkWidget* ignore = nullptr;
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

// Copies what is selected as the trace has it, without the line feeds the box added.
void onCopy(GtkTextView* view, gpointer data) {
    auto& window = *static_cast<ExceptionWindow*>(data);
    const GtkApi& gtk = window.gtk;
    GtkTextIter start, end;
    if (gtk.gtk_text_buffer_get_selection_bounds(gtk.gtk_text_view_get_buffer(view), &start,
                                                 &end)) {
        const std::string copied =
            traceBoxSpan(window.trace, window.traceBreaks,
                         static_cast<size_t>(gtk.gtk_text_iter_get_offset(&start)),
                         static_cast<size_t>(gtk.gtk_text_iter_get_offset(&end)));
        gtk.gtk_clipboard_set_text(
            gtk.gtk_widget_get_clipboard(GTK_WIDGET(view), GDK_SELECTION_CLIPBOARD), copied.c_str(),
            static_cast<gint>(copied.size()));
    }
    gtk.g_signal_stop_emission_by_name(view, "copy-clipboard");
}

// Lines never wrap: breaking a long line costs the text view time for every width it is
// given, and a trace reads best line by line. The box scrolls sideways instead.
GtkWidget* makeTraceBox(ExceptionWindow& window, const std::string& report) {
    const GtkApi& gtk = window.gtk;
    GtkWidget* view = gtk.gtk_text_view_new();
    gtk.gtk_text_view_set_editable(GTK_TEXT_VIEW(view), FALSE);
    gtk.gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(view), GTK_WRAP_NONE);
    window.trace = displayableText(report);
    TraceBoxText box = traceBoxText(window.trace);
    window.traceBreaks = std::move(box.breaks);
    gtk.gtk_text_buffer_set_text(gtk.gtk_text_view_get_buffer(GTK_TEXT_VIEW(view)),
                                 box.text.c_str(), static_cast<gint>(box.text.size()));
    connect(gtk, view, "copy-clipboard", G_CALLBACK(onCopy), window);
    GtkWidget* scroller = gtk.gtk_scrolled_window_new(nullptr, nullptr);
    gtk.gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_AUTOMATIC,
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
        return makeWrappedLabel(gtk, request.field("heading"));
    case ExceptionControl::instructions:
        return makeWrappedLabel(gtk, request.field("instructions"));
    case ExceptionControl::warning:
        return makeWrappedLabel(gtk, request.field("warning"));
    case ExceptionControl::trace:
        return makeTraceBox(window, request.field("report"));
    case ExceptionControl::ignore: {
        GtkWidget* button =
            gtk.gtk_button_new_with_label(displayableText(request.field("ignore")).c_str());
        connect(gtk, button, "clicked", G_CALLBACK(onIgnore), window);
        window.ignore = button;
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

bool wraps(int32_t id) {
    return id == ExceptionControl::heading || id == ExceptionControl::instructions ||
           id == ExceptionControl::warning;
}

// The controls in the dialog, each in its template box grown until its text fits; the dialog
// opens at the size that leaves them.
void addControls(ExceptionWindow& window, GtkWidget* dialog, const WindowMessage& request) {
    const GtkApi& gtk = window.gtk;
    const DialogBaseUnits base = measureBaseUnits(gtk, dialog);
    std::vector<DialogControl> controls = templateBoxes(javaExceptionControlUnits, base);
    PixelRect client = dialogUnitsToPixels(javaExceptionClientUnits, base);
    std::vector<PlacedControl> boxes;
    for (DialogControl& control : controls) {
        control.widget = makeControl(window, control.id, request);
        control.wraps = wraps(control.id);
    }
    GtkWidget* fixed = placeControls(gtk, dialog, client, controls);
    for (const DialogControl& control : controls) {
        boxes.push_back({control.id, control.box});
        window.widgets.push_back(control.widget);
    }
    window.layout = javaExceptionLayout(client, boxes);
    connect(gtk, fixed, "size-allocate", G_CALLBACK(onResize), window, G_CONNECT_AFTER);
    reportLayoutIfAsked(gtk, fixed, controls);
}

// Opens at the initial size, centred, and never gets smaller than that.
void sizeAndPlace(const GtkApi& gtk, GtkWindow* dialog, const AnchoredLayout& layout) {
    const int32_t width = layout.initialWidth(), height = layout.initialHeight();
    gtk.gtk_window_set_default_size(dialog, width, height);
    GdkGeometry minimum{};
    minimum.min_width = width;
    minimum.min_height = height;
    gtk.gtk_window_set_geometry_hints(dialog, nullptr, &minimum, GDK_HINT_MIN_SIZE);
    centreOnWorkArea(gtk, dialog, width, height);
}

} // namespace

WindowMessage showExceptionWindow(const GtkApi& gtk, const WindowMessage& request) {
    GtkWidget* dialog = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
    markAsDialog(gtk, GTK_WINDOW(dialog), request.field("caption"));
    ExceptionWindow window{gtk, AnchoredLayout(0, 0), {}, nullptr, {}, {}, nullptr};
    addControls(window, dialog, request);
    connect(gtk, dialog, "delete-event", G_CALLBACK(onDelete), window);
    connect(gtk, dialog, "key-press-event", G_CALLBACK(onKey), window);
    sizeAndPlace(gtk, GTK_WINDOW(dialog), window.layout);

    // Ignore is the default button and has the focus, so Enter chooses it.
    GtkWidget* ignore = window.ignore;
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
