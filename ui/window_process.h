#pragma once

// Windows of the POSIX launcher live in a separate window process: the same executable,
// started again with a mark in its environment, which loads GTK 3 at run time and shows one
// window per process. This keeps GTK away from the Java program's own toolkit and lets the
// launcher run without any GUI library. The launcher sends one request (ui/window_request.h)
// and reads one answer. Callable from any thread; each call owns its own process.

#include "ui/window_request.h"

#include "support/unique_resource.h"

#include <cstddef>
#include <memory>
#include <utility>

// Owner of one end of the channel to a window process (a socket descriptor).
struct WindowChannelTraits {
    static int invalid() { return -1; }
    static void release(int descriptor);
};
using WindowChannel = UniqueResource<WindowChannelTraits>;

struct WindowKind;

// Called first thing in main. In a window process: shows the requested window, answers and
// ends the process (GTK's own teardown is skipped: nothing outlives the window). Otherwise it
// returns, and from then on this executable may start window processes of its own (an
// executable that never calls this starts none). The window process knows the kinds of ui/
// and the extra ones the executable names (ui/window_host.h).
void runAsWindowProcessIfMarked(const WindowKind* extraKinds = nullptr, size_t extraCount = 0);

// Whether a window can be tried at all: a display is named (DISPLAY or WAYLAND_DISPLAY) and
// this executable can be its own window process.
bool windowsAvailable();

// One running window process. Ending the object ends the window and reaps the process.
class WindowProcess {
  public:
    // Starts a window process showing the request; null when none could be started (no
    // display, the request over its bounds, or the spawn failed).
    static std::unique_ptr<WindowProcess> start(const WindowMessage& request);
    ~WindowProcess();

    // Waits for the window's answer. A process that ends, crashes or closes its side without
    // answering gives failedWindowAnswer.
    WindowMessage waitForAnswer();
    // Tells the window to close (its process ends), then waits for the process; one that does
    // not end within a second or two is killed. Safe to call more than once.
    void end();
    // Ends the window process at once and reaps it, for a window that has nothing to answer
    // (the splash): no wait for a process still starting up. Safe to call more than once.
    void endAtOnce();

    WindowProcess(const WindowProcess&) = delete;
    WindowProcess& operator=(const WindowProcess&) = delete;

  private:
    WindowProcess(WindowChannel channel, int processId)
        : channel_(std::move(channel)), processId_(processId) {}
    WindowChannel channel_;
    int processId_; // reaped by end(); -1 once reaped
};

// Shows a modal window and waits for its answer; failedWindowAnswer when no window could be
// shown (the reason says why).
WindowMessage runModalWindow(const WindowMessage& request);
