#include "instance/secondary_main.h"

#include "vmhost/java_strings.h"
#include "vmhost/jni_resources.h"

#include <jni.h>

namespace {

struct SecondaryMethod {
    jmethodID method = nullptr;
    bool returnsInt = false;
};

// The void form first, then the int form; the failed lookup's NoSuchMethodError is cleared.
SecondaryMethod findSecondaryMain(JNIEnv* env, jclass mainClass) {
    const char* name = "secondaryMain";
    jmethodID method = env->GetStaticMethodID(mainClass, name, "([Ljava/lang/String;)V");
    if (method != nullptr)
        return {method, false};
    env->ExceptionClear();
    method = env->GetStaticMethodID(mainClass, name, "([Ljava/lang/String;)I");
    return {method, true};
}

void callSecondaryMain(JNIEnv* env, const SecondaryMainTarget& target,
                       const std::vector<std::u16string>& arguments,
                       const std::function<void(int32_t)>& answer) {
    LocalRef<jclass> mainClass(env, env->FindClass(target.mainClassName.c_str()));
    if (!mainClass)
        return;
    SecondaryMethod secondary = findSecondaryMain(env, mainClass.get());
    if (secondary.method == nullptr)
        return;
    LocalRef<jobjectArray> array(env, buildArgumentArray(arguments, env));
    if (!array)
        return;
    if (secondary.returnsInt) {
        jint result = env->CallStaticIntMethod(mainClass.get(), secondary.method, array.get());
        answer(static_cast<int32_t>(result));
    } else {
        // The later start need not wait for the work its arguments start.
        answer(0);
        env->CallStaticVoidMethod(mainClass.get(), secondary.method, array.get());
    }
}

} // namespace

void deliverToSecondaryMain(const SecondaryMainTarget& target,
                            const std::vector<std::u16string>& arguments,
                            const std::function<void(int32_t)>& answer) {
    JNIEnv* env = nullptr;
    if (target.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK)
        return;
    callSecondaryMain(env, target, arguments, answer);
    if (LocalRef<jthrowable>(env, env->ExceptionOccurred()))
        env->ExceptionDescribe();
    if (target.detachAfterCall)
        target.vm->DetachCurrentThread();
}
