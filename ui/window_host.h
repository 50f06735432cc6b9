#pragma once

// Inside the window process, and the channel both sides share. The window process reads one
// request from its channel, shows the window of the request's kind and writes the answer.
//
// A window kind is one function in its own file: it gets the GTK table (unless it draws
// without a toolkit) and the request, runs the window until the user has answered and gives
// the answer. The kinds of this folder are in the table of window_host_posix.cpp; those of
// higher layers come from the executable's entry point (runAsWindowProcessIfMarked). A window
// that stays until the launcher ends it (WindowProcess::end) need not return: the process ends
// as soon as the launcher closes the channel.

#include "ui/window_request.h"

#include <cstddef>
#include <optional>
#include <string_view>

struct GtkApi;

// Reads one whole message; nullopt at the end of the channel, on an error, or for a frame that
// is malformed or over its bounds.
std::optional<WindowMessage> readWindowMessage(int channel);
// Writes one whole message; false when it is over its bounds or the other side is gone.
bool writeWindowMessage(int channel, const WindowMessage& message);

using WindowKindFunction = WindowMessage (*)(const GtkApi& gtk, const WindowMessage& request);
// A window drawn without a toolkit (the splash), where loading GTK would cost more than the
// window itself.
using PlainWindowKindFunction = WindowMessage (*)(const WindowMessage& request);

// One of show (a GTK window) and showPlain (drawn without a toolkit) is set.
struct WindowKind {
    std::string_view name;
    WindowKindFunction show;
    PlainWindowKindFunction showPlain;
};

// The window process's work on its channel: the kinds of this folder and the extra ones;
// gives the exit status.
int hostWindow(int channel, const WindowKind* extraKinds, size_t extraCount);

// An error notice: fields "title" and "text"; answers {"button": "ok"}.
WindowMessage showMessageWindow(const GtkApi& gtk, const WindowMessage& request);
// The "Java Exception" dialog: fields of exceptionWindowRequest (ui/exception_window.h);
// answers {"choice": "ignore" or "stop"}.
WindowMessage showExceptionWindow(const GtkApi& gtk, const WindowMessage& request);
