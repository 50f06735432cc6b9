// Single instance on POSIX. The first start binds a local socket in the abstract namespace named
// after the executable's path (the kernel frees the name when the process ends, however it
// ends, so a killed primary leaves nothing that blocks the next start) and creates the shared
// block of the same name. A later start connects, writes its arguments into the block while it
// holds the block's write lock, sends the argument count and keeps the lock until the listener
// has copied them. Messages from the primary are one kind byte and a 32-bit value.
//
// A process cannot read another's exit code here: the primary sends its exit code to every
// later start still waiting when it ends. A later start whose primary dies without a word
// (killed) ends with -1.

#include "instance/instance_session.h"

#include "instance/instance_block.h"
#include "support/unique_resource.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
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

namespace {

constexpr int32_t answerFailure = -1;
// The abstract socket name and the shared-memory name share one length limit.
constexpr size_t maxNameLength = 100;
// How long a later start keeps trying while the primary is between its bind and its listen.
constexpr int connectAttempts = 2000;
// The one request message of the socket protocol, written where Windows keeps its message id.
constexpr uint32_t requestMessageId = 1;

constexpr char copiedMessage = 'c';
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

sockaddr_un socketAddress(const std::string& name, socklen_t& length) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // sun_path[0] stays 0: the abstract namespace.
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

UniqueFd newSocket() {
    return UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
}

bool sendMessage(int fd, char kind, int32_t value) {
    uint8_t message[5] = {static_cast<uint8_t>(kind)};
    for (int i = 0; i < 4; ++i)
        message[1 + i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
    return send(fd, message, sizeof(message), MSG_NOSIGNAL) == sizeof(message);
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

struct Message {
    char kind = 0;
    int32_t value = answerFailure;
};

// The next message, or kind 0 when the primary closed the connection without one.
Message receiveMessage(int fd) {
    uint8_t data[5];
    if (!receiveAll(fd, data, sizeof(data)))
        return {};
    return {static_cast<char>(data[0]), static_cast<int32_t>(littleEndian(data + 1))};
}

bool lockBlock(int fd, short type) {
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    int command = type == F_UNLCK ? F_OFD_SETLK : F_OFD_SETLKW;
    while (fcntl(fd, command, &range) != 0) {
        if (errno != EINTR)
            return false;
    }
    return true;
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

} // namespace

struct InstanceSession::Platform {
    std::string name;
    UniqueFd listenSocket;
    UniqueFd wake;
    UniqueFd blockFd;
    std::optional<BlockView> view;
    std::thread listener;
    std::vector<UniqueFd> connected; // later starts whose request has not arrived yet
    std::shared_ptr<SharedState> shared = std::make_shared<SharedState>();

    // Secondary.
    UniqueFd connection;
    Message early; // an answer that came instead of the copy acknowledgement

    std::string blockName() const { return "/" + name; }

    bool openBlock(int flags) {
        blockFd.reset(shm_open(blockName().c_str(), flags | O_RDWR | O_CLOEXEC, 0600));
        if (!blockFd)
            return false;
        if ((flags & O_CREAT) != 0 && ftruncate(blockFd.get(), blockSize) != 0)
            return false;
        return view.emplace(blockFd.get()).valid();
    }

    bool becomePrimary() {
        if (!openBlock(O_CREAT))
            return false;
        std::memset(view->bytes(), 0, blockSize);
        wake.reset(eventfd(0, EFD_CLOEXEC));
        if (!wake || listen(listenSocket.get(), SOMAXCONN) != 0)
            return false;
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
        for (;;) {
            std::vector<pollfd> watched{{wake.get(), POLLIN, 0}, {listenSocket.get(), POLLIN, 0}};
            for (const UniqueFd& connection : connected)
                watched.push_back({connection.get(), POLLIN, 0});
            if (poll(watched.data(), watched.size(), -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (watched[0].revents != 0)
                return;
            // Requests are taken in the order they are sent, which the block's lock decides,
            // not in the order their starts connected.
            for (size_t i = connected.size(); i-- > 0;) {
                if (watched[2 + i].revents != 0) {
                    takeRequest(std::move(connected[i]));
                    connected.erase(connected.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            if (watched[1].revents != 0) {
                UniqueFd connection(accept4(listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC));
                if (connection)
                    connected.push_back(std::move(connection));
            }
        }
    }

    void takeRequest(UniqueFd connection) {
        // The count is ready; a process that sends only part of it must not hold up the listener.
        timeval limit{1, 0};
        setsockopt(connection.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
        uint8_t count[4];
        if (!receiveAll(connection.get(), count, sizeof(count)))
            return;
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (shared->ended) {
            sendMessage(connection.get(), exitCodeMessage, shared->exitCode);
            return;
        }
        // Copied now, while the later start holds the block's lock.
        ArgumentBlock block = readArguments(view->bytes(), littleEndian(count));
        sendMessage(connection.get(), copiedMessage, 0);
        auto arguments = decodeArguments(block);
        if (!arguments) {
            sendMessage(connection.get(), answerMessage, answerFailure);
            return;
        }
        uint64_t request = ++shared->lastRequest;
        try {
            std::thread(handleRequest, shared, request, std::move(*arguments)).detach();
        } catch (const std::system_error&) {
            sendMessage(connection.get(), answerMessage, answerFailure);
            return;
        }
        shared->waiting.emplace(request, std::move(connection));
    }

    // Later starts whose request the listener has not taken get the exit code.
    void answerBacklog() {
        for (const UniqueFd& connection : connected)
            sendMessage(connection.get(), exitCodeMessage, shared->exitCode);
        connected.clear();
        int flags = fcntl(listenSocket.get(), F_GETFL);
        fcntl(listenSocket.get(), F_SETFL, flags | O_NONBLOCK);
        for (;;) {
            UniqueFd connection(accept4(listenSocket.get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!connection)
                return;
            sendMessage(connection.get(), exitCodeMessage, shared->exitCode);
        }
    }

    enum class Election { primary, secondary, unreachable, failed };

    // The first start to bind the name is the primary; every other start connects to it.
    Election elect(const sockaddr_un& address, socklen_t length) {
        const sockaddr* at = reinterpret_cast<const sockaddr*>(&address);
        for (int attempt = 0; attempt < connectAttempts; ++attempt) {
            UniqueFd candidate = newSocket();
            if (!candidate)
                return Election::failed;
            if (bind(candidate.get(), at, length) == 0) {
                listenSocket = std::move(candidate);
                return Election::primary;
            }
            if (errno != EADDRINUSE)
                return Election::failed;
            connection = newSocket();
            if (connect(connection.get(), at, length) == 0)
                return Election::secondary;
            // Refused: the primary is between its bind and its listen, or closing down.
            if (errno != ECONNREFUSED)
                return Election::unreachable;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return Election::unreachable;
    }

    bool handOver(const std::vector<std::string>& arguments) {
        auto block = encodeArguments(arguments);
        if (!block)
            return false;
        // The primary creates the block before it listens and removes its name only when it
        // ends; without a block, the request goes empty and is answered with the exit code.
        bool opened = openBlock(0) && lockBlock(blockFd.get(), F_WRLCK);
        if (opened)
            writeArguments(view->bytes(), *block);
        bool sent = sendCount(opened ? block->count : 0);
        if (sent)
            early = receiveMessage(connection.get());
        if (opened)
            lockBlock(blockFd.get(), F_UNLCK);
        return sent && early.kind != 0;
    }

    bool sendCount(uint32_t count) {
        uint8_t bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<uint8_t>(count >> (8 * i));
        return send(connection.get(), bytes, sizeof(bytes), MSG_NOSIGNAL) == sizeof(bytes);
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
    p.name = instanceName(executablePath, PathStyle::posix, maxNameLength);
    socklen_t length = 0;
    sockaddr_un address = socketAddress(p.name, length);
    switch (p.elect(address, length)) {
    case Platform::Election::primary:
        if (p.becomePrimary())
            role_ = InstanceRole::primary;
        else
            p.listenSocket.reset(); // the next start may manage it
        return true;
    case Platform::Election::secondary:
        role_ = InstanceRole::secondary;
        return p.handOver(arguments);
    case Platform::Election::unreachable:
        role_ = InstanceRole::secondary;
        return false;
    case Platform::Election::failed:
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
    Platform& p = *platform_;
    Message message = p.early;
    if (message.kind == copiedMessage)
        message = receiveMessage(p.connection.get());
    return message.kind == 0 ? answerFailure : message.value;
}

void InstanceSession::handOverExitCode(int32_t exitCode) {
    if (role_ != InstanceRole::primary)
        return;
    platform_->shared->endWith(exitCode);
    // The process ends now; its listener still answers with the exit code until then.
    shm_unlink(platform_->blockName().c_str());
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
    p.answerBacklog();
    shm_unlink(p.blockName().c_str());
    // Closing the socket frees the name: the next start becomes the primary.
    p.listenSocket.reset();
}
