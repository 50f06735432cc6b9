// Test VM library (never shipped): stands in for jvm.dll under Wine, where no Windows Java
// runtime exists. It records what the launcher hands it, one line per event, in the UTF-8 file
// named by FAKE_JVM_RECORD, and simulates just enough of a VM for the launcher's main-thread
// path. Built three times: FAKE_JVM_EXPORTS 2 exports both invocation functions, 1 only
// JNI_CreateJavaVM, 0 neither; and once more with FAKE_JVM_HELPER, importing jvm_helper.dll.
//
// Environment: FAKE_JVM_CREATE_RESULT  JNI_CreateJavaVM's result (default 0)
//              FAKE_JVM_DEFAULT_STACK  javaStackSize reported through the JDK 1.1 record
//              FAKE_JVM_TRACE_FRAMES   frame lines of fake/Throws's stack trace (default 1)
//              FAKE_JVM_TRACE_WIDTH    characters added to the trace's first line (a path of
//                                      long names, all on that one line)
//              FAKE_JVM_TRACE_NUL      set: the first line ends with " before" U+0000 "after"
//              FAKE_JVM_SPLASH         set: records "splash-window ..." (the launcher's splash
//                                      window then) when main starts, when an exception is
//                                      cleared and before detaching; "wait": main first waits
//                                      (at most 20 s) until that window is shown
//              FAKE_JVM_RELEASE        the file whose appearance ends fake/Wait
//              FAKE_JVM_MEMORY         set: records "peak-working-set <bytes>" of the process
//                                      when the VM is destroyed
// Class data: like a real VM, writes the list of the classes it loads to the file that
// -XX:DumpLoadedClassList names (at once: the list is complete on every way the VM ends).
// Main classes: fake/Main returns; fake/Exit calls System.exit(first argument); fake/Throws
// ends with an exception whose printStackTrace writes traceText(); fake/NoMain has no main;
// any other name is missing. fake/Single (int secondaryMain: "answer=N" gives N, "hold" never
// returns, else the argument count) and fake/SingleVoid (void secondaryMain) run main until the
// file FAKE_JVM_STOP exists, then end through System.exit(FAKE_JVM_EXIT) when that is set.
// fake/Wait returns once FAKE_JVM_RELEASE exists (at most 2 minutes).

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <windows.h>

#include <psapi.h>

// This library implements the invocation functions that jni.h declares.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#if FAKE_JVM_HELPER
extern "C" __declspec(dllimport) const char* jvmHelperWord(void);
#endif

namespace {

struct FakeObject {
    std::string className; // the class of an instance, or the name of a class object
    bool isClass = false;
    std::u16string text;            // String and char[] contents
    std::vector<FakeObject*> items; // Object[] elements
    std::string utf8;               // GetStringUTFChars buffer
};

thread_local FakeObject* pendingException = nullptr;
std::mutex recordLock;
void(JNICALL* exitHook)(jint) = nullptr;

std::string environment(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

void record(const std::string& line) {
    std::string path = environment("FAKE_JVM_RECORD");
    if (path.empty())
        return;
    std::lock_guard<std::mutex> lock(recordLock);
    if (FILE* file = std::fopen(path.c_str(), "ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

std::string toUtf8(const std::u16string& text) {
    if (text.empty())
        return {};
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
    int size = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(text.size()), out.data(), size, nullptr,
                        nullptr);
    return out;
}

// The non-ASCII header, then the frame lines, each ending with LF alone.
std::u16string traceText() {
    std::string frames = environment("FAKE_JVM_TRACE_FRAMES");
    long count = frames.empty() ? 1 : std::atol(frames.c_str());
    std::u16string text = u"java.lang.IllegalStateException: Grüße — Ελληνικά — 日本語 — 𝄞";
    const std::u16string name = u"/com.example.AVeryLongPackageName.AndAnEvenLongerClassName";
    for (long width = std::atol(environment("FAKE_JVM_TRACE_WIDTH").c_str()); width > 0;
         width -= static_cast<long>(name.size()))
        text += name.substr(0, static_cast<size_t>(width));
    if (!environment("FAKE_JVM_TRACE_NUL").empty())
        text += std::u16string(u" before") + u'\0' + u"after";
    text += u"\n";
    for (long i = 1; i <= count; ++i) {
        std::string line = "\tat fake.Throws.level" + std::to_string(i) + "(Throws.java)\n";
        text.append(line.begin(), line.end());
    }
    return text;
}

FakeObject* object(jobject reference) {
    return reinterpret_cast<FakeObject*>(reference);
}

FakeObject* newObject(const std::string& className) {
    FakeObject* result = new FakeObject;
    result->className = className;
    return result;
}

void raise(const std::string& className, const std::string& message) {
    record("throw " + className + " " + message);
    pendingException = newObject(className);
}

// A method id is the method's name; the class decides what a call does.
jmethodID methodId(const char* name) {
    return reinterpret_cast<jmethodID>(_strdup(name));
}

bool isMainClass(const std::string& name) {
    return name == "fake/Main" || name == "fake/Exit" || name == "fake/Throws" ||
           name == "fake/Wait" || name == "fake/NoMain" || name == "fake/Single" ||
           name == "fake/SingleVoid";
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
    record(std::string("find-class ") + name);
    std::string className = name;
    if (className.rfind("java/", 0) != 0 && !isMainClass(className)) {
        raise("java/lang/NoClassDefFoundError", className);
        return nullptr;
    }
    FakeObject* result = newObject(className);
    result->isClass = true;
    return reinterpret_cast<jclass>(result);
}

jmethodID JNICALL getMethodId(JNIEnv*, jclass, const char* name, const char*) {
    return methodId(name);
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass cls, const char* name, const char* sig) {
    record(std::string("static-method ") + object(cls)->className + "." + name + sig);
    const std::string& className = object(cls)->className;
    bool secondary = std::string(name) == "secondaryMain";
    bool returnsInt = std::string(sig).back() == 'I';
    bool present = secondary ? (className == "fake/Single" && returnsInt) ||
                                   (className == "fake/SingleVoid" && !returnsInt)
                             : className != "fake/NoMain";
    if (!present) {
        raise("java/lang/NoSuchMethodError", name);
        return nullptr;
    }
    return methodId(name);
}

jobject JNICALL newObjectV(JNIEnv*, jclass cls, jmethodID, va_list args) {
    const std::string& className = object(cls)->className;
    FakeObject* result = newObject(className);
    if (className == "java/lang/String") {
        result->text = object(va_arg(args, jobject))->text;
    } else if (className == "java/io/FileOutputStream") {
        std::string name = toUtf8(object(va_arg(args, jobject))->text);
        int append = va_arg(args, int);
        record("file-stream " + name + (append ? " append" : " truncate"));
    } else if (className == "java/io/PrintStream") {
        result->items.push_back(object(va_arg(args, jobject))); // the byte buffer
    }
    return reinterpret_cast<jobject>(result);
}

jobject JNICALL newObject(JNIEnv* env, jclass cls, jmethodID method, ...) {
    va_list args;
    va_start(args, method);
    jobject result = newObjectV(env, cls, method, args);
    va_end(args);
    return result;
}

jcharArray JNICALL newCharArray(JNIEnv*, jsize length) {
    FakeObject* result = newObject("[C");
    result->text.resize(static_cast<size_t>(length));
    return reinterpret_cast<jcharArray>(result);
}

void JNICALL setCharArrayRegion(JNIEnv*, jcharArray array, jsize start, jsize length,
                                const jchar* chars) {
    for (jsize i = 0; i < length; ++i)
        object(array)->text[static_cast<size_t>(start + i)] = static_cast<char16_t>(chars[i]);
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass, jobject) {
    FakeObject* result = newObject("[Ljava/lang/String;");
    result->items.resize(static_cast<size_t>(length));
    return reinterpret_cast<jobjectArray>(result);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    object(array)->items[static_cast<size_t>(index)] = object(value);
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring text, jboolean*) {
    object(text)->utf8 = toUtf8(object(text)->text);
    return object(text)->utf8.c_str();
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char*) {}

[[maybe_unused]] void writeClassList(const std::string& option) {
    const std::string listOption = "-XX:DumpLoadedClassList=";
    if (option.rfind(listOption, 0) != 0)
        return;
    if (FILE* file = std::fopen(option.substr(listOption.size()).c_str(), "wb")) {
        std::fputs("java/lang/Object id: 0\nfake/Main id: 1\n", file);
        std::fclose(file);
        record("class-list-written");
    }
}

jsize JNICALL getStringLength(JNIEnv*, jstring text) {
    return static_cast<jsize>(object(text)->text.size());
}

const jchar* JNICALL getStringChars(JNIEnv*, jstring text, jboolean*) {
    return reinterpret_cast<const jchar*>(object(text)->text.c_str());
}

void JNICALL releaseStringChars(JNIEnv*, jstring, const jchar*) {}

jclass JNICALL getObjectClass(JNIEnv*, jobject instance) {
    FakeObject* result = newObject(object(instance)->className);
    result->isClass = true;
    return reinterpret_cast<jclass>(result);
}

// printStackTrace(PrintStream) writes into the stream's byte buffer.
void JNICALL callVoidMethodV(JNIEnv*, jobject instance, jmethodID method, va_list args) {
    std::string name = reinterpret_cast<const char*>(method);
    record("call " + object(instance)->className + "." + name);
    if (name == "printStackTrace")
        object(va_arg(args, jobject))->items[0]->text += traceText();
}

// ByteArrayOutputStream.toString(charset) gives the buffer's text.
jobject JNICALL callObjectMethodV(JNIEnv*, jobject instance, jmethodID method, va_list) {
    FakeObject* result = newObject("java/lang/String");
    if (std::string(reinterpret_cast<const char*>(method)) == "toString")
        result->text = object(instance)->text;
    return reinterpret_cast<jobject>(result);
}

[[noreturn]] void systemExit(jint code) {
    record("exit " + std::to_string(code));
    if (exitHook != nullptr)
        exitHook(code);
    ExitProcess(static_cast<UINT>(code));
}

// The launcher's splash window as another thread of the process sees it: "none", or its
// rectangle and visibility, then its window, extended and class styles.
void recordSplashWindow() {
    if (environment("FAKE_JVM_SPLASH").empty())
        return;
    HWND window = FindWindowW(L"SplashScreenWindow", nullptr);
    RECT rect{};
    if (window != nullptr)
        GetWindowRect(window, &rect);
    record(window == nullptr
               ? "splash-window none"
               : "splash-window " + std::to_string(rect.left) + "," + std::to_string(rect.top) +
                     " " + std::to_string(rect.right - rect.left) + "x" +
                     std::to_string(rect.bottom - rect.top) +
                     (IsWindowVisible(window) ? " visible" : " hidden"));
    if (window != nullptr) {
        char styles[128];
        std::snprintf(styles, sizeof(styles), "splash-styles 0x%08lx 0x%08lx 0x%08lx",
                      static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                      static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)),
                      static_cast<unsigned long>(GetClassLongPtrW(window, GCL_STYLE)));
        record(styles);
    }
}

// Shown, or made without a size (which the system may keep hidden).
bool splashWindowSettled() {
    HWND window = FindWindowW(L"SplashScreenWindow", nullptr);
    RECT rect{};
    return window != nullptr &&
           (IsWindowVisible(window) || (GetWindowRect(window, &rect) && IsRectEmpty(&rect)));
}

void waitForSplashWindow() {
    if (environment("FAKE_JVM_SPLASH") != "wait")
        return;
    for (int i = 0; i < 400 && !splashWindowSettled(); ++i)
        Sleep(50);
}

void waitForRelease() {
    std::string path = environment("FAKE_JVM_RELEASE");
    for (int i = 0; i < 2400 && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
}

std::string firstArgument(FakeObject* arguments) {
    return arguments->items.empty() ? std::string() : toUtf8(arguments->items[0]->text);
}

// One line per request: "secondary [a][b]...".
jint runSecondaryMain(FakeObject* arguments) {
    std::string line = "secondary ";
    for (FakeObject* item : arguments->items)
        line += "[" + toUtf8(item->text) + "]";
    record(line);
    std::string first = firstArgument(arguments);
    if (first == "hold")
        Sleep(INFINITE);
    if (first.rfind("answer=", 0) == 0)
        return std::atoi(first.c_str() + 7);
    return static_cast<jint>(arguments->items.size());
}

void runSingle() {
    std::string stop = environment("FAKE_JVM_STOP");
    while (GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES)
        Sleep(10);
    if (jint code = std::atoi(environment("FAKE_JVM_EXIT").c_str()))
        systemExit(code);
}

void runMain(const std::string& className, FakeObject* arguments) {
    waitForSplashWindow();
    recordSplashWindow();
    for (FakeObject* item : arguments->items)
        record("main-arg " + toUtf8(item->text));
    if (className == "fake/Wait")
        waitForRelease();
    if (className == "fake/Single" || className == "fake/SingleVoid")
        runSingle();
    if (className == "fake/Exit")
        systemExit(arguments->items.empty() ? 0
                                            : std::atoi(toUtf8(arguments->items[0]->text).c_str()));
    if (className == "fake/Throws")
        raise("java/lang/IllegalStateException", "thrown by main");
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass cls, jmethodID method, va_list args) {
    const std::string& className = object(cls)->className;
    std::string name = reinterpret_cast<const char*>(method);
    record("call " + className + "." + name);
    if (className == "java/lang/System" && name == "exit")
        systemExit(va_arg(args, jint));
    if (name == "main")
        runMain(className, object(va_arg(args, jobject)));
    if (name == "secondaryMain")
        runSecondaryMain(object(va_arg(args, jobject)));
}

jint JNICALL callStaticIntMethodV(JNIEnv*, jclass, jmethodID, va_list args) {
    return runSecondaryMain(object(va_arg(args, jobject)));
}

jint JNICALL callStaticIntMethod(JNIEnv* env, jclass cls, jmethodID method, ...) {
    va_list args;
    va_start(args, method);
    jint result = callStaticIntMethodV(env, cls, method, args);
    va_end(args);
    return result;
}

void JNICALL callStaticVoidMethod(JNIEnv* env, jclass cls, jmethodID method, ...) {
    va_list args;
    va_start(args, method);
    callStaticVoidMethodV(env, cls, method, args);
    va_end(args);
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    return reinterpret_cast<jthrowable>(pendingException);
}

void JNICALL exceptionDescribe(JNIEnv*) {
    if (pendingException != nullptr)
        record("describe " + pendingException->className);
    pendingException = nullptr;
}

void JNICALL exceptionClear(JNIEnv*) {
    recordSplashWindow();
    if (pendingException != nullptr)
        record("clear " + pendingException->className);
    pendingException = nullptr;
}

jint JNICALL throwObject(JNIEnv*, jthrowable thrown) {
    pendingException = object(thrown);
    return JNI_OK;
}

jboolean JNICALL isInstanceOf(JNIEnv*, jobject instance, jclass cls) {
    return object(instance)->className == object(cls)->className ? JNI_TRUE : JNI_FALSE;
}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

// The most memory the process has held at once, as the system counts it.
void recordPeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!environment("FAKE_JVM_MEMORY").empty() &&
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)))
        record("peak-working-set " + std::to_string(counters.PeakWorkingSetSize));
}

jint JNICALL destroyJavaVm(JavaVM*) {
    recordPeakWorkingSet();
    record("destroy");
    return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*);

jint JNICALL detachCurrentThread(JavaVM*) {
    recordSplashWindow();
    record(pendingException ? "detach with " + pendingException->className : "detach");
    pendingException = nullptr;
    return JNI_OK;
}

JNINativeInterface_ nativeInterface() {
    JNINativeInterface_ table{};
    table.FindClass = findClass;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.NewObject = newObject;
    table.NewObjectV = newObjectV;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;
    table.GetStringLength = getStringLength;
    table.GetStringChars = getStringChars;
    table.ReleaseStringChars = releaseStringChars;
    table.GetObjectClass = getObjectClass;
    table.CallVoidMethodV = callVoidMethodV;
    table.CallObjectMethodV = callObjectMethodV;
    table.CallStaticVoidMethod = callStaticVoidMethod;
    table.CallStaticVoidMethodV = callStaticVoidMethodV;
    table.CallStaticIntMethod = callStaticIntMethod;
    table.CallStaticIntMethodV = callStaticIntMethodV;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.IsInstanceOf = isInstanceOf;
    table.Throw = throwObject;
    table.DeleteLocalRef = deleteLocalRef;
    return table;
}

const JNINativeInterface_ nativeTable = nativeInterface();
JNIInvokeInterface_ invokeTable{
    nullptr, nullptr, nullptr, destroyJavaVm, attachCurrentThread, detachCurrentThread,
    nullptr, nullptr};
JNIEnv_ fakeEnv{&nativeTable};

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*) {
    *env = &fakeEnv;
    return JNI_OK;
}

[[maybe_unused]] JavaVM_ fakeVm{&invokeTable};

// Bytes reserved for the calling thread's stack.
[[maybe_unused]] unsigned long long threadStackSize() {
    ULONG_PTR low = 0;
    ULONG_PTR high = 0;
    GetCurrentThreadStackLimits(&low, &high);
    return high - low;
}

} // namespace

extern "C" {

#if FAKE_JVM_EXPORTS >= 1
JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* initArgs) {
    auto* args = static_cast<JavaVMInitArgs*>(initArgs);
    record("create version=" + std::to_string(args->version) +
           " ignoreUnrecognized=" + std::to_string(args->ignoreUnrecognized));
    record("stack " + std::to_string(threadStackSize()));
#if FAKE_JVM_HELPER
    record(jvmHelperWord());
#endif
    for (jint i = 0; i < args->nOptions; ++i) {
        const JavaVMOption& option = args->options[i];
        writeClassList(option.optionString);
        record(std::string("option ") + option.optionString +
               (option.extraInfo != nullptr ? " [hook]" : ""));
        if (std::string(option.optionString) == "exit")
            exitHook = reinterpret_cast<void(JNICALL*)(jint)>(option.extraInfo);
    }
    jint result = static_cast<jint>(std::atoi(environment("FAKE_JVM_CREATE_RESULT").c_str()));
    if (result != JNI_OK)
        return result;
    *vm = &fakeVm;
    *env = &fakeEnv;
    return JNI_OK;
}
#endif

#if FAKE_JVM_EXPORTS >= 2
JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* initArgs) {
    // The JDK 1.1 record: version, then (after a pointer and two ints) javaStackSize.
    struct Head {
        jint version;
        char** properties;
        jint checkSource;
        jint nativeStackSize;
        jint javaStackSize;
    };
    auto* args = static_cast<Head*>(initArgs);
    record("default-args version=" + std::to_string(args->version));
    std::string stack = environment("FAKE_JVM_DEFAULT_STACK");
    if (!stack.empty())
        args->javaStackSize = static_cast<jint>(std::atol(stack.c_str()));
    return JNI_OK;
}
#endif

} // extern "C"
