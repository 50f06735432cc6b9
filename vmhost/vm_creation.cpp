#include "vmhost/vm_host.h"

#include "support/trace.h"
#include "ui/messages.h"
#include "vmhost/stream_redirection.h"
#include "vmhost/vm_hook_listener.h"
#include "vmhost/vm_library.h"

#include <jni.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);
using DefaultInitArgsFunction = jint(JNICALL*)(void*);

// The JDK 1.1 init-args record, which current headers no longer carry: the VM still reports
// its default Java stack size through it.
struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

// Set on the first thread, read by the hooks on whichever Java thread ends the VM.
std::atomic<VmHookListener*> installedListener{nullptr};

void JNICALL exitHook(jint code) {
    // The first thread waits for the main thread meanwhile, so the trace is not shared.
    if (isTracing())
        traceLine("exit code " + std::to_string(code) + " (the program called System.exit)");
    if (VmHookListener* listener = installedListener.load())
        listener->onExit(static_cast<int32_t>(code));
}

void JNICALL abortHook() {
    if (VmHookListener* listener = installedListener.load())
        listener->onAbort();
}

// The user's options in order, then "abort" and "exit" with their hooks. The strings stay
// owned by vmOptions.
std::vector<JavaVMOption> optionArray(const std::vector<std::string>& vmOptions) {
    std::vector<JavaVMOption> options;
    options.reserve(vmOptions.size() + 2);
    for (const std::string& text : vmOptions)
        options.push_back({const_cast<char*>(text.c_str()), nullptr});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});
    return options;
}

void reportLibraryFailure(const std::atomic<OsHandle>& errorOwner, const std::string& path,
                          const VmLibrary& library) {
    if (library.status == VmLibrary::Status::loadFailed) {
        reportErrorWithCode(errorOwner, loadResourceString(MessageId::vmLibraryLoadFailed), path,
                            library.systemError);
    } else {
        reportErrorWithCode(errorOwner, loadResourceString(MessageId::windowsException),
                            loadResourceString(MessageId::createJavaVmMissing),
                            library.systemError);
    }
}

} // namespace

void setVmHookListener(VmHookListener* listener) {
    installedListener.store(listener);
}

VmHookListener* vmHookListener() {
    return installedListener.load();
}

std::optional<VmEntryPoints> loadVmLibrary(const std::string& path,
                                           const std::atomic<OsHandle>& errorOwner) {
    VmLibrary library = openVmLibrary(path);
    if (library.status != VmLibrary::Status::loaded) {
        reportLibraryFailure(errorOwner, path, library);
        return std::nullopt;
    }
    return VmEntryPoints{library.createJavaVm, library.defaultInitArgs};
}

uint64_t vmDefaultStackSize(const VmEntryPoints& entryPoints) {
    auto defaults = reinterpret_cast<DefaultInitArgsFunction>(entryPoints.defaultInitArgs);
    if (defaults == nullptr)
        return 0;
    // The JDK 1.1 record is the one through which the VM reports its default stack size.
    Jdk11InitArgs args{};
    args.version = JNI_VERSION_1_1;
    defaults(&args);
    return args.javaStackSize > 0 ? static_cast<uint64_t>(args.javaStackSize) : 0;
}

int createVmReasonId(int32_t code) {
    switch (code) {
    case JNI_ERR:
        return MessageId::reasonUnknown;
    case JNI_EDETACHED:
        return MessageId::reasonDetached;
    case JNI_EVERSION:
        return MessageId::reasonVersion;
    case JNI_ENOMEM:
        return MessageId::reasonNoMemory;
    case JNI_EEXIST:
        return MessageId::reasonExists;
    case JNI_EINVAL:
        return MessageId::reasonInvalidArguments;
    default:
        return 0;
    }
}

bool createVm(const VmEntryPoints& entryPoints, const std::vector<std::string>& vmOptions,
              const StreamFiles& streams, const std::atomic<OsHandle>& errorOwner,
              VmSession& session) {
    auto create = reinterpret_cast<CreateJavaVmFunction>(entryPoints.createJavaVm);
    if (create == nullptr)
        return false;
    std::vector<JavaVMOption> options = optionArray(vmOptions);
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    jint result = create(&vm, reinterpret_cast<void**>(&env), &args);
    if (result != JNI_OK) {
        int reasonId = createVmReasonId(static_cast<int32_t>(result));
        reportErrorWithReason(errorOwner, loadResourceString(MessageId::jniExceptionWithReason),
                              loadResourceString(MessageId::createVmFailed),
                              reasonId == 0 ? std::string() : loadResourceString(reasonId));
        return false;
    }
    session.vm = vm;
    session.env = env;
    redirectStandardStreams(streams, env);
    return true;
}

void destroyVm(VmSession& session) {
    if (session.vm == nullptr)
        return;
    session.vm->DestroyJavaVM();
    session.vm = nullptr;
    session.env = nullptr;
}
