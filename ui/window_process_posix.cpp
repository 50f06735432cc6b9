#include "ui/window_process.h"

#include "support/spawn_posix.h"
#include "ui/window_host.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// The environment variable that marks a window process. Arguments cannot carry the mark: all
// of them belong to the Java program.
constexpr const char* windowProcessMark = "JL_WINDOW_PROCESS";
constexpr const char* windowProcessMarkValue = "1";

// Set once main has checked for the mark: only then would a spawned copy of this executable
// recognise itself as a window process rather than run as a whole program again.
bool canStartWindowProcesses = false;

bool namesDisplay(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Starts this executable again with its end of the channel as standard input and standard
// output discarded; the process id, or -1.
pid_t spawnWindowProcess(int childChannel) {
    SpawnRequest request;
    request.arguments = {"/proc/self/exe"};
    request.environment = environmentWith(windowProcessMark, windowProcessMarkValue);
    request.standardInput = childChannel;
    request.keepStandardError = true;
    return spawnProcess(request);
}

// Whether the process has ended (and is reaped) within the given time.
bool reapWithin(pid_t processId, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        pid_t result = waitpid(processId, &status, WNOHANG);
        if (result == processId || (result < 0 && errno != EINTR))
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void reap(pid_t processId) {
    int status = 0;
    while (waitpid(processId, &status, 0) < 0 && errno == EINTR) {
    }
}

bool standardInputIsSocket() {
    struct stat info {};
    return fstat(STDIN_FILENO, &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

void runAsWindowProcessIfMarked(const WindowKind* extraKinds, size_t extraCount) {
    const char* mark = std::getenv(windowProcessMark);
    const bool marked = mark && std::strcmp(mark, windowProcessMarkValue) == 0;
    // The window process's own children (a link opened with the desktop's handler) are not
    // window processes.
    unsetenv(windowProcessMark);
    if (marked && standardInputIsSocket()) {
        // Descriptors the launcher left open (files, pipes, the Java program's sockets) are not
        // the window's: holding them would keep their other ends from seeing them close.
        closefrom(STDERR_FILENO + 1);
        const int status = hostWindow(STDIN_FILENO, extraKinds, extraCount);
        std::fflush(nullptr);
        _exit(status);
    }
    canStartWindowProcesses = true;
}

bool windowsAvailable() {
    return canStartWindowProcesses && (namesDisplay("DISPLAY") || namesDisplay("WAYLAND_DISPLAY"));
}

std::unique_ptr<WindowProcess> WindowProcess::start(const WindowMessage& request) {
    if (!windowsAvailable())
        return nullptr;
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    WindowChannel channel(ends[0]);
    WindowChannel childChannel(ends[1]);
    pid_t processId = spawnWindowProcess(childChannel.get());
    if (processId < 0)
        return nullptr;
    childChannel.reset();
    std::unique_ptr<WindowProcess> process(new WindowProcess(std::move(channel), processId));
    if (!writeWindowMessage(process->channel_.get(), request))
        return nullptr; // the destructor ends and reaps the process
    return process;
}

WindowProcess::~WindowProcess() {
    end();
}

WindowMessage WindowProcess::waitForAnswer() {
    if (!channel_)
        return failedWindowAnswer("the window has been ended");
    std::optional<WindowMessage> answer = readWindowMessage(channel_.get());
    if (!answer)
        return failedWindowAnswer("the window process ended without an answer");
    return *answer;
}

void WindowProcess::end() {
    if (processId_ < 0)
        return;
    // The window process ends when its channel closes.
    channel_.reset();
    if (!reapWithin(processId_, std::chrono::seconds(2))) {
        kill(processId_, SIGKILL);
        reap(processId_);
    }
    processId_ = -1;
}

void WindowProcess::endAtOnce() {
    if (processId_ < 0)
        return;
    channel_.reset();
    kill(processId_, SIGKILL);
    reap(processId_);
    processId_ = -1;
}

WindowMessage runModalWindow(const WindowMessage& request) {
    if (!windowsAvailable())
        return failedWindowAnswer("no display");
    std::unique_ptr<WindowProcess> process = WindowProcess::start(request);
    if (!process)
        return failedWindowAnswer("the window process could not be started");
    WindowMessage answer = process->waitForAnswer();
    process->end();
    return answer;
}
