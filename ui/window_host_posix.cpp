#include "ui/window_host.h"

#include "ui/gtk_api.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

// The kinds of this folder; the executable adds its own (hostWindow).
const WindowKind ownWindowKinds[] = {
    {"message", showMessageWindow, nullptr},
    {"exception", showExceptionWindow, nullptr},
};

const WindowKind* findWindowKind(std::string_view name, const WindowKind* kinds, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (kinds[i].name == name)
            return &kinds[i];
    return nullptr;
}

// The launcher closes the channel when it no longer wants the window (or when it ends): the
// window process then ends at once, whatever its window is doing.
void endWhenChannelCloses(int channel) {
    std::thread([channel] {
        char byte;
        for (;;) {
            ssize_t count = read(channel, &byte, 1);
            if (count == 0 || (count < 0 && errno != EINTR))
                _exit(0);
        }
    }).detach();
}

// The window process runs as /proc/self/exe: the name window managers, task bars and desktop
// files would otherwise know its windows by (WM_CLASS) is "exe". They carry the launcher's
// own file name instead.
std::string launcherName() {
    char path[4096];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return {};
    const std::string_view link(path, static_cast<size_t>(length));
    return std::string(link.substr(link.find_last_of('/') + 1));
}

WindowMessage showGtkWindow(WindowKindFunction show, const WindowMessage& request, int channel) {
    GtkApi gtk;
    std::string reason;
    if (!loadGtkApi(gtk, reason))
        return failedWindowAnswer(reason);
    // No window of the launcher draws with GL, yet probing it when the display opens can cost
    // far more than the window itself (hundreds of milliseconds with Mesa).
    setenv("GDK_GL", "disable", 1);
    const std::string name = launcherName();
    if (!name.empty())
        gtk.g_set_prgname(name.c_str());
    if (!gtk.gtk_init_check(nullptr, nullptr))
        return failedWindowAnswer("GTK 3 could not open the display");
    // GTK derives the class from the name while it starts; the class is the name as it is.
    if (!name.empty())
        gtk.gdk_set_program_class(name.c_str());
    endWhenChannelCloses(channel);
    return show(gtk, request);
}

WindowMessage showWindow(const WindowMessage& request, int channel, const WindowKind* extraKinds,
                         size_t extraCount) {
    const WindowKind* kind =
        findWindowKind(request.kind, ownWindowKinds, std::size(ownWindowKinds));
    if (!kind)
        kind = findWindowKind(request.kind, extraKinds, extraCount);
    if (!kind)
        return failedWindowAnswer("unknown window kind: " + request.kind);
    if (kind->show)
        return showGtkWindow(kind->show, request, channel);
    endWhenChannelCloses(channel);
    return kind->showPlain(request);
}

} // namespace

int hostWindow(int channel, const WindowKind* extraKinds, size_t extraCount) {
    std::optional<WindowMessage> request = readWindowMessage(channel);
    if (!request)
        return 1;
    WindowMessage answer = showWindow(*request, channel, extraKinds, extraCount);
    if (isFailedWindowAnswer(answer))
        std::fprintf(stderr, "No window can be shown: %s\n", answer.field("reason").c_str());
    return writeWindowMessage(channel, answer) ? 0 : 1;
}
