#include "vmhost/vm_host.h"

#include "launch/launcher.h"
#include "splash/splash.h"
#include "ui/messages.h"
#include "vmhost/exception_report.h"
#include "vmhost/java_strings.h"
#include "vmhost/jni_resources.h"
#include "vmhost/main_thread.h"

#include <jni.h>

namespace {

struct MainThreadStart {
    Launcher& launcher;
    const MainStarted& mainStarted;
};

uint32_t mainThreadEntry(void* context) {
    auto* start = static_cast<MainThreadStart*>(context);
    return mainThreadProc(start->launcher, start->mainStarted);
}

// The main class, or null after the user was told why not.
jclass findMainClass(Launcher& launcher, JNIEnv* env) {
    LocalRef<jstring> name(env, newJavaString(launcher.mainClassName, env));
    if (!name) {
        reportErrorWithSubject(launcher.splash.windowHandle,
                               loadResourceString(MessageId::mainClassLoadFailed),
                               launcher.mainClassName);
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
        reportErrorWithSubject(launcher.splash.windowHandle,
                               loadResourceString(MessageId::mainClassNotFound), bytes.get());
    }
    return mainClass;
}

// A VM reports a missing method with a pending NoSuchMethodError; that is the message 216
// case. Any other exception (a failing static initializer, say) is the VM's to describe.
void reportMissingMain(Launcher& launcher, JNIEnv* env) {
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
    reportError(launcher.splash.windowHandle, loadResourceString(MessageId::mainMethodNotFound));
}

void handleUncaughtException(Launcher& launcher, JNIEnv* env) {
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown)
        return;
    closeSplash(launcher.splash);
    // Without the report the throwable stays pending; detaching then hands it to the thread's
    // uncaught-exception handler, which prints it.
    if (!launcher.showExceptionDialog)
        return;
    env->ExceptionClear();
    if (reportUncaughtException(thrown.get(), env))
        callSystemExit(launcher);
}

// Looks up the main class and main(String[]) and calls it; false when main could not be called.
bool callMain(Launcher& launcher, JNIEnv* env, const MainStarted& mainStarted) {
    LocalRef<jclass> mainClass(env, findMainClass(launcher, env));
    if (!mainClass)
        return false;
    jmethodID main = env->GetStaticMethodID(mainClass.get(), "main", "([Ljava/lang/String;)V");
    if (main == nullptr) {
        reportMissingMain(launcher, env);
        return false;
    }
    LocalRef<jobjectArray> arguments(env, buildArgumentArray(launcher.mainArguments, env));
    if (!arguments) {
        env->ExceptionDescribe();
        return false;
    }
    if (mainStarted)
        mainStarted();
    env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());
    handleUncaughtException(launcher, env);
    return true;
}

} // namespace

uint32_t runMainThread(Launcher& launcher, const MainStarted& mainStarted) {
    if (launcher.mainStackSize == 0)
        launcher.mainStackSize = vmDefaultStackSize(launcher);
    MainThreadStart start{launcher, mainStarted};
    return runOnNewThread(launcher.mainStackSize, mainThreadEntry, &start);
}

uint32_t mainThreadProc(Launcher& launcher, const MainStarted& mainStarted) {
    if (!createVm(launcher))
        return 1;
    return invokeMainClass(launcher, mainStarted) ? 0 : 1;
}

bool invokeMainClass(Launcher& launcher, const MainStarted& mainStarted) {
    bool ran = callMain(launcher, launcher.jniEnv, mainStarted);
    // These provider settings keep the process alive until the program calls System.exit.
    if (ran && (launcher.ibmRuntimeAdmitted || launcher.ibmRuntimeFavored))
        parkThreadForever();
    // Detached on failure too: DestroyJavaVM would wait for ever for a thread that ended while
    // still attached.
    bool detached = launcher.javaVM->DetachCurrentThread() == JNI_OK;
    return ran && detached;
}

void callSystemExit(Launcher& launcher) {
    JNIEnv* env = launcher.jniEnv;
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
