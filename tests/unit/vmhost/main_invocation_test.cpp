#include "vmhost/java_strings.h"
#include "vmhost/vm_host.h"

#include <jni.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdarg>
#include <memory>
#include <string>
#include <vector>

namespace {

// A stand-in VM, just enough of JNI for the main thread's way to main(String[]): objects are
// texts (class names, strings) or arrays of them, and every call is logged.
struct FakeObject {
    std::u16string text;
    std::string utf8;
    std::vector<std::u16string> elements;
};

struct FakeVm {
    std::vector<std::unique_ptr<FakeObject>> objects;
    std::vector<std::string> log;
    std::vector<std::string> createdWith;
    int defaultArgsAsked = 0;
};
FakeVm* fake = nullptr;

FakeObject& objectOf(void* reference) {
    return *static_cast<FakeObject*>(reference);
}

FakeObject* newObject(std::u16string text = {}) {
    fake->objects.push_back(std::make_unique<FakeObject>());
    fake->objects.back()->text = std::move(text);
    return fake->objects.back().get();
}

std::string narrow(const std::u16string& text) {
    return utf16ToUtf8(text.data(), text.size());
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
    fake->log.push_back(std::string("find ") + name);
    return reinterpret_cast<jclass>(newObject(utf8ToUtf16(name)));
}

jmethodID JNICALL getMethodId(JNIEnv*, jclass, const char*, const char*) {
    return reinterpret_cast<jmethodID>(1);
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass type, const char* name, const char* sig) {
    fake->log.push_back("method " + narrow(objectOf(type).text) + "." + name + sig);
    return reinterpret_cast<jmethodID>(2);
}

jcharArray JNICALL newCharArray(JNIEnv*, jsize) {
    return reinterpret_cast<jcharArray>(newObject());
}

void JNICALL setCharArrayRegion(JNIEnv*, jcharArray array, jsize, jsize length,
                                const jchar* units) {
    objectOf(array).text.assign(reinterpret_cast<const char16_t*>(units),
                                static_cast<size_t>(length));
}

jobject JNICALL newObjectV(JNIEnv*, jclass, jmethodID, va_list arguments) {
    jobject chars = va_arg(arguments, jobject);
    return reinterpret_cast<jobject>(newObject(objectOf(chars).text));
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
    return nullptr;
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring text, jboolean*) {
    FakeObject& object = objectOf(text);
    object.utf8 = narrow(object.text);
    return object.utf8.c_str();
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char*) {}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass, jobject) {
    FakeObject* array = newObject();
    array->elements.resize(static_cast<size_t>(length));
    return reinterpret_cast<jobjectArray>(array);
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject item) {
    objectOf(array).elements.at(static_cast<size_t>(index)) = objectOf(item).text;
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass type, jmethodID, va_list arguments) {
    auto array = va_arg(arguments, jobjectArray);
    std::string text = "call " + narrow(objectOf(type).text);
    for (const std::u16string& element : objectOf(array).elements)
        text += " " + narrow(element);
    fake->log.push_back(text);
}

void JNICALL deleteLocalRef(JNIEnv*, jobject) {}

jint JNICALL detachCurrentThread(JavaVM*) {
    fake->log.push_back("detach");
    return JNI_OK;
}

JNINativeInterface_ makeEnvTable() {
    JNINativeInterface_ table{};
    table.FindClass = findClass;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.NewObjectV = newObjectV;
    table.ExceptionOccurred = exceptionOccurred;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.CallStaticVoidMethodV = callStaticVoidMethodV;
    table.DeleteLocalRef = deleteLocalRef;
    return table;
}

JNIInvokeInterface_ makeVmTable() {
    JNIInvokeInterface_ table{};
    table.DetachCurrentThread = detachCurrentThread;
    return table;
}

const JNINativeInterface_ envTable = makeEnvTable();
const JNIInvokeInterface_ vmTable = makeVmTable();
JNIEnv_ fakeEnv{&envTable};
JavaVM_ fakeJavaVm{&vmTable};

jint JNICALL createFake(JavaVM** vm, void** env, void* initArgs) {
    auto* args = static_cast<JavaVMInitArgs*>(initArgs);
    for (jint i = 0; i < args->nOptions; ++i)
        fake->createdWith.push_back(args->options[i].optionString);
    *vm = &fakeJavaVm;
    *env = &fakeEnv;
    return JNI_OK;
}

jint JNICALL countDefaultArgs(void*) {
    ++fake->defaultArgsAsked;
    return JNI_OK;
}

class MainInvocation : public ::testing::Test {
  protected:
    MainInvocation() {
        fake = &vm;
        call.entryPoints = {reinterpret_cast<void*>(&createFake),
                            reinterpret_cast<void*>(&countDefaultArgs)};
        call.vmOptions = {"-Djava.library.path=/lib", "-Djava.class.path=a.jar"};
        call.mainClassName = "app/Main";
        call.arguments = {"one", "zwei \xC3\xBC"};
        call.mainStarted = [this] { vm.log.push_back("started"); };
        call.errorOwner = &errorOwner;
    }
    ~MainInvocation() override { fake = nullptr; }

    FakeVm vm;
    MainCall call;
    std::atomic<OsHandle> errorOwner{nullptr};
    VmSession session;
};

TEST_F(MainInvocation, CreatesTheVmThenCallsMainWithTheArgumentsAndDetaches) {
    EXPECT_EQ(runMainThread(session, call), 0u);
    EXPECT_EQ(vm.createdWith,
              (std::vector<std::string>{"-Djava.library.path=/lib", "-Djava.class.path=a.jar",
                                        "abort", "exit"}));
    EXPECT_EQ(session.vm, &fakeJavaVm);
    EXPECT_EQ(session.env, &fakeEnv);
    std::vector<std::string> expected{"find java/lang/String",
                                      "find app/Main",
                                      "method app/Main.main([Ljava/lang/String;)V",
                                      "find java/lang/String",
                                      "find java/lang/String",
                                      "find java/lang/String",
                                      "started",
                                      "call app/Main one zwei \xC3\xBC",
                                      "detach"};
    EXPECT_EQ(vm.log, expected);
}

TEST_F(MainInvocation, AsksTheVmForItsStackSizeOnlyWhenNoneIsGiven) {
    struct Case {
        uint64_t stackSize;
        int asked;
    } cases[] = {{0, 1}, {2 * 1024 * 1024, 0}};
    for (const Case& c : cases) {
        vm.defaultArgsAsked = 0;
        call.stackSize = c.stackSize;
        EXPECT_EQ(runMainThread(session, call), 0u);
        EXPECT_EQ(vm.defaultArgsAsked, c.asked) << c.stackSize;
    }
}

} // namespace
