// Single instance on Windows. The first start creates the named block, registers the request
// message and runs a listener thread that takes requests from its message queue; one handler
// thread per request delivers it once main has begun. A later start takes the named lock,
// writes its arguments, posts the request (its thread id, the argument count) and keeps the lock
// until the listener has copied the block, so simultaneous starts never mix their arguments.
// Every wait for another process is bounded, so a process outside the protocol that holds the
// block or the lock makes a later start fail instead of hanging.

#include "instance/instance_session.h"

#include "instance/instance_block.h"
#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <windows.h>

using namespace instance_block;

namespace {

constexpr int32_t answerFailure = -1;
// Room for the suffixes of the lock and event names below the limit of object names.
constexpr size_t maxNameLength = 240;
// How long a later start waits for a first start that has created the block but does not
// listen yet, measured by the clock (a sleep of 1 ms lasts a whole timer tick).
constexpr ULONGLONG listenerWaitMilliseconds = 5000;
// How long a later start waits for the request lock, and then for the listener to copy its
// arguments; a lock that another process of the session keeps must not stop it for good.
constexpr DWORD requestWaitMilliseconds = 10000;

struct HandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE handle) { CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<HandleTraits>;

struct ViewTraits {
    static void* invalid() { return nullptr; }
    static void release(void* view) { UnmapViewOfFile(view); }
};
using UniqueView = UniqueResource<ViewTraits>;

// What the listener and the handler threads share; a handler may outlive the session.
struct SharedState {
    UniqueHandle mainStartedEvent;
    UINT messageId = 0;
    SecondaryMainTarget target; // written before mainStartedEvent is set
};

// One request, owned by its handler thread.
struct Request {
    std::shared_ptr<SharedState> shared;
    DWORD requester;
    std::vector<std::u16string> arguments;
};

void answer(DWORD thread, UINT messageId, int32_t value) {
    PostThreadMessageW(thread, messageId, static_cast<WPARAM>(static_cast<uint32_t>(value)), 0);
}

DWORD WINAPI handleRequest(void* parameter) {
    std::unique_ptr<Request> request(static_cast<Request*>(parameter));
    SharedState& shared = *request->shared;
    WaitForSingleObject(shared.mainStartedEvent.get(), INFINITE);
    deliverToSecondaryMain(shared.target, request->arguments, [&](int32_t value) {
        answer(request->requester, shared.messageId, value);
    });
    return 0;
}

uint8_t* bytes(const UniqueView& view) {
    return static_cast<uint8_t*>(view.get());
}

} // namespace

struct InstanceSession::Platform {
    std::wstring name;
    UniqueHandle mapping;
    UniqueView view;
    UniqueHandle requestLock; // held by a later start from writing the block until it is copied
    UniqueHandle copied;      // set by the listener once it has copied the block
    // Not make_shared: without type information it links the library's tag comparison.
    std::shared_ptr<SharedState> shared{new SharedState};

    // Primary.
    UniqueHandle listener;
    DWORD listenerId = 0;
    UniqueHandle listenerReady;

    // Secondary.
    UniqueHandle primaryProcess;
    BlockHeader header;

    bool createBlock(bool& existed) {
        mapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                         static_cast<DWORD>(blockSize), name.c_str()));
        existed = GetLastError() == ERROR_ALREADY_EXISTS;
        if (!mapping)
            return false;
        view.reset(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, blockSize));
        requestLock.reset(CreateMutexW(nullptr, FALSE, (name + L"_lock").c_str()));
        copied.reset(CreateEventW(nullptr, FALSE, FALSE, (name + L"_copied").c_str()));
        return view && requestLock && copied;
    }

    bool becomePrimary() {
        shared->mainStartedEvent.reset(
            CreateEventW(nullptr, TRUE, FALSE, (name + L"_upr_evt").c_str()));
        shared->messageId = RegisterWindowMessageW(name.c_str());
        listenerReady.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        if (!shared->mainStartedEvent || shared->messageId == 0 || !listenerReady)
            return false;
        listener.reset(CreateThread(nullptr, 0, listenerEntry, this, 0, &listenerId));
        if (!listener)
            return false;
        // Published only once the listener's queue exists, so that a request cannot be lost.
        HANDLE started[] = {listenerReady.get(), listener.get()};
        if (WaitForMultipleObjects(2, started, FALSE, INFINITE) != WAIT_OBJECT_0)
            return false;
        writeHeader(bytes(view), {listenerId, GetCurrentProcessId(), shared->messageId});
        return true;
    }

    static DWORD WINAPI listenerEntry(void* self) {
        static_cast<Platform*>(self)->listen();
        return 0;
    }

    void listen() {
        MSG message;
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        SetEvent(listenerReady.get());
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == shared->messageId)
                takeRequest(static_cast<DWORD>(message.wParam),
                            static_cast<uint32_t>(message.lParam));
        }
    }

    void takeRequest(DWORD requester, uint32_t count) {
        // Copied now, while the later start holds the lock.
        ArgumentBlock block = readArguments(bytes(view), count);
        SetEvent(copied.get());
        auto arguments = decodeArguments(block);
        if (!arguments) {
            answer(requester, shared->messageId, answerFailure);
            return;
        }
        auto* request = new Request{shared, requester, std::move(*arguments)};
        UniqueHandle handler(CreateThread(nullptr, 0, handleRequest, request, 0, nullptr));
        if (!handler) {
            delete request;
            answer(requester, shared->messageId, answerFailure);
        }
    }

    // The first start's header, once its listener is listening; false when it never is.
    bool readListeningHeader() {
        ULONGLONG deadline = GetTickCount64() + listenerWaitMilliseconds;
        for (;;) {
            MemoryBarrier();
            header = readHeader(bytes(view));
            if (header.listenerThreadId != 0)
                return true;
            if (GetTickCount64() >= deadline)
                return false;
            Sleep(1);
        }
    }

    enum class Wait { object, primaryEnded, timedOut };

    // Waits for the object, the first start's end (when its process could be opened) or the
    // time limit.
    Wait waitOrPrimaryEnd(HANDLE object) {
        HANDLE objects[] = {object, primaryProcess.get()};
        DWORD count = primaryProcess ? 2 : 1;
        DWORD result = WaitForMultipleObjects(count, objects, FALSE, requestWaitMilliseconds);
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0)
            return Wait::object;
        return result == WAIT_TIMEOUT ? Wait::timedOut : Wait::primaryEnded;
    }

    bool handOver(const std::vector<std::string>& arguments) {
        auto block = encodeArguments(arguments);
        if (!block || !readListeningHeader())
            return false;
        primaryProcess.reset(
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, header.processId));
        // Without the process the request still goes; waitForPrimary then answers 0 at once.
        // A first start that has ended gives its exit code there.
        Wait locked = waitOrPrimaryEnd(requestLock.get());
        if (locked != Wait::object)
            return locked == Wait::primaryEnded;
        ResetEvent(copied.get());
        writeArguments(bytes(view), *block);
        bool posted = PostThreadMessageW(header.listenerThreadId, header.messageId,
                                         GetCurrentThreadId(), block->count) != FALSE;
        // A listener that does not copy within the limit will not answer either.
        bool handed = posted && waitOrPrimaryEnd(copied.get()) != Wait::timedOut;
        ReleaseMutex(requestLock.get());
        return handed;
    }

    // The answer if one is queued for this thread.
    bool takeAnswer(int32_t& value) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == header.messageId) {
                value = static_cast<int32_t>(static_cast<uint32_t>(message.wParam));
                return true;
            }
        }
        return false;
    }
};

InstanceSession::InstanceSession() : platform_(std::make_unique<Platform>()) {}

InstanceSession::~InstanceSession() {
    end(0);
}

bool InstanceSession::start(const std::string& executablePath,
                            const std::vector<std::string>& arguments) {
    Platform& p = *platform_;
    p.name = toWide(instanceName(executablePath, PathStyle::windows, maxNameLength));
    bool existed = false;
    if (!p.createBlock(existed))
        return true;
    if (existed) {
        role_ = InstanceRole::secondary;
        return p.handOver(arguments);
    }
    if (p.becomePrimary()) {
        role_ = InstanceRole::primary;
    } else {
        // Later starts would otherwise wait for a listener that never comes.
        p.view.reset();
        p.mapping.reset();
    }
    return true;
}

InstanceRole InstanceSession::role() const {
    return role_;
}

void InstanceSession::mainStarted(const SecondaryMainTarget& target) {
    SharedState& shared = *platform_->shared;
    shared.target = target;
    SetEvent(shared.mainStartedEvent.get());
}

int32_t InstanceSession::waitForPrimary() {
    Platform& p = *platform_;
    if (!p.primaryProcess)
        return 0;
    int32_t value = 0;
    for (;;) {
        if (p.takeAnswer(value))
            return value;
        HANDLE process = p.primaryProcess.get();
        if (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_POSTMESSAGE) ==
            WAIT_OBJECT_0)
            break;
    }
    // An answer posted just before the first start ended still counts.
    if (p.takeAnswer(value))
        return value;
    DWORD exitCode = 0;
    GetExitCodeProcess(p.primaryProcess.get(), &exitCode);
    return static_cast<int32_t>(exitCode);
}

void InstanceSession::handOverExitCode(int32_t) {
    // A later start reads the ending process's exit code itself.
}

void InstanceSession::end(int32_t) {
    Platform& p = *platform_;
    if (!p.listener)
        return;
    PostThreadMessageW(p.listenerId, WM_QUIT, 0, 0);
    WaitForSingleObject(p.listener.get(), INFINITE);
    p.listener.reset();
    role_ = InstanceRole::off;
}
