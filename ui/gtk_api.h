#pragma once

// GTK 3 as the window process sees it: a table of the functions it calls, typed from the GTK
// headers and resolved at run time, so that the launcher itself links no GUI library. Only
// window-process code includes this header.

#include <gtk/gtk.h>

#include <string>

#define LAUNCHER_GTK_FUNCTIONS(F)                                                                  \
    F(g_object_unref)                                                                              \
    F(g_signal_connect_data)                                                                       \
    F(gdk_display_get_default)                                                                     \
    F(gdk_display_get_monitor)                                                                     \
    F(gdk_display_get_primary_monitor)                                                             \
    F(gdk_monitor_get_workarea)                                                                    \
    F(gtk_button_new_with_label)                                                                   \
    F(gtk_container_add)                                                                           \
    F(gtk_dialog_run)                                                                              \
    F(gtk_fixed_new)                                                                               \
    F(gtk_fixed_put)                                                                               \
    F(gtk_frame_new)                                                                               \
    F(gtk_image_new_from_icon_name)                                                                \
    F(gtk_init_check)                                                                              \
    F(gtk_label_new)                                                                               \
    F(gtk_label_set_line_wrap)                                                                     \
    F(gtk_label_set_xalign)                                                                        \
    F(gtk_label_set_yalign)                                                                        \
    F(gtk_main)                                                                                    \
    F(gtk_main_quit)                                                                               \
    F(gtk_message_dialog_new)                                                                      \
    F(gtk_scrolled_window_new)                                                                     \
    F(gtk_scrolled_window_set_policy)                                                              \
    F(gtk_scrolled_window_set_shadow_type)                                                         \
    F(gtk_text_buffer_set_text)                                                                    \
    F(gtk_text_view_get_buffer)                                                                    \
    F(gtk_text_view_new)                                                                           \
    F(gtk_text_view_set_editable)                                                                  \
    F(gtk_text_view_set_wrap_mode)                                                                 \
    F(gtk_widget_create_pango_layout)                                                              \
    F(gtk_widget_destroy)                                                                          \
    F(gtk_widget_grab_focus)                                                                       \
    F(gtk_widget_set_can_default)                                                                  \
    F(gtk_widget_set_size_request)                                                                 \
    F(gtk_widget_show_all)                                                                         \
    F(gtk_widget_size_allocate)                                                                    \
    F(gtk_window_move)                                                                             \
    F(gtk_window_new)                                                                              \
    F(gtk_window_present)                                                                          \
    F(gtk_window_set_default)                                                                      \
    F(gtk_window_set_default_size)                                                                 \
    F(gtk_window_set_geometry_hints)                                                               \
    F(gtk_window_set_position)                                                                     \
    F(gtk_window_set_title)                                                                        \
    F(pango_layout_get_pixel_size)

struct GtkApi {
#define LAUNCHER_GTK_MEMBER(name) decltype(&::name) name = nullptr;
    LAUNCHER_GTK_FUNCTIONS(LAUNCHER_GTK_MEMBER)
#undef LAUNCHER_GTK_MEMBER
};

// Loads GTK 3 and fills every entry of api. False, with the reason, when the library or one
// of the functions cannot be found. GTK stays loaded for the rest of the process: it cannot
// be unloaded safely, and the window process ends with its window.
bool loadGtkApi(GtkApi& api, std::string& reason);
