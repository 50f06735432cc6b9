#include "vmhost/vm_host.h"

#include "ui/messages.h"
#include "vmhost/exception_report.h"
#include "vmhost/java_strings.h"
#include "vmhost/jni_resources.h"
#include "vmhost/main_thread.h"

#include <jni.h>

namespace {

struct MainThreadStart {
    VmSession& session;
    const MainCall& call;
};

// The main thread's work: 1 when the VM cannot be created, else invokeMainClass ? 0 : 1.
uint32_t mainThreadEntry(void* context) {
    auto* start = static_cast<MainThreadStart*>(context);
    const MainCall& call = start->call;
    if (!createVm(call.entryPoints, call.vmOptions, call.streams, *call.errorOwner, start->session))
        return 1;
    return invokeMainClass(start->session, call) ? 0 : 1;
}

// The main class, or null after the user was told why not.
jclass findMainClass(const MainCall& call, JNIEnv* env) {
    LocalRef<jstring> name(env, newJavaString(call.mainClassName, env));
    if (!name) {
        reportErrorWithSubject(*call.errorOwner, loadResourceString(MessageId::mainClassLoadFailed),
                               call.mainClassName);
        return nullptr;
    }
    StringUtfChars bytes(env, name.get());
    if (bytes.get() == nullptr) {
        env->ExceptionDescribe();
        return nullptr;
    }
    jclass mainClass = env->FindClass(bytes.get());
    if (mainClass == nullptr) {
        env->ExceptionDescribe();
        // Modified UTF-8 is UTF-8 for every name a class file can give; launcher text is UTF-8.
        reportErrorWithSubject(*call.errorOwner, loadResourceString(MessageId::mainClassNotFound),
                               bytes.get());
    }
    return mainClass;
}

// A VM reports a missing method with a pending NoSuchMethodError; that is the message 216
// case. Any other exception (a failing static initializer, say) is the VM's to describe.
void reportMissingMain(JNIEnv* env, const std::atomic<OsHandle>& errorOwner) {
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (thrown) {
        env->ExceptionClear();
        LocalRef<jclass> missing(env, env->FindClass("java/lang/NoSuchMethodError"));
        bool isMissingMethod = missing && env->IsInstanceOf(thrown.get(), missing.get());
        if (!isMissingMethod) {
            env->Throw(thrown.get());
            env->ExceptionDescribe();
            return;
        }
    }
    reportError(errorOwner, loadResourceString(MessageId::mainMethodNotFound));
}

void handleUncaughtException(const MainCall& call, JNIEnv* env) {
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown)
        return;
    if (call.closeSplash)
        call.closeSplash();
    // Without the report the throwable stays pending; detaching then hands it to the thread's
    // uncaught-exception handler, which prints it.
    if (!call.showExceptionDialog)
        return;
    env->ExceptionClear();
    if (reportUncaughtException(thrown.get(), env))
        callSystemExit(env);
}

// Looks up the main class and main(String[]) and calls it; false when main could not be called.
bool callMain(const MainCall& call, JNIEnv* env) {
    LocalRef<jclass> mainClass(env, findMainClass(call, env));
    if (!mainClass)
        return false;
    jmethodID main = env->GetStaticMethodID(mainClass.get(), "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        reportMissingMain(env, *call.errorOwner);
        return false;
    }
    LocalRef<jobjectArray> arguments(env, buildArgumentArray(call.arguments, env));
    if (!arguments) {
        env->ExceptionDescribe();
        return false;
    }
    if (call.mainStarted)
        call.mainStarted();
    env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());
    handleUncaughtException(call, env);
    return true;
}

} // namespace

uint32_t runMainThread(VmSession& session, const MainCall& call) {
    uint64_t stackSize =
        call.stackSize != 0 ? call.stackSize : vmDefaultStackSize(call.entryPoints);
    MainThreadStart start{session, call};
    return runOnNewThread(stackSize, mainThreadEntry, &start);
}

bool invokeMainClass(const VmSession& session, const MainCall& call) {
    bool ran = callMain(call, session.env);
    if (ran && call.parkAfterMain)
        parkThreadForever();
    // Detached on failure too: DestroyJavaVM would wait for ever for a thread that ended while
    // still attached.
    bool detached = session.vm->DetachCurrentThread() == JNI_OK;
    return ran && detached;
}

void callSystemExit(JNIEnv* env) {
    LocalRef<jclass> systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass)
        return;
    jmethodID exit = env->GetStaticMethodID(systemClass.get(), "exit", "(I)V");
    if (exit == nullptr)
        return;
    env->CallStaticVoidMethod(systemClass.get(), exit, static_cast<jint>(-1));
    if (LocalRef<jthrowable>(env, env->ExceptionOccurred()))
        env->ExceptionDescribe();
}
