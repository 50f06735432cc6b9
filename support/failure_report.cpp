#include "support/failure_report.h"

#include <mutex>
#include <utility>

namespace {

struct ReporterSlot {
    std::mutex lock;
    FailureReporter reporter;
};

// Never destroyed: a thread may still report while the process runs its exit handlers.
ReporterSlot& reporterSlot() {
    static ReporterSlot* slot = new ReporterSlot;
    return *slot;
}

} // namespace

void installFailureReporter(FailureReporter reporter) {
    ReporterSlot& slot = reporterSlot();
    std::lock_guard<std::mutex> guard(slot.lock);
    slot.reporter = std::move(reporter);
}

void reportFailure(SystemFailure kind, uint32_t systemCode) {
    ReporterSlot& slot = reporterSlot();
    FailureReporter reporter;
    {
        // A copy: the report may show a window for as long as the user takes, and must not
        // hold up another thread's report or the reporter's removal meanwhile.
        std::lock_guard<std::mutex> guard(slot.lock);
        reporter = slot.reporter;
    }
    if (reporter)
        reporter(kind, systemCode);
}
