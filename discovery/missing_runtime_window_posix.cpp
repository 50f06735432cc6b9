#include "discovery/missing_runtime_window.h"
#include "ui/dialog_widgets.h"
#include "ui/gtk_api.h"
#include "ui/window_host.h"

#include <optional>
#include <vector>

namespace {

struct MissingRuntimeWindow {
    MissingRuntimeWindow(const GtkApi& api, const WindowMessage& message)
        : gtk(api), request(message), jvmType(requestedJvmType(message)) {}

    const GtkApi& gtk;
    const WindowMessage& request;
    JvmType jvmType;
    GtkWidget* dialog = nullptr;
    GtkWidget* folderEntry = nullptr;
    GtkWidget* okButton = nullptr;
    std::string selectedFolder;
    bool accepted = false;
};

void finish(MissingRuntimeWindow& window, bool accepted) {
    window.accepted = accepted;
    window.gtk.gtk_main_quit();
}

void onOk(GtkButton*, gpointer data) {
    finish(*static_cast<MissingRuntimeWindow*>(data), true);
}

void onCancel(GtkButton*, gpointer data) {
    finish(*static_cast<MissingRuntimeWindow*>(data), false);
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    finish(*static_cast<MissingRuntimeWindow*>(data), false);
    return TRUE;
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Escape)
        return FALSE;
    finish(*static_cast<MissingRuntimeWindow*>(data), false);
    return TRUE;
}

// The folder chooser; nothing when the user cancelled it.
std::optional<std::string> chooseFolder(MissingRuntimeWindow& window) {
    const GtkApi& gtk = window.gtk;
    const std::string title = displayableText(window.request.field("browse_title"));
    const std::string cancel = displayableText(window.request.field("cancel"));
    const std::string ok = displayableText(window.request.field("ok"));
    GtkWidget* chooser = gtk.gtk_file_chooser_dialog_new(
        title.c_str(), GTK_WINDOW(window.dialog), GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER,
        cancel.c_str(), GTK_RESPONSE_CANCEL, ok.c_str(), GTK_RESPONSE_ACCEPT, nullptr);
    // Recently used files would be shown otherwise, where no folder can be chosen.
    gtk.gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), gtk.g_get_home_dir());
    // As on Windows, the chooser picks an existing folder and makes none.
    gtk.gtk_file_chooser_set_create_folders(GTK_FILE_CHOOSER(chooser), FALSE);
    std::optional<std::string> folder;
    if (gtk.gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk.gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        folder = name ? std::string(name) : std::string();
        gtk.g_free(name);
    }
    gtk.gtk_widget_destroy(chooser);
    return folder;
}

// Each pick replaces the last; OK follows whether the new folder holds a VM library.
void onBrowse(GtkButton*, gpointer data) {
    auto& window = *static_cast<MissingRuntimeWindow*>(data);
    std::optional<std::string> folder = chooseFolder(window);
    if (!folder)
        return;
    window.gtk.gtk_entry_set_text(GTK_ENTRY(window.folderEntry), displayableText(*folder).c_str());
    window.selectedFolder = *folder;
    const bool holdsLibrary = !vmLibraryInFolder(*folder, window.jvmType).empty();
    window.gtk.gtk_widget_set_sensitive(window.okButton, holdsLibrary);
}

void connect(const GtkApi& gtk, gpointer instance, const char* signal, GCallback callback,
             MissingRuntimeWindow& window) {
    gtk.g_signal_connect_data(instance, signal, callback, &window, nullptr, GConnectFlags(0));
}

// A label whose text is the address as a link: the theme's link colours, the address in a
// tooltip, reachable with Tab, opened with the desktop's handler for addresses on a click or
// Enter.
GtkWidget* makeLink(const GtkApi& gtk, const std::string& address) {
    gchar* escaped = gtk.g_markup_escape_text(displayableText(address).c_str(), -1);
    const std::string markup = std::string("<a href=\"") + escaped + "\">" + escaped + "</a>";
    gtk.g_free(escaped);
    GtkWidget* label = gtk.gtk_label_new(nullptr);
    gtk.gtk_label_set_markup(GTK_LABEL(label), markup.c_str());
    gtk.gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk.gtk_widget_set_can_focus(label, TRUE);
    gtk.gtk_widget_set_tooltip_text(label, displayableText(address).c_str());
    return label;
}

GtkWidget* makeButton(MissingRuntimeWindow& window, const char* key, GCallback onClick) {
    GtkWidget* button =
        window.gtk.gtk_button_new_with_label(displayableText(window.request.field(key)).c_str());
    connect(window.gtk, button, "clicked", onClick, window);
    return button;
}

GtkWidget* makeControl(MissingRuntimeWindow& window, int32_t id) {
    const GtkApi& gtk = window.gtk;
    const WindowMessage& request = window.request;
    switch (id) {
    case MissingRuntimeControl::group:
        return gtk.gtk_frame_new(displayableText(request.field("group")).c_str());
    case MissingRuntimeControl::icon:
        return gtk.gtk_image_new_from_icon_name("dialog-error", GTK_ICON_SIZE_DND);
    case MissingRuntimeControl::message:
        return makeWrappedLabel(gtk, request.field("message"));
    case MissingRuntimeControl::link:
        return makeLink(gtk, request.field("address"));
    case MissingRuntimeControl::hint:
        return makeWrappedLabel(gtk, request.field("browse_hint"));
    case MissingRuntimeControl::pathLabel:
        return makeWrappedLabel(gtk, request.field("path_label"));
    case MissingRuntimeControl::folder:
        window.folderEntry = gtk.gtk_entry_new();
        gtk.gtk_editable_set_editable(GTK_EDITABLE(window.folderEntry), FALSE);
        return window.folderEntry;
    case MissingRuntimeControl::browse:
        return makeButton(window, "browse", G_CALLBACK(onBrowse));
    case MissingRuntimeControl::ok:
        window.okButton = makeButton(window, "ok", G_CALLBACK(onOk));
        gtk.gtk_widget_set_sensitive(window.okButton, FALSE);
        return window.okButton;
    default:
        return makeButton(window, "cancel", G_CALLBACK(onCancel));
    }
}

} // namespace

WindowMessage showMissingRuntimeWindow(const GtkApi& gtk, const WindowMessage& request) {
    MissingRuntimeWindow window(gtk, request);
    window.dialog = gtk.gtk_window_new(GTK_WINDOW_TOPLEVEL);
    markAsDialog(gtk, GTK_WINDOW(window.dialog), request.field("caption"));
    const DialogBaseUnits base = measureBaseUnits(gtk, window.dialog);
    PixelRect client = dialogUnitsToPixels(missingRuntimeClientUnits, base);
    std::vector<DialogControl> controls = templateBoxes(missingRuntimeControlUnits, base);
    GtkWidget* browse = nullptr;
    for (DialogControl& control : controls) {
        control.widget = makeControl(window, control.id);
        control.wraps = control.id == MissingRuntimeControl::message ||
                        control.id == MissingRuntimeControl::hint ||
                        control.id == MissingRuntimeControl::pathLabel;
        if (control.id == MissingRuntimeControl::browse)
            browse = control.widget;
    }
    GtkWidget* fixed = placeControls(gtk, window.dialog, client, controls);
    reportLayoutIfAsked(gtk, fixed, controls);
    connect(gtk, window.dialog, "delete-event", G_CALLBACK(onDelete), window);
    connect(gtk, window.dialog, "key-press-event", G_CALLBACK(onKey), window);

    gtk.gtk_window_set_default_size(GTK_WINDOW(window.dialog), client.width(), client.height());
    // The fitted size exactly: wrapped labels would ask for the width of their whole text.
    GdkGeometry size{};
    size.min_width = size.max_width = client.width();
    size.min_height = size.max_height = client.height();
    gtk.gtk_window_set_geometry_hints(GTK_WINDOW(window.dialog), nullptr, &size,
                                      GdkWindowHints(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE));
    centreOnWorkArea(gtk, GTK_WINDOW(window.dialog), client.width(), client.height());
    gtk.gtk_widget_show_all(window.dialog);
    gtk.gtk_widget_grab_focus(browse);

    gtk.gtk_main();
    gtk.gtk_widget_destroy(window.dialog);
    return window.accepted ? missingRuntimeOkAnswer(window.selectedFolder)
                           : missingRuntimeCancelAnswer();
}
