/* Phases of a Java start, seen from inside the process: an LD_PRELOAD library that notes the
 * monotonic time when libjvm.so is opened, when JNI_CreateJavaVM and DestroyJavaVM are entered
 * and left, and when the process exits, and appends one line of marks (milliseconds since
 * START_PHASES_SPAWN, the spawn time in CLOCK_MONOTONIC nanoseconds) to START_PHASES_OUT.
 * It reaches the VM's functions by wrapping dlopen and dlsym, which every host of the VM uses.
 * Benchmark use only (bench/start_benchmark.py --phases). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <jni.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define MARK_LIMIT 16

static long long markTimes[MARK_LIMIT];
static const char* markNames[MARK_LIMIT];
static int markCount;

static void mark(const char* name) {
    struct timespec now;
    if (markCount == MARK_LIMIT)
        return;
    clock_gettime(CLOCK_MONOTONIC, &now);
    markNames[markCount] = name;
    markTimes[markCount++] = now.tv_sec * 1000000000LL + now.tv_nsec;
}

typedef jint(JNICALL* CreateJavaVm)(JavaVM**, void**, void*);
typedef jint(JNICALL* DestroyJavaVm)(JavaVM*);

static CreateJavaVm realCreate;
static DestroyJavaVm realDestroy;
static struct JNIInvokeInterface_ invokeTable;

static jint JNICALL destroyJavaVm(JavaVM* vm) {
    mark("destroy_begin");
    jint result = realDestroy(vm);
    mark("destroy_end");
    return result;
}

static jint JNICALL createJavaVm(JavaVM** vm, void** env, void* args) {
    mark("create_begin");
    jint result = realCreate(vm, env, args);
    mark("create_end");
    if (result == JNI_OK) {
        /* The VM's invoke table is read-only: the process's JavaVM gets a copy with our entry. */
        invokeTable = ***vm;
        realDestroy = invokeTable.DestroyJavaVM;
        invokeTable.DestroyJavaVM = destroyJavaVm;
        **vm = &invokeTable;
    }
    return result;
}

void* dlopen(const char* file, int flags) {
    static void* (*realDlopen)(const char*, int);
    if (realDlopen == NULL)
        realDlopen = dlvsym(RTLD_NEXT, "dlopen", "GLIBC_2.34");
    int isVm = file != NULL && strstr(file, "libjvm") != NULL;
    if (isVm)
        mark("library_begin");
    void* handle = realDlopen(file, flags);
    if (isVm)
        mark("library_end");
    return handle;
}

void* dlsym(void* handle, const char* name) {
    static void* (*realDlsym)(void*, const char*);
    if (realDlsym == NULL)
        realDlsym = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    void* symbol = realDlsym(handle, name);
    if (symbol != NULL && strcmp(name, "JNI_CreateJavaVM") == 0) {
        realCreate = (CreateJavaVm)symbol;
        return (void*)createJavaVm;
    }
    return symbol;
}

__attribute__((destructor)) static void writeMarks(void) {
    const char* spawn = getenv("START_PHASES_SPAWN");
    const char* out = getenv("START_PHASES_OUT");
    mark("exit");
    if (spawn == NULL || out == NULL)
        return;
    long long base = atoll(spawn);
    FILE* file = fopen(out, "a");
    if (file == NULL)
        return;
    for (int i = 0; i < markCount; ++i)
        fprintf(file, "%s=%.3f ", markNames[i], (markTimes[i] - base) / 1e6);
    fprintf(file, "\n");
    fclose(file);
}
