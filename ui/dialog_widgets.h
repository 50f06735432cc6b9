#pragma once

// Pieces shared by the window process's dialogs (window-process code only: includes GTK).

#include "ui/anchored_layout.h"
#include "ui/gtk_api.h"

#include <string>
#include <vector>

// The dialog font's base units as GTK draws the widget's text.
DialogBaseUnits measureBaseUnits(const GtkApi& gtk, GtkWidget* widget);

// A static text: wrapped, top-left aligned, invalid UTF-8 shown as U+FFFD.
GtkWidget* makeWrappedLabel(const GtkApi& gtk, const std::string& text);

// Gives a top-level window its title and, for the window manager, the dialog window type.
void markAsDialog(const GtkApi& gtk, GtkWindow* window, const std::string& title);

// Places a window whose client area is width x height so that its outer frame is centred on
// the work area of the primary monitor (the first one when none is primary) and kept inside
// it. The frame is unknown until the window manager has drawn it: the window is placed as if
// it had none, and once mapped it is moved again when its frame is not where it should be.
// Nothing happens when there is no monitor.
void centreOnWorkArea(const GtkApi& gtk, GtkWindow* window, int32_t width, int32_t height);

// A control of a dialog as built: its widget and its box (pixels, dialog client coordinates).
// A wrapping text takes whatever width its box has and needs height for it.
struct DialogControl {
    int32_t id;
    GtkWidget* widget;
    PixelRect box;
    bool wraps;
};

// The template's controls (dialog units, ending with id -1) with their boxes in pixels; no
// widgets yet.
std::vector<DialogControl> templateBoxes(const PlacedControl* units, DialogBaseUnits base);

// Puts the controls into a fixed container that becomes the dialog's content, then grows boxes,
// and the client area with them, until each control's contents fit their box as GTK measures
// them in place (another font or language may need more room than the template gives), and
// gives each control its box. Returns the container.
GtkWidget* placeControls(const GtkApi& gtk, GtkWidget* dialog, PixelRect& client,
                         std::vector<DialogControl>& controls);

// For tests: when the environment variable JL_WINDOW_LAYOUT names a file, writes there, once
// the window shows, "client WIDTH HEIGHT" for the container and then, per control, "control ID
// X Y WIDTH HEIGHT NEEDED-WIDTH NEEDED-HEIGHT": where GTK put it and what its contents need at
// that width (NEEDED-WIDTH 0 for a wrapping text), then "tooltip ID TEXT" for one that has a
// tooltip.
void reportLayoutIfAsked(const GtkApi& gtk, GtkWidget* container,
                         const std::vector<DialogControl>& controls);
