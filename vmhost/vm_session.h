#pragma once

// What hosting the VM carries from one step to the next: the loaded library's entry points,
// the files the standard streams go to, and the VM once it exists.

#include <string>

struct JavaVM_;
struct JNIEnv_;

// The invocation entry points of the loaded VM library (never unloaded).
struct VmEntryPoints {
    void* createJavaVm = nullptr;    // JNI_CreateJavaVM
    void* defaultInitArgs = nullptr; // JNI_GetDefaultJavaVMInitArgs
};

// Where System.out and System.err go; empty names leave a stream as it is. A name may still
// hold a "%...%" time picture, expanded when the VM is created.
struct StreamFiles {
    std::string outputFile;
    bool outputAppend = false;
    std::string errorFile;
    bool errorAppend = false;
};

// The created VM; the JNIEnv belongs to the main thread that created it.
struct VmSession {
    JavaVM_* vm = nullptr;
    JNIEnv_* env = nullptr;
};
