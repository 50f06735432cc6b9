#include "vmhost/stream_redirection.h"

#include "support/paths.h"
#include "vmhost/java_strings.h"
#include "vmhost/jni_resources.h"
#include "vmhost/time_stamp.h"

namespace {

jobject newFileStream(JNIEnv* env, const std::string& name, bool append) {
    LocalRef<jstring> javaName(env, newJavaString(name, env));
    if (!javaName)
        return nullptr;
    LocalRef<jclass> streamClass(env, env->FindClass("java/io/FileOutputStream"));
    if (!streamClass)
        return nullptr;
    jmethodID constructor = env->GetMethodID(streamClass.get(), "<init>", "(Ljava/lang/String;Z)V");
    if (constructor == nullptr)
        return nullptr;
    return env->NewObject(streamClass.get(), constructor, javaName.get(),
                          append ? JNI_TRUE : JNI_FALSE);
}

jobject newPrintStream(JNIEnv* env, jobject fileStream) {
    LocalRef<jclass> printClass(env, env->FindClass("java/io/PrintStream"));
    if (!printClass)
        return nullptr;
    jmethodID constructor =
        env->GetMethodID(printClass.get(), "<init>", "(Ljava/io/OutputStream;)V");
    if (constructor == nullptr)
        return nullptr;
    return env->NewObject(printClass.get(), constructor, fileStream);
}

void redirectOrDescribe(JNIEnv* env, const std::string& name, bool append, StandardStream target) {
    if (!redirectStream(env, name, append, target) &&
        LocalRef<jthrowable>(env, env->ExceptionOccurred()))
        env->ExceptionDescribe();
}

} // namespace

bool redirectStream(JNIEnv* env, const std::string& name, bool append, StandardStream target) {
    // The VM resolves a relative name against the current folder; so do the folders made here.
    createFolderTree(absoluteFilePath(name));
    LocalRef<jobject> fileStream(env, newFileStream(env, name, append));
    if (!fileStream)
        return false;
    LocalRef<jobject> printStream(env, newPrintStream(env, fileStream.get()));
    if (!printStream)
        return false;
    LocalRef<jclass> systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass)
        return false;
    const char* setter = target == StandardStream::output ? "setOut" : "setErr";
    jmethodID method =
        env->GetStaticMethodID(systemClass.get(), setter, "(Ljava/io/PrintStream;)V");
    if (method == nullptr)
        return false;
    env->CallStaticVoidMethod(systemClass.get(), method, printStream.get());
    if (LocalRef<jthrowable>(env, env->ExceptionOccurred())) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

void redirectStandardStreams(StreamFiles streams, JNIEnv* env) {
    bool outputPicture = streams.outputFile.find('%') != std::string::npos;
    bool errorPicture = streams.errorFile.find('%') != std::string::npos;
    if (outputPicture || errorPicture) {
        // One reading of the clock, so that both files carry the same time.
        LocalTime now = currentLocalTime();
        if (outputPicture)
            expandTimeStamp(streams.outputFile, now);
        if (errorPicture)
            expandTimeStamp(streams.errorFile, now);
    }
    if (!streams.outputFile.empty())
        redirectOrDescribe(env, streams.outputFile, streams.outputAppend, StandardStream::output);
    if (!streams.errorFile.empty())
        redirectOrDescribe(env, streams.errorFile, streams.errorAppend, StandardStream::error);
}
