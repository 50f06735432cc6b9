#pragma once

// System failures that low layers find but cannot show: the layer that owns the windows
// installs a reporter that tells the user. Without a reporter nothing is shown.

#include <cstdint>
#include <functional>

enum class SystemFailure {
    modulePath, // the running executable's path cannot be had
};

// kind and the system error code (errno or GetLastError).
using FailureReporter = std::function<void(SystemFailure kind, uint32_t systemCode)>;

// Replaces the reporter; an empty one removes it. Callable from any thread.
void installFailureReporter(FailureReporter reporter);
// Hands the failure to the installed reporter, on the calling thread.
void reportFailure(SystemFailure kind, uint32_t systemCode);
