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

} // namespace
