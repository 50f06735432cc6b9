/* A stand-in for libjvm.so that ends the process the moment the VM would be created: a start
 * through it measures everything a host does before the VM step. Benchmark use only.
 * JNI_GetDefaultJavaVMInitArgs reports a 1 MiB Java stack, as a real VM does. */
#include <jni.h>
#include <unistd.h>

JNIEXPORT jint JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    /* The JDK 1.1 record: version, properties, checkSource, nativeStackSize, javaStackSize. */
    struct {
        jint version;
        char** properties;
        jint checkSource;
        jint nativeStackSize;
        jint javaStackSize;
    }* record = args;
    record->javaStackSize = 1024 * 1024;
    return JNI_OK;
}

JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
    (void)vm;
    (void)env;
    (void)args;
    _exit(0);
}
