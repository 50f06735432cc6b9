#pragma once

// GTK 3 as the window process sees it: a table of the functions it calls, typed from the GTK
// headers and resolved at run time, so that the launcher itself links no GUI library. Only
// window-process code includes this header.

#include <gtk/gtk.h>

#include <string>

#define LAUNCHER_GTK_FUNCTIONS(F)                                                                  \
    F(g_free)                                                                                      \
    F(g_get_home_dir)                                                                              \
    F(g_markup_escape_text)                                                                        \
    F(g_object_unref)                                                                              \
    F(g_set_prgname)                                                                               \
    F(g_signal_connect_data)                                                                       \
    F(g_signal_stop_emission_by_name)                                                              \
    F(gdk_display_get_default)                                                                     \
    F(gdk_display_get_monitor)                                                                     \
    F(gdk_display_get_primary_monitor)                                                             \
    F(gdk_monitor_get_workarea)                                                                    \
    F(gdk_set_program_class)                                                                       \
    F(gdk_window_get_frame_extents)                                                                \
    F(gtk_button_new_with_label)                                                                   \
    F(gtk_clipboard_set_text)                                                                      \
    F(gtk_container_add)                                                                           \
    F(gtk_dialog_run)                                                                              \
    F(gtk_editable_set_editable)                                                                   \
    F(gtk_entry_new)                                                                               \
    F(gtk_entry_set_text)                                                                          \
    F(gtk_file_chooser_dialog_new)                                                                 \
    F(gtk_file_chooser_get_filename)                                                               \
    F(gtk_file_chooser_set_create_folders)                                                         \
    F(gtk_file_chooser_set_current_folder)                                                         \
    F(gtk_fixed_move)                                                                              \
    F(gtk_fixed_new)                                                                               \
    F(gtk_fixed_put)                                                                               \
    F(gtk_frame_new)                                                                               \
    F(gtk_image_new_from_icon_name)                                                                \
    F(gtk_init_check)                                                                              \
    F(gtk_label_new)                                                                               \
    F(gtk_label_set_line_wrap)                                                                     \
    F(gtk_label_set_markup)                                                                        \
    F(gtk_label_set_xalign)                                                                        \
    F(gtk_label_set_yalign)                                                                        \
    F(gtk_main)                                                                                    \
    F(gtk_main_quit)                                                                               \
    F(gtk_message_dialog_new)                                                                      \
    F(gtk_scrolled_window_new)                                                                     \
    F(gtk_scrolled_window_set_policy)                                                              \
    F(gtk_scrolled_window_set_shadow_type)                                                         \
    F(gtk_text_buffer_get_selection_bounds)                                                        \
    F(gtk_text_buffer_set_text)                                                                    \
    F(gtk_text_iter_get_offset)                                                                    \
    F(gtk_text_view_get_buffer)                                                                    \
    F(gtk_text_view_new)                                                                           \
    F(gtk_text_view_set_editable)                                                                  \
    F(gtk_text_view_set_wrap_mode)                                                                 \
    F(gtk_widget_create_pango_layout)                                                              \
    F(gtk_widget_destroy)                                                                          \
    F(gtk_widget_get_allocation)                                                                   \
    F(gtk_widget_get_clipboard)                                                                    \
    F(gtk_widget_get_preferred_height_for_width)                                                   \
    F(gtk_widget_get_preferred_size)                                                               \
    F(gtk_widget_get_preferred_width)                                                              \
    F(gtk_widget_get_tooltip_text)                                                                 \
    F(gtk_widget_get_window)                                                                       \
    F(gtk_widget_grab_focus)                                                                       \
    F(gtk_widget_set_can_default)                                                                  \
    F(gtk_widget_set_can_focus)                                                                    \
    F(gtk_widget_set_sensitive)                                                                    \
    F(gtk_widget_set_size_request)                                                                 \
    F(gtk_widget_set_tooltip_text)                                                                 \
    F(gtk_widget_show_all)                                                                         \
    F(gtk_widget_size_allocate)                                                                    \
    F(gtk_window_move)                                                                             \
    F(gtk_window_new)                                                                              \
    F(gtk_window_present)                                                                          \
    F(gtk_window_set_default)                                                                      \
    F(gtk_window_set_default_size)                                                                 \
    F(gtk_window_set_geometry_hints)                                                               \
    F(gtk_window_set_title)                                                                        \
    F(gtk_window_set_type_hint)                                                                    \
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
