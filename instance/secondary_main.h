#pragma once

// Delivery of one later start's arguments to the static secondaryMain(String[]) of the main
// class, on a handler thread of the first start. Portable: it only talks to the VM through JNI.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct JavaVM_;

// What a handler thread needs of the running program; fixed once main has been called.
struct SecondaryMainTarget {
    JavaVM_* vm = nullptr;
    std::string mainClassName; // slash form, as FindClass takes it
    bool detachAfterCall = true;
};

// Attaches the calling thread, calls secondaryMain(String[]) in its void form (answering 0
// before the call) or its int form (answering with its result after it), prints a pending
// exception and detaches. answer is not called when the thread cannot attach, the class or
// method is missing or the array cannot be built.
void deliverToSecondaryMain(const SecondaryMainTarget& target,
                            const std::vector<std::u16string>& arguments,
                            const std::function<void(int32_t)>& answer);
