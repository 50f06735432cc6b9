#include "support/failure_report.h"

#include <atomic>
#include <utility>

namespace {

// A spin lock rather than a mutex: the Windows build links no thread library, and the lock is
// held only to copy or swap one function object.
std::atomic_flag reporterLock = ATOMIC_FLAG_INIT;
// Built before main and never destroyed: a thread may still report while the process runs its
// exit handlers.
FailureReporter* const installedReporter = new FailureReporter;

class ReporterGuard {
  public:
    ReporterGuard() {
        while (reporterLock.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~ReporterGuard() { reporterLock.clear(std::memory_order_release); }
    ReporterGuard(const ReporterGuard&) = delete;
    ReporterGuard& operator=(const ReporterGuard&) = delete;
};

} // namespace

void installFailureReporter(FailureReporter reporter) {
    {
        ReporterGuard guard;
        installedReporter->swap(reporter);
    }
    // The one replaced is destroyed here, outside the lock.
}

void reportFailure(SystemFailure kind, uint32_t systemCode) {
    FailureReporter reporter;
    {
        // A copy: the report may show a window for as long as the user takes, and must not
        // hold up another thread's report or the reporter's removal meanwhile.
        ReporterGuard guard;
        reporter = *installedReporter;
    }
    if (reporter)
        reporter(kind, systemCode);
}
