#include "vmhost/exception_report.h"

#include "ui/exception_dialog.h"
#include "vmhost/java_strings.h"
#include "vmhost/jni_resources.h"

namespace {

// Prints a pending exception to the VM's standard error; true when there was one.
bool describePending(JNIEnv* env) {
    if (!LocalRef<jthrowable>(env, env->ExceptionOccurred()))
        return false;
    env->ExceptionDescribe();
    return true;
}

std::string failed(JNIEnv* env) {
    describePending(env);
    return {};
}

} // namespace

std::string describeThrowable(jthrowable throwable, JNIEnv* env) {
    if (throwable == nullptr)
        return {};
    // Both directions name UTF-8: the VM's default charset (an ANSI code page, or ASCII in a
    // POSIX "C" locale) would turn every character outside it into '?'.
    LocalRef<jstring> encoding(env, newJavaString("UTF-8", env));
    LocalRef<jclass> bufferClass(env, env->FindClass("java/io/ByteArrayOutputStream"));
    LocalRef<jclass> printClass(env, env->FindClass("java/io/PrintStream"));
    LocalRef<jclass> throwableClass(env, env->GetObjectClass(throwable));
    if (!encoding || !bufferClass || !printClass || !throwableClass)
        return failed(env);
    jmethodID newBuffer = env->GetMethodID(bufferClass.get(), "<init>", "()V");
    jmethodID newPrint = env->GetMethodID(printClass.get(), "<init>",
                                          "(Ljava/io/OutputStream;ZLjava/lang/String;)V");
    jmethodID printStackTrace =
        env->GetMethodID(throwableClass.get(), "printStackTrace", "(Ljava/io/PrintStream;)V");
    jmethodID toText =
        env->GetMethodID(bufferClass.get(), "toString", "(Ljava/lang/String;)Ljava/lang/String;");
    if (newBuffer == nullptr || newPrint == nullptr || printStackTrace == nullptr ||
        toText == nullptr)
        return failed(env);

    LocalRef<jobject> buffer(env, env->NewObject(bufferClass.get(), newBuffer));
    if (!buffer)
        return failed(env);
    LocalRef<jobject> stream(
        env, env->NewObject(printClass.get(), newPrint, buffer.get(), JNI_FALSE, encoding.get()));
    if (!stream)
        return failed(env);
    env->CallVoidMethod(throwable, printStackTrace, stream.get());
    if (describePending(env))
        return {};
    LocalRef<jstring> text(
        env, static_cast<jstring>(env->CallObjectMethod(buffer.get(), toText, encoding.get())));
    if (describePending(env) || !text)
        return {};
    return javaStringText(text.get(), env);
}

bool reportUncaughtException(jthrowable throwable, JNIEnv* env) {
    std::string report = describeThrowable(throwable, env);
    if (report.empty())
        return false;
    return runExceptionDialog(report) == ExceptionChoice::stop;
}
