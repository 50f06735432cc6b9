#include "support/failure_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Recorder {
    std::vector<std::string> reports;
    FailureReporter reporter(const std::string& name) {
        return [this, name](SystemFailure kind, uint32_t code) {
            reports.push_back(name + (kind == SystemFailure::modulePath ? " modulePath " : " ? ") +
                              std::to_string(code));
        };
    }
};

TEST(FailureReport, GoesToTheReporterInstalledAtTheTimeOnly) {
    Recorder recorder;
    reportFailure(SystemFailure::modulePath, 1); // none installed: no one hears of it
    installFailureReporter(recorder.reporter("first"));
    reportFailure(SystemFailure::modulePath, 2);
    installFailureReporter(recorder.reporter("second"));
    reportFailure(SystemFailure::modulePath, 3);
    installFailureReporter(nullptr);
    reportFailure(SystemFailure::modulePath, 4);
    EXPECT_EQ(recorder.reports,
              (std::vector<std::string>{"first modulePath 2", "second modulePath 3"}));
}

TEST(FailureReport, AReporterMayRemoveItselfWhileItReports) {
    // A report can last as long as a message box; removing the reporter meanwhile (the
    // launcher ending) must not wait for it.
    int calls = 0;
    installFailureReporter([&calls](SystemFailure, uint32_t) {
        ++calls;
        installFailureReporter(nullptr);
    });
    reportFailure(SystemFailure::modulePath, 5);
    reportFailure(SystemFailure::modulePath, 6);
    EXPECT_EQ(calls, 1);
}

} // namespace
