#include "support/trace.h"

#include "support/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(TraceTarget, FollowsTheSettingAndWhetherThereIsStandardError) {
    const std::string separator(1, pathSeparator());
    const std::string executable = separator + "app" + separator + "tool.exe";
    struct Case {
        const char* setting;
        bool hasStandardError;
        bool traced;
        bool toStandardError;
        std::string file;
    } cases[] = {
        {"", true, false, false, ""},
        {"1", true, true, true, ""},
        {"1", false, true, false, "TEMP" + separator + "tool.exe.trace.log"},
        {"trace.txt", true, true, false, "trace.txt"},
        {"0", true, true, false, "0"},
    };
    for (const Case& c : cases) {
        TraceTarget target;
        EXPECT_EQ(
            traceTarget(c.setting, executable, c.hasStandardError, "TEMP" + separator, target),
            c.traced)
            << c.setting;
        EXPECT_EQ(target.toStandardError, c.toStandardError) << c.setting;
        EXPECT_EQ(target.file, c.file) << c.setting;
    }
}

TEST(TraceStamp, RoundsToMicrosecondsRightAlignedInTenPlaces) {
    struct Case {
        double milliseconds;
        const char* stamp;
    } cases[] = {
        {0.0, "[     0.000 ms] "},          {12.3456, "[    12.346 ms] "},
        {0.0004, "[     0.000 ms] "},       {999.9996, "[  1000.000 ms] "},
        {5.07, "[     5.070 ms] "},         {123456.5, "[123456.500 ms] "},
        {1234567.891, "[1234567.891 ms] "}, // wider than ten places: not cut
        {-1.0, "[     0.000 ms] "},         // a clock that steps back counts as the start
    };
    for (const Case& c : cases)
        EXPECT_EQ(traceStamp(c.milliseconds), c.stamp) << c.milliseconds;
}

} // namespace
