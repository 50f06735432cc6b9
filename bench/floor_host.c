/* The floor of an in-process Java start: load libjvm.so, create the VM with the class path,
 * call main(String[]) of the given class, destroy the VM. Nothing else.
 * Built with FLOOR_ON_SECOND_THREAD, the same work runs on a second thread with a 1 MiB stack
 * while the first thread waits for it: the thread model of the java command and our launcher.
 * usage: floor_host <libjvm.so> <class path> <main class with slashes> */
#include <dlfcn.h>
#include <jni.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef jint(JNICALL* CreateJavaVm)(JavaVM**, void**, void*);

static int host(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s libjvm.so classpath main/Class\n", argv[0]);
        return 2;
    }
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_GLOBAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    CreateJavaVm create = (CreateJavaVm)dlsym(library, "JNI_CreateJavaVM");
    char classPath[4096];
    snprintf(classPath, sizeof classPath, "-Djava.class.path=%s", argv[2]);
    JavaVMOption options[1] = {{classPath, NULL}};
    JavaVMInitArgs args = {JNI_VERSION_1_2, 1, options, JNI_FALSE};
    JavaVM* vm = NULL;
    JNIEnv* env = NULL;
    if (!create || create(&vm, (void**)&env, &args) != 0)
        return 1;
    jclass mainClass = (*env)->FindClass(env, argv[3]);
    jmethodID mainMethod =
        mainClass ? (*env)->GetStaticMethodID(env, mainClass, "main", "([Ljava/lang/String;)V")
                  : NULL;
    if (!mainMethod)
        return 1;
    jclass stringClass = (*env)->FindClass(env, "java/lang/String");
    jobjectArray arguments = (*env)->NewObjectArray(env, 0, stringClass, NULL);
    (*env)->CallStaticVoidMethod(env, mainClass, mainMethod, arguments);
    int failed = (*env)->ExceptionCheck(env) ? 1 : 0;
    (*vm)->DetachCurrentThread(vm);
    (*vm)->DestroyJavaVM(vm);
    return failed;
}

#ifdef FLOOR_ON_SECOND_THREAD
#include <pthread.h>

struct HostStart {
    int argc;
    char** argv;
    int result;
};

static void* hostThread(void* context) {
    struct HostStart* start = context;
    start->result = host(start->argc, start->argv);
    return NULL;
}

int main(int argc, char** argv) {
    struct HostStart start = {argc, argv, 1};
    pthread_attr_t attributes;
    pthread_t thread;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 1024 * 1024);
    if (pthread_create(&thread, &attributes, hostThread, &start) != 0)
        return 1;
    pthread_join(thread, NULL);
    return start.result;
}
#else
int main(int argc, char** argv) {
    return host(argc, argv);
}
#endif
