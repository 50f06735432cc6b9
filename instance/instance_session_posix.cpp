// Single instance on POSIX. Each user's starts meet in a folder that only the user can open
// (instance_files_posix.h); an executable's three files there are named by a hash of its full
// path: "<hash>.lock", "<hash>.sock" and "<hash>.block".
//
// The start that holds the write lock on byte 0 of the lock file (an open-file lock, which the
// kernel drops when the process ends, however it ends) is the primary. It makes a fresh shared
// block, binds its socket under a temporary name, restricts it to the user and renames it over
// whatever an earlier primary left, and listens. Every other start connects, checks that the
// peer is a process of the same user, and sends its argument count and the 1040 bytes of its
// argument block (the block's layout); the primary copies them into its shared block and
// answers later with one kind byte and a 32-bit value. Connections from other users are closed
// unread. Anything in the folder that is not the user's own, or open to others, makes the start
// run on its own: no argument reaches a process of another user.
//
// A process cannot read another's exit code here: the primary sends its exit code to every
// later start still waiting when it ends. A later start whose primary dies without a word
// (killed) ends with -1.

#include "instance/instance_session.h"

#include "instance/instance_block.h"
#include "instance/instance_files_posix.h"
#include "support/trace.h"
#include "support/unique_resource.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace instance_block;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int32_t answerFailure = -1;
// How long a later start waits for a primary that holds the lock but does not listen yet.
constexpr auto listenerWait = std::chrono::seconds(5);
constexpr std::chrono::microseconds maxRetryPause(5000);
// A connection must bring its whole request within this time of being accepted.
constexpr auto requestDeadline = std::chrono::seconds(5);
// Connections whose request is still incomplete; more wait in the kernel's queue.
constexpr size_t maxPending = 64;
// After accept fails for want of descriptors or memory, the listener rests this long.
constexpr auto acceptPause = std::chrono::milliseconds(100);
// The one request message of the socket protocol, written where Windows keeps its message id.
constexpr uint32_t requestMessageId = 1;
constexpr size_t requestSize = 4 + argumentBytes;

constexpr char answerMessage = 'a';
constexpr char exitCodeMessage = 'x';

struct DescriptorTraits {
    static int invalid() { return -1; }
    static void release(int fd) { close(fd); }
};
using UniqueFd = UniqueResource<DescriptorTraits>;

struct BlockView {
    void* address = MAP_FAILED;
    explicit BlockView(int fd)
        : address(mmap(nullptr, blockSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0)) {}
    ~BlockView() {
        if (address != MAP_FAILED)
            munmap(address, blockSize);
    }
    BlockView(const BlockView&) = delete;
    BlockView& operator=(const BlockView&) = delete;
    bool valid() const { return address != MAP_FAILED; }
    uint8_t* bytes() const { return static_cast<uint8_t*>(address); }
};

void trace(const std::string& text) {
    if (isTracing())
        traceLine("single instance: " + text);
}

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

bool socketAddress(const std::string& path, sockaddr_un& address, socklen_t& length) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

UniqueFd newSocket() {
    return UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

// The user of the process at the other end (as it was when it connected or listened).
bool peerIsUser(int fd) {
    ucred peer{};
    socklen_t size = sizeof(peer);
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == geteuid();
}

bool sendAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

bool sendMessage(int fd, char kind, int32_t value) {
    uint8_t message[5] = {static_cast<uint8_t>(kind)};
    for (int i = 0; i < 4; ++i)
        message[1 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return sendAll(fd, message, sizeof(message));
}

bool receiveAll(int fd, uint8_t* data, size_t size) {
    while (size > 0) {
        ssize_t got = recv(fd, data, size, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

uint32_t littleEndian(const uint8_t* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

// The primary's answer or exit code; -1 when it closed the connection without one.
int32_t receiveAnswer(int fd) {
    uint8_t data[5];
    if (!receiveAll(fd, data, sizeof(data)))
        return answerFailure;
    return static_cast<int32_t>(littleEndian(data + 1));
}

enum class Lock { taken, held, failed };

// A write lock on the first byte of the lock file, owned by this open file (which no child
// inherits), not by the process; held when another start has it.
Lock tryLock(int fd) {
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_len = 1;
    if (fcntl(fd, F_OFD_SETLK, &range) == 0)
        return Lock::taken;
    return errno == EAGAIN || errno == EACCES ? Lock::held : Lock::failed;
}

int millisecondsUntil(Clock::time_point at) {
    auto left = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, 60000));
}

// The primary's state that its listener and handler threads share; handler threads may
// outlive the session object.
struct SharedState {
    std::mutex mutex;
    std::condition_variable mainStartedChanged;
    bool mainStarted = false;
    bool ended = false;
    int32_t exitCode = 0;
    SecondaryMainTarget target;
    uint64_t lastRequest = 0;
    std::map<uint64_t, UniqueFd> waiting; // connections still owed an answer, by request

    void answer(uint64_t request, int32_t value) {
        std::lock_guard<std::mutex> lock(mutex);
        auto found = waiting.find(request);
        if (found == waiting.end())
            return;
        sendMessage(found->second.get(), answerMessage, value);
        waiting.erase(found);
    }

    void endWith(int32_t code) {
        std::lock_guard<std::mutex> lock(mutex);
        if (ended)
            return;
        ended = true;
        exitCode = code;
        for (auto& entry : waiting)
            sendMessage(entry.second.get(), exitCodeMessage, code);
        waiting.clear();
        mainStartedChanged.notify_all();
    }
};

void handleRequest(std::shared_ptr<SharedState> shared, uint64_t request,
                   std::vector<std::u16string> arguments) {
    SecondaryMainTarget target;
    {
        std::unique_lock<std::mutex> lock(shared->mutex);
        shared->mainStartedChanged.wait(lock, [&] { return shared->mainStarted || shared->ended; });
        if (!shared->mainStarted)
            return;
        target = shared->target;
    }
    deliverToSecondaryMain(target, arguments,
                           [&](int32_t value) { shared->answer(request, value); });
}

// A connection whose request has not all arrived.
struct Pending {
    UniqueFd fd;
    Clock::time_point deadline;
    std::array<uint8_t, requestSize> bytes{};
    size_t received = 0;
};

// Reads what has arrived; false when the connection ended or failed.
bool readAvailable(Pending& pending) {
    for (;;) {
        ssize_t got = recv(pending.fd.get(), pending.bytes.data() + pending.received,
                           requestSize - pending.received, MSG_DONTWAIT);
        if (got > 0) {
            pending.received += static_cast<size_t>(got);
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        return got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
}

} // namespace

struct InstanceSession::Platform {
    std::string lockPath, socketPath, blockPath;
    UniqueFd lockFile;
    UniqueFd listenSocket;
    UniqueFd wake;
    UniqueFd blockFd;
    std::optional<BlockView> view;
    std::thread listener;
    std::vector<Pending> pending;
    std::shared_ptr<SharedState> shared = std::make_shared<SharedState>();

    // Secondary.
    UniqueFd connection;

    enum class Election { primary, secondary, alone, unreachable };

    bool choosePaths(const std::string& executablePath) {
        InstanceFolder folder = instanceFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp");
        for (const std::string& note : folder.notes)
            trace(note);
        if (folder.path.empty())
            return false;
        std::string stem = folder.path + "/" + pathHash(executablePath);
        lockPath = stem + ".lock";
        socketPath = stem + ".sock";
        blockPath = stem + ".block";
        trace("files " + stem + ".*");
        return true;
    }

    // Why a file that is there may not be used; empty when it may or is missing.
    static std::string refusal(const std::string& path, mode_t type) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0)
            return {};
        std::string reason = refusalReason(status, type, geteuid());
        return reason.empty() ? reason : path + " " + reason;
    }

    bool openLockFile(std::string& why) {
        lockFile.reset(open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        struct stat status {};
        if (!lockFile || fstat(lockFile.get(), &status) != 0) {
            why = systemError(lockPath);
            return false;
        }
        why = refusalReason(status, S_IFREG, geteuid());
        if (!why.empty())
            why = lockPath + " " + why;
        return why.empty();
    }

    // The start that takes the lock is the primary; the others connect to it. A start that
    // finds the lock held and no listener waits for the listener or the lock.
    Election elect(std::string& why) {
        if (!openLockFile(why))
            return Election::alone;
        sockaddr_un address{};
        socklen_t length = 0;
        if (!socketAddress(socketPath, address, length)) {
            why = socketPath + ": too long for a socket name";
            return Election::alone;
        }
        Clock::time_point deadline = Clock::now() + listenerWait;
        std::chrono::microseconds pause(200);
        for (;;) {
            Lock lock = tryLock(lockFile.get());
            if (lock != Lock::held) {
                why = lock == Lock::taken ? "" : systemError("cannot lock " + lockPath);
                return lock == Lock::taken ? Election::primary : Election::alone;
            }
            why = refusal(socketPath, S_IFSOCK);
            if (!why.empty())
                return Election::alone;
            connection = newSocket();
            if (connect(connection.get(), reinterpret_cast<sockaddr*>(&address), length) == 0) {
                if (peerIsUser(connection.get()))
                    return Election::secondary;
                why = socketPath + " is served by another user's process";
                return Election::alone;
            }
            // Missing or refused: the primary has the lock but does not listen yet, or ends.
            if ((errno != ENOENT && errno != ECONNREFUSED) || Clock::now() >= deadline) {
                why = systemError("no primary listening at " + socketPath);
                return Election::unreachable;
            }
            std::this_thread::sleep_for(pause);
            pause = std::min(pause * 2, maxRetryPause);
        }
    }

    bool createBlock() {
        unlink(blockPath.c_str());
        blockFd.reset(
            open(blockPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!blockFd || ftruncate(blockFd.get(), blockSize) != 0)
            return false;
        return view.emplace(blockFd.get()).valid();
    }

    // Bound under a name of its own, closed to others, then renamed over whatever socket file
    // an earlier primary left: later starts never see it half made.
    bool bindSocket() {
        std::string temporary = socketPath + "." + std::to_string(getpid());
        sockaddr_un address{};
        socklen_t length = 0;
        if (!socketAddress(temporary, address, length))
            return false;
        listenSocket.reset(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        unlink(temporary.c_str());
        bool bound = listenSocket &&
                     bind(listenSocket.get(), reinterpret_cast<sockaddr*>(&address), length) == 0;
        bool ready = bound && chmod(temporary.c_str(), 0600) == 0 &&
                     listen(listenSocket.get(), SOMAXCONN) == 0 &&
                     rename(temporary.c_str(), socketPath.c_str()) == 0;
        if (bound && !ready)
            unlink(temporary.c_str());
        return ready;
    }

    bool becomePrimary() {
        if (!createBlock()) {
            trace(systemError(blockPath));
            return false;
        }
        std::memset(view->bytes(), 0, blockSize);
        wake.reset(eventfd(0, EFD_CLOEXEC));
        if (!wake || !bindSocket()) {
            trace(systemError(socketPath));
            return false;
        }
        try {
            listener = std::thread([this] { listenForRequests(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    void listenForRequests() {
        uint32_t threadId = static_cast<uint32_t>(syscall(SYS_gettid));
        writeHeader(view->bytes(), {threadId, static_cast<uint32_t>(getpid()), requestMessageId});
        Clock::time_point acceptResumes{};
        for (;;) {
            dropExpired();
            bool paused = Clock::now() < acceptResumes;
            bool accepting = pending.size() < maxPending && !paused;
            std::vector<pollfd> watched{{wake.get(), POLLIN, 0},
                                        {accepting ? listenSocket.get() : -1, POLLIN, 0}};
            Clock::time_point next = paused ? acceptResumes : Clock::time_point::max();
            for (const Pending& connection : pending) {
                watched.push_back({connection.fd.get(), POLLIN, 0});
                next = std::min(next, connection.deadline);
            }
            int timeout = next == Clock::time_point::max() ? -1 : millisecondsUntil(next);
            if (poll(watched.data(), watched.size(), timeout) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (watched[0].revents != 0)
                return;
            for (size_t i = pending.size(); i-- > 0;) {
                if (watched[2 + i].revents != 0 && !progress(pending[i]))
                    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
            }
            if (watched[1].revents != 0 && !acceptWaiting())
                acceptResumes = Clock::now() + acceptPause;
        }
    }

    void dropExpired() {
        Clock::time_point now = Clock::now();
        pending.erase(std::remove_if(pending.begin(), pending.end(),
                                     [&](const Pending& p) { return p.deadline <= now; }),
                      pending.end());
    }

    // Takes the queued connections of this user; false when accept has to rest.
    bool acceptWaiting() {
        while (pending.size() < maxPending) {
            UniqueFd connection(
                accept4(listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
            if (!connection) {
                if (errno == EINTR || errno == ECONNABORTED)
                    continue;
                return errno == EAGAIN || errno == EWOULDBLOCK;
            }
            if (peerIsUser(connection.get()))
                pending.push_back({std::move(connection), Clock::now() + requestDeadline});
        }
        return true;
    }

    // False when the connection is done with: its request taken, or it ended early.
    bool progress(Pending& connection) {
        if (!readAvailable(connection))
            return false;
        if (connection.received < requestSize)
            return true;
        takeRequest(connection);
        return false;
    }

    void takeRequest(Pending& connection) {
        ArgumentBlock block;
        std::memcpy(block.bytes.data(), connection.bytes.data() + 4, argumentBytes);
        block.count = littleEndian(connection.bytes.data());
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->ended) {
            sendMessage(connection.fd.get(), exitCodeMessage, shared->exitCode);
            return;
        }
        writeArguments(view->bytes(), block);
        auto arguments = decodeArguments(block);
        if (!arguments) {
            sendMessage(connection.fd.get(), answerMessage, answerFailure);
            return;
        }
        uint64_t request = ++shared->lastRequest;
        try {
            std::thread(handleRequest, shared, request, std::move(*arguments)).detach();
        } catch (const std::system_error&) {
            sendMessage(connection.fd.get(), answerMessage, answerFailure);
            return;
        }
        shared->waiting.emplace(request, std::move(connection.fd));
    }

    // Later starts whose request the listener has not taken get the exit code.
    void answerBacklog() {
        for (const Pending& connection : pending)
            sendMessage(connection.fd.get(), exitCodeMessage, shared->exitCode);
        pending.clear();
        for (;;) {
            UniqueFd connection(accept4(listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection)
                return;
            if (peerIsUser(connection.get()))
                sendMessage(connection.get(), exitCodeMessage, shared->exitCode);
        }
    }

    bool handOver(const std::vector<std::string>& arguments) {
        auto block = encodeArguments(arguments);
        if (!block)
            return false;
        uint8_t request[requestSize];
        for (int i = 0; i < 4; ++i)
            request[i] = static_cast<uint8_t>(block->count >> (8 * i));
        std::memcpy(request + 4, block->bytes.data(), argumentBytes);
        return sendAll(connection.get(), request, requestSize);
    }
};

InstanceSession::InstanceSession() : platform_(std::make_unique<Platform>()) {}

InstanceSession::~InstanceSession() {
    if (role_ == InstanceRole::primary)
        end(0);
}

bool InstanceSession::start(const std::string& executablePath,
                            const std::vector<std::string>& arguments) {
    Platform& p = *platform_;
    if (!p.choosePaths(executablePath)) {
        trace("no folder of this user's own: this start runs on its own");
        return true;
    }
    std::string why;
    switch (p.elect(why)) {
    case Platform::Election::primary:
        if (p.becomePrimary()) {
            role_ = InstanceRole::primary;
            trace("primary");
        } else {
            p.lockFile.reset(); // the next start may manage it
            trace("cannot listen: this start runs on its own");
        }
        return true;
    case Platform::Election::secondary:
        role_ = InstanceRole::secondary;
        trace("handing the arguments to the primary");
        return p.handOver(arguments);
    case Platform::Election::unreachable:
        role_ = InstanceRole::secondary;
        trace(why);
        return false;
    case Platform::Election::alone:
        trace(why + ": this start runs on its own");
        p.lockFile.reset();
        p.connection.reset();
        break;
    }
    return true;
}

InstanceRole InstanceSession::role() const {
    return role_;
}

void InstanceSession::mainStarted(const SecondaryMainTarget& target) {
    SharedState& shared = *platform_->shared;
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.target = target;
    shared.mainStarted = true;
    shared.mainStartedChanged.notify_all();
}

int32_t InstanceSession::waitForPrimary() {
    return receiveAnswer(platform_->connection.get());
}

void InstanceSession::handOverExitCode(int32_t exitCode) {
    // The process ends now; its listener answers with the exit code until then.
    if (role_ == InstanceRole::primary)
        platform_->shared->endWith(exitCode);
}

void InstanceSession::end(int32_t exitCode) {
    if (role_ != InstanceRole::primary)
        return;
    role_ = InstanceRole::off;
    Platform& p = *platform_;
    p.shared->endWith(exitCode);
    // An eventfd write fails only when its counter would overflow; one wakes the listener.
    uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(p.wake.get(), &one, sizeof(one));
    if (p.listener.joinable())
        p.listener.join();
    // This process still holds the lock, so the names are its own. Later starts no longer find
    // the socket and wait for the lock, which they take as soon as it goes.
    unlink(p.socketPath.c_str());
    unlink(p.blockPath.c_str());
    p.answerBacklog();
    p.listenSocket.reset();
    p.lockFile.reset();
}
