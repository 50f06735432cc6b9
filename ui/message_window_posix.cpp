#include "ui/dialog_widgets.h"
#include "ui/gtk_api.h"
#include "ui/window_host.h"

WindowMessage showMessageWindow(const GtkApi& gtk, const WindowMessage& request) {
    std::string text = displayableText(request.field("text"));
    // The notice's text ends with a line feed on standard error; the box needs none.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    GtkWidget* dialog = gtk.gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                                   GTK_BUTTONS_OK, "%s", text.c_str());
    gtk.gtk_window_set_title(GTK_WINDOW(dialog), displayableText(request.field("title")).c_str());
    GtkRequisition size{};
    gtk.gtk_widget_get_preferred_size(dialog, nullptr, &size);
    centreOnWorkArea(gtk, GTK_WINDOW(dialog), size.width, size.height);
    gtk.gtk_dialog_run(GTK_DIALOG(dialog));
    gtk.gtk_widget_destroy(dialog);
    WindowMessage answer{"answer", {}};
    answer.add("button", "ok");
    return answer;
}
