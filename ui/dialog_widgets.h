#pragma once

// Pieces shared by the window process's dialogs (window-process code only: includes GTK).

#include "ui/anchored_layout.h"
#include "ui/gtk_api.h"

#include <optional>
#include <string>

// The dialog font's base units as GTK draws the widget's text.
DialogBaseUnits measureBaseUnits(const GtkApi& gtk, GtkWidget* widget);

// A static text: wrapped, top-left aligned, invalid UTF-8 shown as U+FFFD.
GtkWidget* makeWrappedLabel(const GtkApi& gtk, const std::string& text);

// Where a width x height dialog's top-left corner goes: centred on the work area of the
// primary monitor (the first one when none is primary); nothing when there is no monitor.
std::optional<PixelPoint> centredOnWorkArea(const GtkApi& gtk, int32_t width, int32_t height);
